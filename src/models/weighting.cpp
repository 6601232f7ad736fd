#include "models/weighting.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <utility>

#include "textio/csv.h"

namespace quillon::models {
namespace {

constexpr std::array<std::pair<Weighting, std::string_view>, 4> names = {{
    {Weighting::none, "none"},
    {Weighting::inverse_y, "1/y"},
    {Weighting::inverse_y2, "1/y2"},
    {Weighting::inverse_variance, "1/sd2"},
}};

// Where an observation lies, as the user reads the table: "[S] = 0.5, [I] = 2".
std::string level_text(std::span<const double> x1, std::span<const double> x2, std::size_t i) {
  std::string text = "[S] = " + textio::csv_number(x1[i]);
  if (i < x2.size())
    text += ", [I] = " + textio::csv_number(x2[i]);
  return text;
}

std::variant<std::vector<double>, std::string> from_rates(Weighting w, std::span<const double> x1,
                                                          std::span<const double> x2,
                                                          std::span<const double> y) {
  const std::string name(weighting_name(w));
  std::vector<double> weights(y.size());
  for (std::size_t i = 0; i < y.size(); ++i) {
    // A zero rate has no relative error to weight by: refuse it rather than divide.
    if (y[i] == 0.0)
      return "Weighting " + name + " needs every rate non-zero, but the rate at " +
             level_text(x1, x2, i) + " is 0 (leave that observation out, or choose --weight " +
             "none).";
    const double a = std::fabs(y[i]);
    weights[i] = w == Weighting::inverse_y ? 1.0 / a : 1.0 / (a * a);
    if (!std::isfinite(weights[i]))
      return "Weighting " + name + ": the rate " + textio::csv_number(y[i]) + " at " +
             level_text(x1, x2, i) + " is too small to give a finite weight (rescale the rates).";
  }
  return weights;
}

std::variant<std::vector<double>, std::string> from_replicates(std::span<const double> x1,
                                                               std::span<const double> x2,
                                                               std::span<const double> y) {
  const std::size_t n = y.size();
  auto key = [&](std::size_t i) { return std::pair{x1[i], i < x2.size() ? x2[i] : 0.0}; };
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](auto a, auto b) { return key(a) < key(b); });
  std::vector<double> weights(n);
  for (std::size_t first = 0; first < n;) {
    std::size_t last = first;
    double sum = 0.0;
    while (last < n && key(order[last]) == key(order[first]))
      sum += y[order[last++]];
    const std::size_t count = last - first;
    const std::string where = level_text(x1, x2, order[first]);
    if (count < 2)
      return "Weighting 1/sd2 needs at least two replicates at every level, but " + where +
             " has one rate (choose --weight 1/y2 or none, or add the replicates).";
    // The sample variance from deviations about the mean: replicates often agree to
    // many digits, and a difference of squares would cancel them.
    const double mean = sum / static_cast<double>(count);
    double squares = 0.0;
    for (std::size_t k = first; k < last; ++k)
      squares += (y[order[k]] - mean) * (y[order[k]] - mean);
    if (!(squares > 0.0))
      return "Weighting 1/sd2: the replicates at " + where +
             " are all equal (standard deviation 0), so they give no weight.";
    const double weight = 1.0 / (squares / static_cast<double>(count - 1));
    if (!std::isfinite(weight))
      return "Weighting 1/sd2: the replicates at " + where +
             " scatter too little to give a finite weight (rescale the rates).";
    for (std::size_t k = first; k < last; ++k)
      weights[order[k]] = weight;
    first = last;
  }
  return weights;
}

}  // namespace

std::string_view weighting_name(Weighting w) {
  for (const auto& [weighting, name] : names) {
    if (weighting == w)
      return name;
  }
  return "none";
}

std::optional<Weighting> find_weighting(std::string_view name) {
  for (const auto& [weighting, text] : names) {
    if (text == name)
      return weighting;
  }
  return std::nullopt;
}

std::variant<std::vector<double>, std::string> observation_weights(Weighting w,
                                                                   std::span<const double> x1,
                                                                   std::span<const double> x2,
                                                                   std::span<const double> y) {
  switch (w) {
  case Weighting::none: return std::vector<double>();
  case Weighting::inverse_y:
  case Weighting::inverse_y2: return from_rates(w, x1, x2, y);
  case Weighting::inverse_variance: return from_replicates(x1, x2, y);
  }
  return std::vector<double>();
}

}  // namespace quillon::models
