#include "batch/warnings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "batch/csv.h"
#include "models/catalogue.h"
#include "textio/list_read.h"

namespace quillon::batch {
namespace {

std::string parameter_name(const models::FitState& fit, std::size_t k) {
  const models::Model* model = models::find_model(fit.model);
  if (model != nullptr)
    return std::string(model->parameters[k]);
  std::string name = std::to_string(k + 1);
  name.insert(name.begin(), 'P');
  return name;
}

// Within at_bound of the bound, relative to its size, or to the interval's width for a
// bound of zero (the search's fold leaves a parameter near zero at 1e-10, not at 0).
bool on_bound(double x, double bound, double width) {
  const double scale = bound != 0.0 ? std::fabs(bound) : width;
  return std::fabs(x - bound) <= at_bound * scale;
}

// Numbers on a data line before its remark, separated as the list-directed read
// separates them.
int numbers_on(std::string_view line) {
  int count = 0;
  std::size_t k = 0;
  const auto separator = [](char ch) { return ch == ' ' || ch == '\t' || ch == ',' || ch == '\r'; };
  while (k < line.size()) {
    while (k < line.size() && separator(line[k]))
      ++k;
    const std::size_t start = k;
    while (k < line.size() && !separator(line[k]))
      ++k;
    const std::string_view item = line.substr(start, k - start);
    if (item.empty() || item.front() == '!')
      break;
    double value = 0.0;
    if (textio::parse_list_real(item, value))
      ++count;
  }
  return count;
}

}  // namespace

std::vector<std::string> estimate_warnings(const models::FitState& fit) {
  std::vector<std::string> notes;
  for (std::size_t k = 0; k < static_cast<std::size_t>(fit.np); ++k) {
    const double x = fit.pinit[k];
    if (x < fit.plower[k] || x > fit.pupper[k]) {
      notes.push_back("initial " + parameter_name(fit, k) + " " + csv_number(x) +
                      " outside its bounds [" + csv_number(fit.plower[k]) + ", " +
                      csv_number(fit.pupper[k]) + "]");
    }
  }
  return notes;
}

std::vector<std::string> extra_value_warnings(const models::FitState& fit, std::istream& file) {
  const int reads = fit.nx + 1;
  const int first_observation = 5;
  int first_line = 0;
  int first_count = 0;
  int lines = 0;
  std::string line;
  for (int number = 1; number < first_observation + fit.npoints && std::getline(file, line);
       ++number) {
    if (number < first_observation)
      continue;
    const int count = numbers_on(line);
    if (count <= reads)
      continue;
    if (lines++ == 0) {
      first_line = number;
      first_count = count;
    }
  }
  if (lines == 0)
    return {};
  std::string note = "line " + std::to_string(first_line) + " holds " +
                     std::to_string(first_count) + " numbers but the model reads " +
                     std::to_string(reads) + " per observation; the rest are ignored";
  if (lines > 1)
    note += " (" + std::to_string(lines) + " such lines)";
  return {note};
}

std::vector<std::string> result_warnings(const models::FitState& fit,
                                         const std::vector<report::ParameterUncertainty>& rows) {
  std::vector<std::string> notes;
  for (std::size_t k = 0; k < static_cast<std::size_t>(fit.np) && k < fit.pbest.size(); ++k) {
    const double x = fit.pbest[k];
    const double width = fit.pupper[k] - fit.plower[k];
    const std::string name = parameter_name(fit, k);
    if (on_bound(x, fit.plower[k], width)) {
      notes.push_back(name + " at its lower bound " + csv_number(fit.plower[k]));
    } else if (on_bound(x, fit.pupper[k], width)) {
      notes.push_back(name + " at its upper bound " + csv_number(fit.pupper[k]));
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

}  // namespace quillon::batch
