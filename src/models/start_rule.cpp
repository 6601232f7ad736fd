#include "models/start_rule.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

namespace quillon::models {
namespace {

struct Level {
  double x1, x2, mean;
};

// Mean rate of every distinct (X1, X2), ordered by X2 then X1.
std::vector<Level> level_means(std::span<const double> x1, std::span<const double> x2,
                               std::span<const double> y) {
  std::vector<std::size_t> order(y.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  auto key = [&](std::size_t i) { return std::pair{x2[i], x1[i]}; };
  std::sort(order.begin(), order.end(), [&](auto a, auto b) { return key(a) < key(b); });
  std::vector<Level> levels;
  for (std::size_t first = 0; first < order.size();) {
    std::size_t last = first;
    double sum = 0.0;
    while (last < order.size() && key(order[last]) == key(order[first]))
      sum += y[order[last++]];
    levels.push_back({x1[order[first]], x2[order[first]], sum / static_cast<double>(last - first)});
    first = last;
  }
  return levels;
}

// Ranks from 1, ties given their average, doubled so that they stay whole numbers.
std::vector<double> doubled_ranks(std::span<const double> v) {
  std::vector<std::size_t> order(v.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](auto a, auto b) { return v[a] < v[b]; });
  std::vector<double> rank(v.size());
  for (std::size_t first = 0; first < order.size();) {
    std::size_t last = first;
    while (last < order.size() && v[order[last]] == v[order[first]])
      ++last;
    for (std::size_t k = first; k < last; ++k)
      rank[order[k]] = static_cast<double>(first + last + 1);
    first = last;
  }
  return rank;
}

// The sign of the Spearman correlation: that of the ranks' covariance, exact in
// doubled whole ranks.
bool falls(std::span<const double> x, std::span<const double> y) {
  const std::vector<double> rx = doubled_ranks(x), ry = doubled_ranks(y);
  const double centre = static_cast<double>(x.size() + 1);
  double covariance = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i)
    covariance += (rx[i] - centre) * (ry[i] - centre);
  return covariance < 0.0;
}

// Where the mean rate of these levels (one X2, X1 ascending) first crosses half its
// largest value (halfway down to `floor`, a curve's baseline, where it has one),
// interpolated in log X1 over the positive X1; without a crossing the end the curve
// saturates towards (`ends` when the curve has no positive X1).
double half_point(const std::vector<Level>& curve, bool falling, std::pair<double, double> ends,
                  std::optional<double> floor) {
  std::vector<Level> positive;
  double largest = -HUGE_VAL;
  for (const Level& level : curve) {
    if (level.x1 > 0.0)
      positive.push_back(level);
    largest = std::max(largest, level.mean);
  }
  const double half = floor ? (largest + *floor) / 2.0 : largest / 2.0;
  for (std::size_t i = 0; i + 1 < positive.size(); ++i) {
    const Level& a = positive[i];
    const Level& b = positive[i + 1];
    if ((a.mean < half) != (b.mean < half)) {
      const double t = (half - a.mean) / (b.mean - a.mean);
      return std::exp(std::log(a.x1) + t * (std::log(b.x1) - std::log(a.x1)));
    }
  }
  if (!positive.empty())
    ends = {positive.front().x1, positive.back().x1};
  return falling ? ends.second : ends.first;
}

// Of sorted values.
double median(const std::vector<double>& v) {
  const std::size_t m = v.size() / 2;
  return v.size() % 2 == 1 ? v[m] : (v[m - 1] + v[m]) / 2.0;
}

}  // namespace

std::variant<Starts, std::string> automatic_starts(int model, std::span<const double> x1,
                                                   std::span<const double> x2,
                                                   std::span<const double> y) {
  const Model* m = find_model(model);
  if (m == nullptr)
    return "Model " + std::to_string(model) + " is not one of the built-in models.";
  const std::size_t n = std::min(x1.size(), y.size());
  if (n < static_cast<std::size_t>(m->np) + 1)
    return "The " + std::string(m->label) + " model's " + std::to_string(m->np) +
           " parameters need at least " + std::to_string(m->np + 1) + " observations, not " +
           std::to_string(n) + ".";

  // X2 of the models that read none is taken as 0: their levels are X1's alone.
  const bool reads_x2 = m->nx == 2;
  std::vector<double> inhibitor(n, 0.0);
  if (reads_x2)
    std::copy_n(x2.begin(), std::min(n, x2.size()), inhibitor.begin());
  const std::span<const double> s = x1.first(n);
  y = y.first(n);

  double x1_small = HUGE_VAL, x1_large = 0.0, y_large = 0.0;
  std::vector<double> x2_levels;
  for (std::size_t i = 0; i < n; ++i) {
    if (s[i] > 0.0) {
      x1_small = std::min(x1_small, s[i]);
      x1_large = std::max(x1_large, s[i]);
    }
    if (inhibitor[i] > 0.0)
      x2_levels.push_back(inhibitor[i]);
    y_large = std::max(y_large, std::abs(y[i]));
  }
  if (x1_large == 0.0)
    return std::string("No X1 value is positive, so the half-saturation constant has no start.");
  if (reads_x2 && x2_levels.empty())
    return "No X2 value is positive, so the " + std::string(m->label) +
           " model's inhibition constants have no start.";

  const std::vector<Level> levels = level_means(s, inhibitor, y);
  // Uninhibited: the levels at the lowest X2, which come first.
  std::vector<Level> curve;
  for (const Level& level : levels)
    if (level.x2 == levels.front().x2)
      curve.push_back(level);
  double rate = -HUGE_VAL;
  for (const Level& level : levels)
    rate = std::max(rate, level.mean);
  if (!(rate > 0.0))
    return std::string(
        "The rates are all zero or their largest mean is not positive, so Vmax has no start.");

  const bool falling = m->shape == Shape::falling || (m->shape == Shape::either && falls(s, y));
  // Distinct levels: replicates at one inhibitor level do not pull the median to it.
  std::sort(x2_levels.begin(), x2_levels.end());
  x2_levels.erase(std::unique(x2_levels.begin(), x2_levels.end()), x2_levels.end());

  // A baseline, where the model has one: the level at the far end from the top.
  std::optional<double> floor;
  for (int k = 0; k < m->np; ++k) {
    if (m->parameters[static_cast<std::size_t>(k)].role == Role::baseline)
      floor = falling ? curve.back().mean : curve.front().mean;
  }

  Starts starts{};
  for (int k = 0; k < m->np; ++k) {
    Start& start = starts[static_cast<std::size_t>(k)];
    switch (m->parameters[static_cast<std::size_t>(k)].role) {
    case Role::half_saturation:
      start = {half_point(curve, falling, {x1_small, x1_large}, floor), x1_small / 1000.0,
               x1_large * 1000.0};
      break;
    case Role::max_rate: start = {rate, 0.0, 10.0 * y_large}; break;
    case Role::inhibition_constant:
      start = {median(x2_levels), x2_levels.front() / 1000.0, x2_levels.back() * 1000.0};
      break;
    case Role::hill_coefficient: start = falling ? Start{-1.0, -10.0, -0.1} : hill_neutral_n; break;
    case Role::baseline: start = {*floor, -10.0 * y_large, 10.0 * y_large}; break;
    case Role::substrate_inhibition:
      // Inhibition shows at the highest concentrations.
      start = {x1_large, x1_small / 1000.0, x1_large * 1000.0};
      break;
    case Role::user_defined:
      return "The parameters of an equation of your own take their starts and bounds from "
             "--start, --lower and --upper.";
    }
  }
  return starts;
}

}  // namespace quillon::models
