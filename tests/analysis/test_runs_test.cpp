#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/runs_test.h"

namespace quillon::analysis {
namespace {

TEST(RunsTest, LowerTailIsTheExactDistribution) {
  // P(R <= r), from R: sum of the exact run-count probabilities (choose()).
  const struct {
    int positive, negative, runs;
    double p;
  } rows[] = {
      {1, 1, 2, 1},
      {2, 3, 2, 0.20000000000000001},
      {2, 3, 3, 0.5},
      {5, 5, 3, 0.03968253968253968},
      {10, 8, 5, 0.013368983957219251},
      {6, 12, 4, 0.0068950657185951301},
      {9, 9, 6, 0.044467297408473876},
      {20, 15, 10, 0.0033966887523979947},
      {50, 50, 40, 0.017178271238894205},
      {9, 9, 18, 1},
      {300, 250, 200, 1.1978891395440186e-10},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.positive << " " << row.negative << " " << row.runs);
    EXPECT_NEAR(runs_lower_tail(row.positive, row.negative, row.runs), row.p, 1e-9 * row.p);
  }
}

TEST(RunsTest, CountsSignsAndRunsWithoutZeros) {
  const double nan = std::nan("");
  const struct {
    std::vector<double> residuals;
    int positive, negative, runs;
  } rows[] = {
      {{1, 2, -1, -2, 3}, 3, 2, 3},
      {{1, 0, 2, -1, 0, -2, 3}, 3, 2, 3},  // zeros dropped: they neither break nor start a run
      {{-1, nan, -2, 1}, 1, 2, 2},
  };
  for (const auto& row : rows) {
    const auto test = runs_test(row.residuals);
    ASSERT_TRUE(test.has_value());
    EXPECT_EQ(test->positive, row.positive);
    EXPECT_EQ(test->negative, row.negative);
    EXPECT_EQ(test->runs, row.runs);
  }
  EXPECT_FALSE(runs_test(std::vector<double>{1, 2, 0, 3}).has_value());
  EXPECT_FALSE(runs_test(std::vector<double>{}).has_value());
}

}  // namespace
}  // namespace quillon::analysis
