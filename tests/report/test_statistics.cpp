#include <gtest/gtest.h>

#include <cmath>

#include "report/fstat.h"
#include "report/t2t95.h"

namespace quillon::report {
namespace {

TEST(T2t95, RangeEdgesAndBridges) {
  const struct {
    int df;
    double expected;
    double tolerance;
  } cases[] = {
      {-3, 12.706, 0},    {0, 12.706, 0}, {1, 12.706, 0},      {2, 4.303, 0},      {3, 3.182, 0},
      {4, 2.776, 0},      {5, 2.571, 0},  {6, 2.447, 0},       {7, 2.365, 0},      {8, 2.306, 0},
      {9, 2.262, 0},      {10, 2.228, 0}, {11, 2.201, 0},      {12, 2.179, 0},     {13, 2.160, 0},
      {14, 2.145, 0},     {15, 2.131, 0}, {16, 2.120, 0},      {17, 2.110, 0},     {18, 2.101, 0},
      {19, 2.093, 0},     {20, 2.086, 0}, {21, 2.0819, 1e-4},  {29, 2.0490, 1e-4}, {30, 2.045, 0},
      {59, 2.0015, 1e-4}, {60, 2.000, 0}, {100, 1.9868, 1e-4}, {999, 1.96, 1e-5},  {1000, 1.96, 0},
      {100000, 1.96, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.df);
    EXPECT_NEAR(t2t95(c.df), c.expected, c.tolerance);
  }
}

TEST(T2t95, NeverIncreasesWithDegreesOfFreedom) {
  for (int df = 1; df < 1100; ++df) {
    SCOPED_TRACE(df);
    EXPECT_GE(t2t95(df), t2t95(df + 1));
  }
}

TEST(FCritical, FixedValuesOutsideTheOpenInterval) {
  EXPECT_EQ(mod_fstat::f_critical(0.0, 2, 10), 5566.0);
  EXPECT_EQ(mod_fstat::f_critical(1.0e-16, 2, 10), 5566.0);
  EXPECT_EQ(mod_fstat::f_critical(-1.0, 2, 10), 5566.0);
  EXPECT_EQ(mod_fstat::f_critical(1.0, 2, 10), 8.329324e-09);
  EXPECT_EQ(mod_fstat::f_critical(7.0, 2, 10), 8.329324e-09);
}

TEST(FCritical, MatchesTabulatedFivePercentPoints) {
  const struct {
    double df1, df2, expected;
    // Tighter where a wrong tail would move the value by only about 1e-6.
    double tolerance = 2e-4 * expected;
  } cases[] = {
      {1, 1, 161.4476}, {2, 1, 199.5},
      {5, 1, 230.16},   {1, 3, 10.1280},
      {4, 2, 19.2468},  {1, 10, 4.9646},
      {2, 10, 4.1028},  {2, 8, 4.4590},
      {3, 30, 2.9223},  {10, 10, 2.9782},
      {1, 120, 3.9201}, {3, 32, 2.9011},
      {2, 33, 3.2849},  {4, 1000, 2.3808246197, 1e-9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "F(0.05; " << c.df1 << ", " << c.df2 << ")");
    EXPECT_NEAR(mod_fstat::f_critical(0.05, c.df1, c.df2), c.expected, c.tolerance);
  }
}

TEST(FCritical, RelaxationForTwoParametersAndTenPoints) {
  EXPECT_NEAR(0.25 * mod_fstat::f_critical(0.05, 2, 8), 1.11474, 1e-5);
}

TEST(FCritical, LargeDegreesOfFreedomApproachOne) {
  const double f = mod_fstat::f_critical(0.05, 500, 5000);
  EXPECT_GT(f, 1.0);
  EXPECT_LT(f, 1.2);
  EXPECT_NEAR(mod_fstat::f_critical(0.05, 1, 100000), 3.8415, 2e-3);
}

TEST(IncompleteBeta, KnownRatios) {
  // I_x(1, 1) = x; I_x(1, q) = 1 - (1 - x)^q; I_x(p, 1) = x^p.
  const auto lb = [](double p, double q) {
    return std::lgamma(p) + std::lgamma(q) - std::lgamma(p + q);
  };
  EXPECT_NEAR(mod_fstat::detail::incomplete_beta(0.3, 1, 1, lb(1, 1)), 0.3, 1e-9);
  EXPECT_NEAR(mod_fstat::detail::incomplete_beta(0.2, 1, 4, lb(1, 4)), 1 - std::pow(0.8, 4), 1e-9);
  EXPECT_NEAR(mod_fstat::detail::incomplete_beta(0.7, 3, 1, lb(3, 1)), std::pow(0.7, 3), 1e-9);
}

}  // namespace
}  // namespace quillon::report
