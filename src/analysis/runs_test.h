// The Wald-Wolfowitz runs test on the signs of a fit's residuals: too few runs
// means the curve misses the data systematically.
#pragma once

#include <optional>
#include <span>

namespace quillon::analysis {

struct RunsTest {
  int positive = 0;  // residuals above zero
  int negative = 0;  // below zero
  int runs = 0;      // maximal runs of one sign
  double p = 1.0;    // probability of this many runs or fewer, from the exact distribution
};

// The test on the residuals in their order; zero residuals are dropped. Empty when
// no residual is positive or none negative (every order then has one run).
std::optional<RunsTest> runs_test(std::span<const double> residuals);

// P(R <= runs) for `positive` and `negative` signs in random order (both at least 1).
double runs_lower_tail(int positive, int negative, int runs);

}  // namespace quillon::analysis
