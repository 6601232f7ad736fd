#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "numerics/exact_math.h"
#include "optimise/random_pool.h"

namespace quillon::optimise {
namespace {

struct FoldCase {
  const char* name;
  double x, lower, upper;
  int mode;
  double expected;
  double tolerance;
};

TEST(Pbounds1, FoldsIntoBounds) {
  const FoldCase cases[] = {
      {"just above upper", 10.000001, 0, 10, 0,
       10 - (1 - 0.636619772367582 * numerics::exact_math::atan(1e-7)) * 5, 1e-12},
      {"far above upper", 1000, 0, 10, 0, 9.96785, 1e-5},
      {"below lower, algebraic", -5, 0, 10, 1, 10.0 / 3.0, 1e-12},
      {"degenerate interval", 3, 2, 2, 0, 2, 0},
      {"inside degenerate", 2, 2, 2, 0, 2, 0},
      {"symmetric interval", 5, -1, 1, 0, 0.70483, 1e-5},
      {"inside stays, even zero", 0, -1, 1, 0, 0, 0},
      {"inside stays", 4.5, 0, 10, 0, 4.5, 0},
      // Below zero a fold must not be mistaken for one that lands near zero.
      {"above a negative interval", -6, -100, -12, 0,
       -12 - (1 - 0.636619772367582 * numerics::exact_math::atan(6.0 / 88)) * 44, 1e-12},
      {"below a negative interval, algebraic", -188, -100, -12, 1, -78, 1e-12},
      {"above a negative interval, algebraic", 76, -100, -12, 1, -34, 1e-12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    double x = c.x;
    pbounds1(x, c.lower, c.upper, c.mode);
    EXPECT_NEAR(x, c.expected, c.tolerance);
    EXPECT_GE(x, c.lower);
    EXPECT_LE(x, c.upper);
  }
}

TEST(Pbounds1, NaNTakesTheUpperBranchAndStaysNaN) {
  double x = std::numeric_limits<double>::quiet_NaN();
  pbounds1(x, 0, 1, 0);
  EXPECT_TRUE(std::isnan(x));
}

TEST(Shuffle, FixedPointsAndRotation) {
  Pool all_high;
  all_high.fill(0.999);
  Pool copy = all_high;
  shuffle(copy);
  EXPECT_EQ(copy, all_high);

  Pool low;
  for (int k = 0; k < pool_size; ++k)
    low[k] = 0.001 * (k + 1) / pool_size;  // all below 1/60
  Pool rotated = low;
  shuffle(rotated);
  for (int k = 0; k < pool_size - 1; ++k)
    EXPECT_EQ(rotated[k], low[k + 1]) << k;
  EXPECT_EQ(rotated[pool_size - 1], low[0]);
}

TEST(Shuffle, SameNumbersSameSequenceAndPermutation) {
  std::mt19937_64 e1, e2;
  Pool a, b;
  fill_pool(a, e1);
  fill_pool(b, e2);
  Pool sorted_before = a;
  std::sort(sorted_before.begin(), sorted_before.end());
  for (int round = 0; round < 100; ++round) {
    shuffle(a);
    shuffle(b);
    ASSERT_EQ(a, b);
  }
  Pool sorted_after = a;
  std::sort(sorted_after.begin(), sorted_after.end());
  EXPECT_EQ(sorted_before, sorted_after);
}

TEST(Uniform01, TopFiftyThreeBits) {
  std::mt19937_64 engine;  // default seed 5489
  std::mt19937_64 raw;
  for (int k = 0; k < 10; ++k) {
    const double u = uniform01(engine);
    EXPECT_EQ(u, static_cast<double>(raw() >> 11) / 9007199254740992.0);
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
  }
}

}  // namespace
}  // namespace quillon::optimise
