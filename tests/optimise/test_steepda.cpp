#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "optimise/steepda.h"

namespace quillon::optimise::mod_steepest {
namespace {

const auto quadratic = [](std::span<const double> x) { return (x[0] - 3.0) * (x[0] - 3.0); };

struct QuadraticCase {
  const char* name;
  double start;
  double tolerance;  // on |x - 3| at return
};

TEST(Steepda, QuadraticFromSeveralStarts) {
  const QuadraticCase cases[] = {
      {"from 0", 0.0, 1e-2},
      {"from the minimum", 3.0, 2e-3},  // warm-up overshoots to about 6 first
      {"from 10, warm-up uphill", 10.0, 1e-2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::array<double, 1> x{c.start};
    const Result r = steepda(quadratic, x, Settings{1, 1.0, 1.0e-06, 260});
    EXPECT_NEAR(x[0], 3.0, c.tolerance);
    EXPECT_NEAR(r.fx, 0.0, 1e-4);
    EXPECT_EQ(r.fx, quadratic(x)) << "fx is f at the returned point";
    EXPECT_LT(r.iter, 260);
    EXPECT_TRUE(r.converged);
    EXPECT_EQ(r.reason, StopReason::tolerance);
  }
}

TEST(Steepda, MaxitOneStopsAfterOneStepEvenWhenTheToleranceIsMet) {
  std::array<double, 1> x{3.0};
  const Result r = steepda(quadratic, x, Settings{1, 1.0, 1.0e+30, 1});
  EXPECT_EQ(r.iter, 1);
  EXPECT_FALSE(r.converged);
  EXPECT_EQ(r.reason, StopReason::max_iterations);
  EXPECT_EQ(r.evaluations, 3 + 2 + 1);  // warm-up, one central difference, the move
}

TEST(Steepda, ZeroStep0GrowsBeforeJudgingSoNoRecoveryIsNeeded) {
  // alpha = 1e-8 grows to 1.2e-8 on the first step (two rises of F in a row),
  // so the recovery below 1e-8 never runs.
  std::array<double, 1> x{0.0};
  const Result r = steepda(quadratic, x, Settings{1, 0.0, 1.0e-06, 1});
  EXPECT_EQ(r.evaluations, 6);
  const double g0 = 1.0 + 1.0e-08;
  const double warm = ((0.0 + (1.0e-08 * 1.0) / g0) + (1.0e-08 * 1.0) / g0) + (1.0e-08 * 1.0) / g0;
  EXPECT_GT(x[0], warm + 1.1e-08);
  EXPECT_LT(x[0], warm + 1.3e-08);
}

TEST(Steepda, VanishedStepIsRecovered) {
  // A tiny start step shrinks below 1e-8 after a lowering move and is rescaled
  // with extra evaluations; the descent still reaches the minimum.
  std::array<double, 1> x{3.0};
  const Result r = steepda(quadratic, x, Settings{1, 1.0e-08, 1.0e-14, 200});
  EXPECT_GT(r.evaluations, 3 + 3 * r.iter);
  EXPECT_NEAR(x[0], 3.0, 1e-3);
}

TEST(Steepda, AFlatStretchDoesNotGrowTheStep) {
  // The warm-up reaches x = 1, 2, 3: F rises once, then stays level. A level
  // change is not a second rise, so alpha stays 1; the move from x = 2 along the
  // floored gradient is alpha/2 long and lands on the plateau again.
  const auto ramp = [](std::span<const double> x) { return std::max(0.0, 1.25 - x[0]); };
  std::array<double, 1> x{0.0};
  const Result r = steepda(ramp, x, Settings{1, 1.0, 1.0e-06, 260});
  EXPECT_EQ(r.iter, 1);
  EXPECT_TRUE(r.converged);
  EXPECT_EQ(r.evaluations, 3 + 2 + 1);
  EXPECT_EQ(r.fx, 0.0);
  EXPECT_NEAR(x[0], 2.5, 1e-7);  // 2.6 had alpha grown to 1.2
}

TEST(Steepda, MaximisesWhenMinimiseIsZero) {
  std::array<double, 2> x{0.0, 0.0};
  auto hill = [](std::span<const double> p) {
    return -((p[0] - 1.0) * (p[0] - 1.0) + (p[1] + 2.0) * (p[1] + 2.0));
  };
  const Result r = steepda(hill, x, Settings{0, 1.0, 1.0e-10, 500});
  EXPECT_NEAR(x[0], 1.0, 1e-2);
  EXPECT_NEAR(x[1], -2.0, 1e-2);
  EXPECT_NEAR(r.fx, 0.0, 1e-4);
}

TEST(Steepda, NaNObjectiveEndsByMaxit) {
  std::array<double, 2> x{1.0, 2.0};
  auto nan = [](std::span<const double>) { return std::numeric_limits<double>::quiet_NaN(); };
  const Result r = steepda(nan, x, Settings{1, 1.0, 1.0e-06, 7});
  EXPECT_EQ(r.iter, 7);
  EXPECT_FALSE(r.converged);
  EXPECT_TRUE(std::isnan(r.fx));
}

TEST(Steepda, SameStartSameBits) {
  auto rosen = [](std::span<const double> p) {
    const double a = 1.0 - p[0];
    const double b = p[1] - p[0] * p[0];
    return a * a + 100.0 * b * b;
  };
  std::array<double, 2> x1{-1.2, 1.0};
  std::array<double, 2> x2 = x1;
  const Result r1 = steepda(rosen, x1, Settings{1, 0.1, 1.0e-12, 110});
  const Result r2 = steepda(rosen, x2, Settings{1, 0.1, 1.0e-12, 110});
  EXPECT_EQ(x1, x2);
  EXPECT_EQ(r1.fx, r2.fx);
  EXPECT_EQ(r1.iter, r2.iter);
}

TEST(Steepda, TakesAnySizeButNone) {
  // A global fit descends over many parameters at once.
  std::vector<double> eighty(80, 1.0);
  const auto bowl = [](std::span<const double> x) {
    double s = 0.0;
    for (std::size_t k = 0; k < x.size(); ++k)
      s += (x[k] - static_cast<double>(k % 5)) * (x[k] - static_cast<double>(k % 5));
    return s;
  };
  const double before = bowl(eighty);
  const Result r = steepda(bowl, eighty, Settings{1, 1.0, 1.0e-12, 2000});
  EXPECT_LT(r.fx, before * 1e-3);
  EXPECT_THROW(steepda(quadratic, std::span<double>(eighty.data(), 0), Settings{}),
               std::invalid_argument);
}

}  // namespace
}  // namespace quillon::optimise::mod_steepest
