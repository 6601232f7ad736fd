#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "models/catalogue.h"
#include "models/model_block.h"
#include "optimise/tunnelling_search.h"
#include "support/test_support.h"
#include "textio/text_utils.h"

namespace quillon::optimise {
namespace {

// Model values in C++, for synthetic data only.
double model_value(int model, const std::vector<double>& p, double x1, double x2) {
  switch (model) {
  case 1: return p[1] * x1 / (x1 + p[0]);
  case 2: return p[1] * std::pow(x1, p[2]) / (std::pow(x1, p[2]) + std::pow(p[0], p[2]));
  case 3: return (p[1] * x1 / (1 + x2 / p[2])) / (p[0] + x1 / (1 + x2 / p[2]));
  case 4: return (p[1] * x1 / (1 + x2 / p[2])) / (x1 + p[0]);
  case 5: return (p[1] * x1 / (1 + x2 / p[2])) / (p[0] / (1 + x2 / p[2]) + x1);
  default: return p[1] * x1 / (p[0] * (1 + x2 / p[2]) + x1 * (1 + x2 / p[3]));
  }
}

// A fit state as its preparation leaves it: x1 ascending.
models::FitState synthetic_fit(int model, const std::vector<double>& truth,
                               const std::vector<double>& init, const std::vector<double>& lower,
                               const std::vector<double>& upper) {
  models::FitState fit;
  fit.model = model;
  fit.model_name = textio::fixed_text("SYNTHETIC MODEL", 512);
  const models::Model& m = *models::find_model(model);
  fit.np = m.np;
  fit.nx = m.nx;
  fit.nc = m.nc;
  const std::vector<double> s = {0.5, 2, 8, 32};
  const std::vector<double> inhibitor =
      fit.nx == 1 ? std::vector<double>{0.0} : std::vector<double>{0, 4, 16};
  for (double x1 : s) {
    for (double x2 : inhibitor) {
      fit.x1.push_back(x1);
      fit.x2.push_back(x2);
      fit.y1.push_back(model_value(model, truth, x1, x2));
    }
  }
  fit.npoints = static_cast<int>(fit.x1.size());
  fit.x3.assign(fit.x1.size(), 0.0);
  fit.ycalc.assign(models::max_points, 0.0);
  fit.c = {1.0};
  fit.var.assign(fit.np + fit.nx + fit.nc, 0.0);
  for (int k = 0; k < fit.np; ++k) {
    fit.var[k] = init[k];
    fit.plower[k] = lower[k];
    fit.pupper[k] = upper[k];
  }
  fit.var[fit.np + fit.nx] = 1.0;
  return fit;
}

struct Recovery {
  int model;
  std::vector<double> truth, init, lower, upper;
};

void PrintTo(const Recovery& r, std::ostream* os) {
  *os << "model " << r.model;
}

class NoiseFree : public ::testing::TestWithParam<Recovery> {};

// Noise-free data never stall (the sum of squares only jitters near zero), so each
// of these runs three full runs of 1100 passes.
TEST_P(NoiseFree, RecoversTrueParameters) {
  const Recovery& c = GetParam();
  testing::StringConsole sc;
  models::FitState fit = synthetic_fit(c.model, c.truth, c.init, c.lower, c.upper);
  models::ModelEvaluator ev(sc.console);
  models::set_up_model(fit, ev);
  tunnelling_search(sc.console, fit, ev);
  double worst = 0.0;
  for (int k = 0; k < fit.np; ++k) {
    EXPECT_NEAR(fit.pbest[k] / c.truth[k], 1.0, 1e-4) << "P" << k + 1 << " " << fit.pbest[k];
    worst = std::max(worst, std::fabs(fit.pbest[k] / c.truth[k] - 1.0));
  }
  // Runs that never stall: 1100 passes, and every 250th pass closes a full line of marks.
  const std::string out = sc.output();
  EXPECT_NE(out.find("\r\n" + std::string(50, '>') + ".\r\n"), std::string::npos);
  EXPECT_NE(out.find("\r\n" + std::string(20, '>') + "\r\nOuter passes completed:   1100"),
            std::string::npos);
  RecordProperty("worst_relative_error", std::to_string(worst));
  std::printf("model %d: worst relative error %.3g, SSQ %.3g\n", c.model, worst, fit.best);
  EXPECT_LT(fit.best, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    EachModel, NoiseFree,
    ::testing::Values(
        Recovery{1, {2.5, 10.0}, {1.0, 5.0}, {0.1, 0.1}, {100, 100}},
        Recovery{2, {3.0, 10.0, 1.5}, {1.0, 5.0, 1.0}, {0.1, 0.1, 0.1}, {100, 100, 10}},
        Recovery{3, {2.5, 10.0, 4.0}, {1.0, 5.0, 1.0}, {0.1, 0.1, 0.1}, {100, 100, 100}},
        Recovery{4, {2.5, 10.0, 4.0}, {1.0, 5.0, 1.0}, {0.1, 0.1, 0.1}, {100, 100, 100}},
        Recovery{5, {2.5, 10.0, 4.0}, {1.0, 5.0, 1.0}, {0.1, 0.1, 0.1}, {100, 100, 100}},
        Recovery{6,
                 {2.5, 10.0, 4.0, 15.0},
                 {1.0, 5.0, 1.0, 1.0},
                 {0.1, 0.1, 0.1, 0.1},
                 {100, 100, 100, 100}}),
    [](const ::testing::TestParamInfo<Recovery>& param) {
      return "model" + std::to_string(param.param.model);
    });

// Michaelis-Menten data with a little scatter, so that runs end by stalling.
models::FitState small_fit(double scale = 1.0) {
  models::FitState fit =
      synthetic_fit(1, {2.5, 10.0 * scale}, {1.0, 5.0 * scale}, {0.1, 0.1}, {100, 100 * scale});
  const double scatter[] = {0.02, -0.03, 0.01, -0.015};
  for (int i = 0; i < fit.npoints; ++i)
    fit.y1[i] += scatter[i] * scale;
  return fit;
}

std::string run_fit(models::FitState& fit, models::ModelEvaluator& ev, testing::StringConsole& sc) {
  const std::size_t start = sc.out.str().size();
  models::print_model_block(sc.console, fit, models::set_up_model(fit, ev));
  tunnelling_search(sc.console, fit, ev);
  return sc.out.str().substr(start);
}

std::vector<std::string> lines_of(const std::string& text) {
  EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << "every line ends with CR LF";
  return testing::split_crlf(text);
}

// Digits masked: the layout of the account, whatever the numbers.
std::string masked(std::string line) {
  for (char& ch : line) {
    if (ch >= '0' && ch <= '9')
      ch = '#';
  }
  return line;
}

TEST(TunnellingSearch, AccountLayoutOfASmallFit) {
  testing::StringConsole sc;
  models::FitState fit = small_fit();
  models::ModelEvaluator ev(sc.console);
  const auto lines = lines_of(run_fit(fit, ev, sc));
  const std::vector<std::string> run1 = {
      "",
      "------------------------------------------------------------------",
      " 1 -Run using initial parameter estimates:",
      "------------------------------------------------------------------",
      "",
      "Initial SSQ        =   1.000000E+15",
      "Initial parameters =       1.0000      5.0000",
      "",
      "  SteepDA accepted: SSQ0 ->   #.######E-## (iter=   ##, converged=T)",
      "  SteepDA params =        #.######       #.######",
      "",
      "Progress: ",
      // The polish at pass 10: its leading slash gives an empty line, no marks being open.
      "",
      "  SteepDA polish accepted: SSQ0 ->   #.######E-## (iter=   ##, converged=T)",
      "  SteepDA params =        #.######       #.######",
      ">>>>>>>>>>>>>>>>>>",
      "Outer passes completed:     ##  (stall counter at exit:     50) >=     50",
      "",
      "Total accepted / rejected improvement:       ## /    #####",
      "  Successful improvement for P 1:       ##",
      "  Successful improvement for P 2:       ##",
      "",
      "Model: Y=P2*X1/(X1+P1)",
      "Best-fit weighted SSQ    =   #.######E-##",
      "Best-fit params =        #.######       #.######",
      "",
      "------------------------------------------------------------------",
      " 2 -Restarted using current parameter estimates:",
      "------------------------------------------------------------------",
      "",
      "Initial SSQ        =   #.######E-##",
      "Initial parameters =       #.####      #.####",
      "",
      "Progress: ",
  };
  ASSERT_GE(lines.size(), 11 + run1.size());
  for (std::size_t i = 0; i < run1.size(); ++i) {
    EXPECT_EQ(masked(lines[11 + i]), masked(run1[i])) << "line " << 12 + i;
  }
  // Three runs: the third brought no accepted trial and is the last.
  const std::string text = sc.output();
  EXPECT_NE(text.find(" 3 -Restarted"), std::string::npos);
  EXPECT_EQ(text.find(" 4 -Restarted"), std::string::npos);
  EXPECT_NE(text.find("Total accepted / rejected improvement:        0 /"), std::string::npos);
  EXPECT_EQ(lines.back(), "");
}

TEST(TunnellingSearch, TwoFitsInOneRunPrintTheSameAccount) {
  testing::StringConsole sc;
  models::ModelEvaluator ev(sc.console);
  models::FitState first = small_fit();
  const std::string a = run_fit(first, ev, sc);
  // Something else uses the generator in between, as the uncertainty sampling does.
  first.rng.discard(12345);
  models::FitState second = small_fit();
  second.rng = first.rng;
  const std::string b = run_fit(second, ev, sc);
  EXPECT_EQ(a, b);
  EXPECT_EQ(first.pbest, second.pbest);
  EXPECT_EQ(first.best, second.best);
}

// After the label's " = ", nothing but ES17.6 fields: four blanks, sign or blank,
// d.dddddd, E, sign, two digits.
bool exponent_fields(const std::string& line) {
  const std::size_t eq = line.find(" = ");
  if (eq == std::string::npos)
    return false;
  const std::string fields = line.substr(eq + 3);
  if (fields.empty() || fields.size() % 17 != 0)
    return false;
  const std::string shape = "    s#.######Ex##";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const char want = shape[i % 17];
    const char ch = fields[i];
    const bool ok = want == '#'   ? ch >= '0' && ch <= '9'
                    : want == 's' ? ch == ' ' || ch == '-'
                    : want == 'x' ? ch == '+' || ch == '-'
                                  : ch == want;
    if (!ok)
      return false;
  }
  return true;
}

TEST(TunnellingSearch, LargeParametersSwitchToExponentForm) {
  testing::StringConsole sc;
  models::FitState fit = small_fit(1.0e4);
  models::ModelEvaluator ev(sc.console);
  const auto lines = lines_of(run_fit(fit, ev, sc));
  int switched = 0;
  for (const auto& line : lines) {
    if (line.find("params =") != std::string::npos ||
        line.find("parameters =") != std::string::npos) {
      EXPECT_TRUE(exponent_fields(line)) << line;
      ++switched;
    }
  }
  EXPECT_GE(switched, 6);
  EXPECT_NEAR(fit.pbest[1] / 1.0e5, 1.0, 1e-2);
}

TEST(TunnellingSearch, EstimatesOutsideTheBoundsAreNotFoldedBeforeTheFirstDescent) {
  testing::StringConsole sc;
  models::FitState fit = small_fit();
  fit.var[0] = 500.0;  // above its upper bound of 100
  models::ModelEvaluator ev(sc.console);
  const std::string text = run_fit(fit, ev, sc);
  EXPECT_NE(text.find("Initial parameters =     500.0000      5.0000\r\n"), std::string::npos);
  for (int k = 0; k < fit.np; ++k) {
    EXPECT_GE(fit.pbest[k], fit.plower[k]);
    EXPECT_LE(fit.pbest[k], fit.pupper[k]);
  }
}

TEST(TunnellingSearch, BestAlwaysBelongsToTheFoldedBestFit) {
  // The minimum lies far above the upper bound: the descents leave the box and their
  // results are folded back. The recorded best must be the objective at pbest, not at
  // the point outside the bounds that the descent reached.
  testing::StringConsole sc;
  models::FitState fit;
  fit.np = 1;
  fit.eq = textio::fixed_text("Y=P1", 512);
  fit.var = {1.0};
  fit.plower[0] = 0.5;
  fit.pupper[0] = 2.0;
  auto objective = [](std::span<const double> p) { return (p[0] - 10.0) * (p[0] - 10.0); };
  tunnelling_search(sc.console, fit, objective);
  ASSERT_EQ(fit.pbest.size(), 1u);
  EXPECT_LE(fit.pbest[0], 2.0);
  EXPECT_EQ(fit.best, objective(fit.pbest));
}

}  // namespace
}  // namespace quillon::optimise
