#include "file_analysis/warnings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "models/catalogue.h"
#include "textio/csv.h"
#include "textio/text_utils.h"

namespace quillon::file_analysis {
namespace {

// Within at_bound of the bound, relative to its size, or to the interval's width for a
// bound of zero (the search's fold leaves a parameter near zero at 1e-10, not at 0).
bool on_bound(double x, double bound, double width) {
  const double scale = bound != 0.0 ? std::fabs(bound) : width;
  return std::fabs(x - bound) <= at_bound * scale;
}

// A value to three significant digits, or the word for an open profile end.
std::string three_digits(const std::optional<double>& v) {
  return v ? textio::formatted("%.3g", *v) : std::string("not determined");
}

// Beyond this many criterion units a model is clearly not the preferred one.
constexpr double clear_delta = 2.0;

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

std::vector<std::string> beyond_data_warnings(const models::FitState& fit,
                                              const analysis::StandardAnalysis& standard) {
  const models::Model* model = models::find_model(fit.model);
  if (model == nullptr || !fit.global.names.empty())
    return {};
  const auto n = static_cast<std::size_t>(std::max(fit.npoints, 0));
  const auto highest = [n](const std::vector<double>& x) {
    const auto end = x.begin() + static_cast<std::ptrdiff_t>(std::min(n, x.size()));
    return x.begin() == end ? std::optional<double>() : *std::max_element(x.begin(), end);
  };
  const std::optional<double> x1 = highest(fit.x1);
  const std::optional<double> x2 = fit.nx >= 2 ? highest(fit.x2) : std::nullopt;
  const auto np = static_cast<std::size_t>(fit.np);
  const std::vector<double>& best = standard.best.size() == np ? standard.best : fit.pbest;
  std::vector<std::string> notes;
  for (std::size_t k = 0; k < np && k < best.size() && k < model->parameters.size(); ++k) {
    const models::Parameter& p = model->parameters[k];
    const std::string name = models::fit_parameter_name(fit, static_cast<int>(k));
    // X1 is an inhibitor's concentration where the curve falls with it.
    const bool x1_inhibitor = model->shape == models::Shape::falling ||
                              (!p.falling_name.empty() && name == p.falling_name);
    std::optional<double> limit;
    std::string axis;
    if (p.role == models::Role::half_saturation) {
      limit = x1;
      axis = x1_inhibitor ? "[I]" : "[S]";
    } else if (p.role == models::Role::inhibition_constant) {
      limit = x2;
      axis = "[I]";
    }
    const bool fixed = k < standard.parameters.size() && standard.parameters[k].fixed;
    if (!limit || fixed || !std::isfinite(best[k]) || !(best[k] > *limit))
      continue;
    std::string note = name + " poorly determined: the best fit lies above the highest " + axis +
                       " (" + textio::formatted("%.3g", *limit) + ")";
    if (k < standard.parameters.size()) {
      const analysis::ParameterStats& s = standard.parameters[k];
      if (s.profile_lo || s.profile_hi)
        note.append(", 95 % profile interval ")
            .append(three_digits(s.profile_lo))
            .append(" to ")
            .append(three_digits(s.profile_hi));
    }
    notes.push_back(std::move(note));
  }
  return notes;
}

std::vector<std::string> comparison_warnings(int model, const Comparison& comparison) {
  const auto& all = comparison.candidates;
  const auto own = std::find_if(all.begin(), all.end(),
                                [model](const Candidate& c) { return c.model == model; });
  const auto best =
      std::find_if(all.begin(), all.end(), [](const Candidate& c) { return c.rank == 1; });
  const models::Model* own_model = models::find_model(model);
  if (own == all.end() || best == all.end() || own_model == nullptr || !own->delta ||
      !(*own->delta > clear_delta))
    return {};
  std::string note = "the file's model (";
  note.append(own_model->label)
      .append(") is not the preferred one: ")
      .append(models::short_name(best->model))
      .append(" has \xCE\x94")  // Greek capital delta
      .append(comparison.by_aic ? "AIC " : "AICc ")
      .append(textio::formatted("%.1f", *own->delta))
      .append(" less");
  return {note};
}

}  // namespace quillon::file_analysis
