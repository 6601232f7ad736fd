#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "report/criteria_block.h"
#include "report/uncertainty.h"
#include "support/test_support.h"

namespace quillon::report {
namespace {

// Ten observations y = x, two parameters, SSQ0 = 1.
models::FitState ten_points(std::vector<double> best) {
  models::FitState fit;
  fit.npoints = 10;
  fit.np = static_cast<int>(best.size());
  for (int i = 1; i <= 10; ++i) {
    fit.x1.push_back(i);
    fit.y1.push_back(i);
  }
  fit.ycalc.assign(models::max_points, 0.0);
  fit.pbest = std::move(best);
  for (int j = 0; j < fit.np; ++j) {
    fit.plower[j] = -1.0e6;
    fit.pupper[j] = 1.0e6;
  }
  fit.ssq0 = 1.0;
  fit.rng.seed(5489);
  return fit;
}

Objective constant_objective(double value) {
  return [value](std::span<const double>) { return value; };
}

const std::string rule72(72, '=');
const std::string rule91(91, '-');
const std::string rule25(25, '-');

TEST(EstimateUncertainty, NothingAcceptedRunsTheRerunOnce) {
  models::FitState fit = ten_points({1.0, 2.0});
  testing::StringConsole sc;
  estimate_uncertainty(sc.console, fit, constant_objective(std::nan("")));

  std::vector<std::string> expected = {
      "",
      rule72,
      "  PARAMETER UNCERTAINTY ESTIMATION  (sampling)",
      rule72,
      "  Best-fit Unweighted SSQ0          =   1.0000E+00",
      "  Acceptance threshold   =   2.1147E+00",
      "  Relaxation (SSQ_RELAX) = 111.5 % above best-fit SSQ",
      "  Perturbation (EPS_SAMP)= +/- 25.0 % of best-fit parameters",
      "  Max samples to collect =   2000",
      ""};
  const auto criteria = testing::criteria_lines_ten_points();
  expected.insert(expected.end(), criteria.begin(), criteria.end());
  const std::vector<std::string> only_best = {
      "  Parameter estimates only",
      rule25,
      "  Par         Best-fit",
      rule25,
      "   P1         1.000000",
      "   P2         2.000000",
      rule91,
  };
  expected.insert(expected.end(), {"", "  WARNING: fewer than 3 samples collected.",
                                   "  Increasing SSQ_RELAX x10 and reanalyzing...", ""});
  expected.insert(expected.end(), only_best.begin(), only_best.end());
  expected.push_back("  N =      0 samples accepted within 111.5 % of best-fit SSQ");
  // Rerun: ten times the relaxation no longer fits the F5.1 field.
  expected.insert(expected.end(),
                  {"", rule72, "  PARAMETER UNCERTAINTY ESTIMATION  (rerun at higher threshold)",
                   rule72, "  Best-fit Unweighted SSQ0          =   1.0000E+00",
                   "  Acceptance threshold   =   1.2147E+01",
                   "  Relaxation (SSQ_RELAX) = ***** % above best-fit SSQ",
                   "  Perturbation (EPS_SAMP)= +/- 25.0 % of best-fit parameters",
                   "  Max samples to collect =   2000", ""});
  expected.insert(expected.end(), criteria.begin(), criteria.end());
  expected.insert(expected.end(), {"", "  WARNING: fewer than 3 samples collected.", ""});
  expected.insert(expected.end(), only_best.begin(), only_best.end());
  expected.push_back("  N =      0 samples accepted within ***** % of best-fit SSQ");
  EXPECT_EQ(sc.output(), testing::crlf_lines(expected));
}

// With weights, the threshold and the criteria are of the weighted sum; the
// unweighted line stays.
TEST(EstimateUncertainty, WeightedFitsSampleBelowTheWeightedThreshold) {
  models::FitState fit = ten_points({1.0, 2.0});
  fit.weights.assign(10, 2.0);
  fit.wssq0 = 2.0;
  testing::StringConsole sc;
  // Above the unweighted threshold 2.1147, below the weighted 4.2295.
  const UncertaintyResult result = estimate_uncertainty(sc.console, fit, constant_objective(3.0));
  const std::string out = sc.output();
  EXPECT_NE(out.find("\r\n  Best-fit Unweighted SSQ0          =   1.0000E+00\r\n"
                     "  Best-fit weighted SSQ             =   2.0000E+00\r\n"
                     "  Acceptance threshold   =   4.2295E+00\r\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(result.accepted, 2000);
  ASSERT_TRUE(result.criteria);
  EXPECT_DOUBLE_EQ(result.criteria->aic, 4 + 10 * std::log(0.2));
}

TEST(EstimateUncertainty, AllAcceptedGivesTheFullTable) {
  models::FitState fit = ten_points({1.0, 2.0});
  const std::mt19937_64 start = fit.rng;
  testing::StringConsole sc;
  std::vector<double> seen;
  estimate_uncertainty(sc.console, fit, [&](std::span<const double> q) {
    seen.insert(seen.end(), q.begin(), q.end());
    return 0.0;
  });
  const std::string out = sc.output();
  const auto has = [&](const std::string& line) {
    return out.find("\r\n" + line + "\r\n") != std::string::npos;
  };
  EXPECT_TRUE(
      has("  Par         Best-fit      Sample mean        Std error             CV %"
          "     95% CI (+/-)"))
      << out;
  EXPECT_TRUE(
      has("  N =   2000 samples accepted within 111.5 % of best-fit SSQ from   2000 trials"));
  EXPECT_TRUE(has("  INTERPRETATION:"));
  EXPECT_TRUE(has("  Std.Error = marginal std deviation of the parameter"));
  EXPECT_TRUE(has("              sample within SSQ*(1+ 1.1) shell."));
  EXPECT_TRUE(has("  95% CI    = Best-fit +/-  1.96 * Std.Error"));
  EXPECT_TRUE(out.ends_with("  95% CI    = Best-fit +/-  1.96 * Std.Error\r\n"));
  EXPECT_EQ(out.find("rerun"), std::string::npos);

  // 2000 trials, each within +/-25 %.
  ASSERT_EQ(seen.size(), 2u * 2000);
  for (std::size_t k = 0; k < seen.size(); k += 2) {
    EXPECT_LE(std::fabs(seen[k] / 1.0 - 1.0), 0.25);
    EXPECT_LE(std::fabs(seen[k + 1] / 2.0 - 1.0), 0.25);
  }

  // The pass drew exactly one pool of 60 from the fit's generator.
  std::mt19937_64 expected_rng = start;
  expected_rng.discard(60);
  EXPECT_EQ(fit.rng, expected_rng);

  // The printed statistics are those of the trial values that the objective saw.
  double sum = 0.0;
  for (std::size_t k = 0; k < seen.size(); k += 2)
    sum += seen[k];
  const double expected_mean = sum / 2000;
  double ss = 0.0;
  for (std::size_t k = 0; k < seen.size(); k += 2) {
    ss += (seen[k] - expected_mean) * (seen[k] - expected_mean);
  }
  const double expected_se = std::sqrt(ss / 1999);
  const auto row_at = out.find("   P1 ");
  ASSERT_NE(row_at, std::string::npos);
  double best, mean, se, cv, ci;
  ASSERT_EQ(
      std::sscanf(out.c_str() + row_at, "   P1 %lf %lf %lf %lf %lf", &best, &mean, &se, &cv, &ci),
      5);
  EXPECT_EQ(best, 1.0);
  EXPECT_NEAR(mean, expected_mean, 5e-7);
  EXPECT_NEAR(se, expected_se, 5e-7);
  EXPECT_NEAR(cv, 100 * expected_se, 5e-7);
  EXPECT_NEAR(ci, 1.96 * expected_se, 5e-7);
  EXPECT_NEAR(se, 0.25 / std::sqrt(3.0), 0.03);  // roughly uniform over +/-25 %
}

TEST(EstimateUncertainty, LargeParameterSwitchesItsRowToExponentForm) {
  models::FitState fit = ten_points({20000.0, 2.0});
  testing::StringConsole sc;
  estimate_uncertainty(sc.console, fit, constant_objective(0.0));
  const std::string out = sc.output();
  EXPECT_NE(out.find("\r\n   P1     2.000000E+04     "), std::string::npos) << out;
  EXPECT_NE(out.find("\r\n   P2         2.000000         "), std::string::npos) << out;
}

TEST(EstimateUncertainty, ZeroBestFitIsNeverMovedAndGetsTheErrorFloor) {
  models::FitState fit = ten_points({0.0, 2.0});
  testing::StringConsole sc;
  estimate_uncertainty(sc.console, fit, constant_objective(0.0));
  EXPECT_NE(sc.output().find("\r\n   P1         0.000000         0.000000         0.000001"
                             "         Infinity         0.000002\r\n"),
            std::string::npos)
      << sc.output();
}

TEST(EstimateUncertainty, TrialsAreFoldedIntoNarrowBounds) {
  models::FitState fit = ten_points({1.0, 2.0});
  fit.plower[0] = 0.95;
  fit.pupper[0] = 1.05;
  bool inside = true;
  testing::StringConsole sc;
  estimate_uncertainty(sc.console, fit, [&](std::span<const double> q) {
    inside = inside && q[0] >= 0.95 && q[0] <= 1.05;
    return 0.0;
  });
  EXPECT_TRUE(inside);
}

TEST(EstimateUncertainty, TooFewObservationsSkipTheSampling) {
  models::FitState fit = ten_points({1.0, 2.0});
  fit.npoints = 2;
  const std::mt19937_64 start = fit.rng;
  int calls = 0;
  testing::StringConsole sc;
  estimate_uncertainty(sc.console, fit, [&](std::span<const double>) {
    ++calls;
    return 0.0;
  });
  EXPECT_EQ(sc.output(),
            testing::crlf_lines(
                {"", rule72, "  PARAMETER UNCERTAINTY ESTIMATION  (sampling)", rule72,
                 "  Too few observations for an uncertainty estimate: at least 3 are needed."}));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(fit.rng, start);
}

}  // namespace
}  // namespace quillon::report
