#include "outputs/stats_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "pictures/plot.h"
#include "textio/text_utils.h"

namespace quillon::outputs {
namespace {

// A value to five digits in a column, or the word for its absence.
std::string cell(const std::optional<double>& v, std::size_t width, const char* absent) {
  return textio::right_aligned(v ? textio::formatted("%.5g", *v) : std::string(absent), width);
}

std::string padded(std::string text, std::size_t width) {
  text.resize(std::max(width, text.size()), ' ');
  return text;
}

// "kcat = Vmax/[E] = 239.7 ± 3.1 per ... (95 %: 233.2 to 246.2)."
std::string derived_line(const std::string& made, const file_analysis::Derived& c,
                         const std::string& unit, bool interval) {
  std::string text = made + " = " + textio::formatted("%.5g", *c.value);
  if (c.se)
    text.append(" \xC2\xB1 ").append(textio::formatted("%.5g", *c.se));
  text.append(unit.empty() ? "" : " ").append(unit);
  if (!c.se)
    text.append(" (SE not determined)");
  else if (interval && c.lo && c.hi)
    text.append(" (95 %: ")
        .append(textio::formatted("%.5g", *c.lo))
        .append(" to ")
        .append(textio::formatted("%.5g", *c.hi))
        .append(")");
  return text + ".";
}

}  // namespace

std::vector<std::string> derived_lines(const file_analysis::DerivedConstants& d,
                                       std::string_view x1_unit) {
  std::vector<std::string> lines;
  const std::string rate_time = "per time unit of the rate";
  std::string per_km = rate_time;
  per_km.append(" per ").append(x1_unit.empty() ? std::string_view("unit of Km") : x1_unit);
  if (d.kcat.value)
    lines.push_back(derived_line("kcat = Vmax/[E]", d.kcat, rate_time, true));
  if (d.kcat_km.value)
    lines.push_back(derived_line("kcat/Km = Vmax/([E] Km)", d.kcat_km, per_km, true));
  if (d.alpha.value)
    lines.push_back(derived_line("alpha = Ki2/Ki1", d.alpha, "", true));
  if (d.ki_cheng_prusoff.value) {
    std::string unit(x1_unit);
    unit.append(unit.empty() ? "" : " ").append("(Cheng-Prusoff, competitive inhibition)");
    lines.push_back(derived_line("Ki = IC50/(1 + S/Km)", d.ki_cheng_prusoff, unit, false));
  }
  return lines;
}

std::string stats_text(const std::string& file, const std::string& model_name,
                       const std::vector<std::string>& names, int n,
                       const analysis::StandardAnalysis& a,
                       const std::vector<report::ParameterUncertainty>& sampling,
                       const std::vector<std::string>& units, const analysis::LackOfFit* replicates,
                       std::string_view weighting, const std::vector<std::string>& derived,
                       const std::vector<std::string>& notes) {
  std::string out;
  const auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  const bool weighted = !weighting.empty();
  line("Standard analysis: " + file + ", " + model_name +
       (weighted ? ", weighted " + std::string(weighting) : std::string()));
  const int np = static_cast<int>(names.size());
  // Six columns hold a model's names; a global fit's ("Vmax [treated]") widen them.
  std::size_t width = 6;
  for (const std::string& name : names)
    width = std::max(width, name.size() + 1);
  if (!a.available) {
    line("n = " + std::to_string(n) + ", parameters = " + std::to_string(np));
  } else {
    line("n = " + std::to_string(n) + ", parameters = " + std::to_string(np) +
         ", df = " + std::to_string(a.df) + ", t(0.975; df) = " + textio::formatted("%.6g", a.t));
    line((weighted ? "Weighted SSQ = " : "SSQ = ") + textio::formatted("%.7g", a.ssq) +
         ", s = " + textio::formatted("%.7g", a.sigma));
    line(a.polished ? "At the polished best fit (the search stopped short of the optimum)."
                    : "At the best fit, polished to full precision.");
    line("");
    line(std::string(width + 20, ' ') + padded("  Wald 95 % interval", 22) +
         " Profile 95 % interval" + textio::right_aligned("Sampling", 9));
    line(padded("Param", width) + textio::right_aligned("Best", 10) +
         textio::right_aligned("SE", 10) + textio::right_aligned("lower", 11) +
         textio::right_aligned("upper", 11) + textio::right_aligned("lower", 11) +
         textio::right_aligned("upper", 11) + textio::right_aligned("CV %", 9));
    bool absent = false;
    bool fixed = false;
    for (int k = 0; k < np; ++k) {
      const auto u = static_cast<std::size_t>(k);
      const analysis::ParameterStats& p = a.parameters[u];
      fixed = fixed || p.fixed;
      absent = absent || (!p.fixed && (!p.se || !p.profile_lo || !p.profile_hi));
      const char* not_determined = p.fixed ? "fixed" : "n.d.";
      const char* open = p.fixed ? "fixed" : "open";
      line(padded(names[u], width) +
           textio::right_aligned(textio::formatted("%.6g", a.best[u]), 10) +
           cell(p.se, 10, not_determined) + cell(p.wald_lo, 11, not_determined) +
           cell(p.wald_hi, 11, not_determined) + cell(p.profile_lo, 11, open) +
           cell(p.profile_hi, 11, open) +
           (u < sampling.size()
                ? textio::right_aligned(textio::formatted("%.1f", sampling[u].cv), 9)
                : std::string()));
    }
    if (absent)
      line("n.d.: not determined (singular Jacobian); open: not reached within the bounds.");
    if (fixed)
      line("fixed: held by equal bounds, so no standard error or interval.");
    if (!a.correlation.empty()) {
      line("");
      line("Correlation");
      for (int r = 0; r < np; ++r) {
        std::string row = padded(names[static_cast<std::size_t>(r)], width);
        for (int c = 0; c <= r; ++c) {
          const double v = a.correlation[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
          row += textio::right_aligned(textio::formatted("%.3f", std::fabs(v) < 0.0005 ? 0.0 : v),
                                       8);  // no "-0.000"
        }
        line(row);
      }
    }
    line("");
    if (a.runs) {
      line("Runs test: " + std::to_string(a.runs->runs) + " runs in " +
           std::to_string(a.runs->positive) + " positive and " + std::to_string(a.runs->negative) +
           " negative residuals, p = " + textio::formatted("%.3g", a.runs->p));
    } else {
      line("Runs test: not applicable (the residuals do not take both signs).");
    }
  }
  if (a.available && replicates != nullptr && replicates->p) {
    line("Lack of fit: F(" + std::to_string(replicates->df_lack) + ", " +
         std::to_string(replicates->df_pure) + ") = " + textio::formatted("%.4g", *replicates->f) +
         ", p = " + textio::formatted("%.3g", *replicates->p) + " (pure error from " +
         std::to_string(replicates->levels) + " levels with up to " +
         std::to_string(replicates->replicates) + " replicates).");
  }
  if (a.available && weighted && replicates != nullptr && replicates->replicates > 1)
    line("Lack of fit: not tested, as the weights come from the rates it would compare.");
  // As the plot's caption gives it: an interval far from the Wald one replaces the error.
  for (std::size_t k = 0; k < names.size() && k < a.best.size(); ++k) {
    if (const auto profile = pictures::profile_instead(a, k)) {
      const std::string unit = k < units.size() && !units[k].empty() ? " " + units[k] : "";
      for (const std::string& text : textio::wrapped(
               "Read: ",
               names[k] + " = " + textio::formatted("%.3g", a.best[k]) + unit + ", " + *profile +
                   " (not the standard error: the Wald interval is " + "far from it).",
               79))
        line(text);
    }
  }
  for (const std::string& sentence : derived) {
    for (const std::string& text : textio::wrapped("Derived: ", sentence, 79))
      line(text);
  }
  std::string unit_list;
  for (std::size_t k = 0; k < names.size() && k < units.size(); ++k) {
    if (!units[k].empty())
      unit_list += (unit_list.empty() ? "" : ", ") + names[k] + " in " + units[k];
  }
  if (!unit_list.empty()) {
    for (const std::string& text : textio::wrapped("Units: ", unit_list + ".", 79))
      line(text);
  }
  for (const auto* list : {&a.warnings, &notes}) {
    for (const std::string& note : *list) {
      for (const std::string& text : textio::wrapped("Note: ", note, 79))
        line(text);
    }
  }
  return out;
}

}  // namespace quillon::outputs
