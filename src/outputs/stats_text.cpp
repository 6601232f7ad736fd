#include "outputs/stats_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "textio/text_utils.h"

namespace quillon::outputs {
namespace {

std::string format(const char* pattern, double v) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, v);
  return text;
}

// Text right-aligned in a column of `width`, after at least one blank.
std::string column(const std::string& text, std::size_t width) {
  return std::string(text.size() + 1 < width ? width - text.size() : 1, ' ') + text;
}

// A value to five digits in a column, or the word for its absence.
std::string cell(const std::optional<double>& v, std::size_t width, const char* absent) {
  return column(v ? format("%.5g", *v) : std::string(absent), width);
}

std::string padded(std::string text, std::size_t width) {
  text.resize(std::max(width, text.size()), ' ');
  return text;
}

}  // namespace

std::string stats_text(const std::string& file, const std::string& model_name,
                       const std::vector<std::string>& names, int n,
                       const analysis::StandardAnalysis& a,
                       const std::vector<report::ParameterUncertainty>& sampling) {
  std::string out;
  const auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  line("Standard analysis: " + file + ", " + model_name);
  const int np = static_cast<int>(names.size());
  if (!a.available) {
    line("n = " + std::to_string(n) + ", parameters = " + std::to_string(np));
  } else {
    line("n = " + std::to_string(n) + ", parameters = " + std::to_string(np) +
         ", df = " + std::to_string(a.df) + ", t(0.975; df) = " + format("%.6g", a.t));
    line("SSQ = " + format("%.7g", a.ssq) + ", s = " + format("%.7g", a.sigma));
    line(a.polished ? "At the polished best fit (the search stopped short of the optimum)."
                    : "At the best fit, polished to full precision.");
    line("");
    line(std::string(26, ' ') + padded("  Wald 95 % interval", 22) + " Profile 95 % interval" +
         column("Sampling", 9));
    line(padded("Param", 6) + column("Best", 10) + column("SE", 10) + column("lower", 11) +
         column("upper", 11) + column("lower", 11) + column("upper", 11) + column("CV %", 9));
    bool absent = false;
    for (int k = 0; k < np; ++k) {
      const auto u = static_cast<std::size_t>(k);
      const analysis::ParameterStats& p = a.parameters[u];
      absent = absent || !p.se || !p.profile_lo || !p.profile_hi;
      line(padded(names[u], 6) + column(format("%.6g", a.best[u]), 10) + cell(p.se, 10, "n.d.") +
           cell(p.wald_lo, 11, "n.d.") + cell(p.wald_hi, 11, "n.d.") +
           cell(p.profile_lo, 11, "open") + cell(p.profile_hi, 11, "open") +
           (u < sampling.size() ? column(format("%.1f", sampling[u].cv), 9) : std::string()));
    }
    if (absent)
      line("n.d.: not determined (singular Jacobian); open: not reached within the bounds.");
    if (!a.correlation.empty()) {
      line("");
      line("Correlation");
      for (int r = 0; r < np; ++r) {
        std::string row = padded(names[static_cast<std::size_t>(r)], 6);
        for (int c = 0; c <= r; ++c) {
          const double v = a.correlation[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
          row += column(format("%.3f", std::fabs(v) < 0.0005 ? 0.0 : v), 8);  // no "-0.000"
        }
        line(row);
      }
    }
    line("");
    if (a.runs) {
      line("Runs test: " + std::to_string(a.runs->runs) + " runs in " +
           std::to_string(a.runs->positive) + " positive and " + std::to_string(a.runs->negative) +
           " negative residuals, p = " + format("%.3g", a.runs->p));
    } else {
      line("Runs test: not applicable (the residuals do not take both signs).");
    }
  }
  for (const std::string& note : a.warnings) {
    for (const std::string& text : textio::wrapped("Note: ", note, 79))
      line(text);
  }
  return out;
}

}  // namespace quillon::outputs
