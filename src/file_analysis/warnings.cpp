#include "file_analysis/warnings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "models/catalogue.h"
#include "textio/csv.h"

namespace quillon::file_analysis {
namespace {

// Within at_bound of the bound, relative to its size, or to the interval's width for a
// bound of zero (the search's fold leaves a parameter near zero at 1e-10, not at 0).
bool on_bound(double x, double bound, double width) {
  const double scale = bound != 0.0 ? std::fabs(bound) : width;
  return std::fabs(x - bound) <= at_bound * scale;
}

}  // namespace

std::vector<std::string> estimate_warnings(const models::FitState& fit) {
  std::vector<std::string> notes;
  for (std::size_t k = 0; k < static_cast<std::size_t>(fit.np); ++k) {
    const double x = fit.pinit[k];
    if (x < fit.plower[k] || x > fit.pupper[k]) {
      notes.push_back("initial " + models::fit_parameter_name(fit, static_cast<int>(k)) + " " +
                      textio::csv_number(x) + " outside its bounds [" +
                      textio::csv_number(fit.plower[k]) + ", " + textio::csv_number(fit.pupper[k]) +
                      "]");
    }
  }
  return notes;
}

std::vector<std::string> extra_value_warnings(const models::FitState& fit) {
  const models::FitState::ExtraValues& extra = fit.extra_values;
  if (extra.lines == 0)
    return {};
  std::string note = "line " + std::to_string(extra.first_line) + " holds " +
                     std::to_string(extra.first_count) + " numbers but the model reads " +
                     std::to_string(fit.nx + 1) + " per observation: the rest are ignored";
  if (extra.lines > 1)
    note += " (" + std::to_string(extra.lines) + " such lines)";
  return {note};
}

std::vector<std::string> unread_line_warnings(const models::FitState& fit) {
  const models::FitState::UnreadLines& unread = fit.unread;
  if (unread.first == 0)
    return {};
  std::string what;
  switch (unread.end) {
  case ' ': what = "the empty line"; break;
  case '"': what = "the line beginning with a quote"; break;
  case '\'': what = "the line beginning with an apostrophe"; break;
  default: what = std::string("the line beginning with ") + unread.end;
  }
  const std::string lines = unread.first == unread.last ? "line " + std::to_string(unread.first)
                                                        : "lines " + std::to_string(unread.first) +
                                                              " to " + std::to_string(unread.last);
  return {lines + " after " + what + " at line " + std::to_string(unread.end_line) +
          (unread.first == unread.last ? " was" : " were") + " not read"};
}

std::vector<std::string> result_warnings(const models::FitState& fit,
                                         const std::vector<report::ParameterUncertainty>& rows) {
  std::vector<std::string> notes;
  for (std::size_t k = 0; k < static_cast<std::size_t>(fit.np) && k < fit.pbest.size(); ++k) {
    const double x = fit.pbest[k];
    const double width = fit.pupper[k] - fit.plower[k];
    const std::string name = models::fit_parameter_name(fit, static_cast<int>(k));
    if (on_bound(x, fit.plower[k], width)) {
      notes.push_back(name + " at its lower bound " + textio::csv_number(fit.plower[k]));
    } else if (on_bound(x, fit.pupper[k], width)) {
      notes.push_back(name + " at its upper bound " + textio::csv_number(fit.pupper[k]));
    }
    if (k < rows.size() && !(std::fabs(rows[k].cv) <= large_cv)) {
      char cv[32];
      std::snprintf(cv, sizeof cv, "%.1f %%", std::fabs(rows[k].cv));
      notes.push_back(name + " poorly determined: CV " +
                      (std::isfinite(rows[k].cv) ? std::string(cv) : "not finite"));
    }
  }
  return notes;
}

}  // namespace quillon::file_analysis
