// The noncompetitive example of the help screen from the model block through the
// end of the uncertainty section, with the real search and model evaluation,
// against the reference transcript.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data_import/data_import.h"
#include "data_import/dsort3.h"
#include "models/catalogue.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "optimise/tunnelling_search.h"
#include "report/fit_report.h"
#include "support/test_support.h"

namespace quillon::report {
namespace {

std::vector<double> numbers(std::string line) {
  line = line.substr(0, line.find('!'));
  std::replace(line.begin(), line.end(), ',', ' ');
  std::istringstream in(line);
  std::vector<double> v;
  for (double x; in >> x;)
    v.push_back(x);
  return v;
}

// The fit state as the main loop prepares it: header, observations up to the first
// empty or "#" line, initial estimates in var, constants, rows sorted by X1.
models::FitState prepared_fit(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::vector<std::vector<double>> lines;
  while (std::getline(in, line)) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#')
      break;
    lines.push_back(numbers(line));
  }
  models::FitState fit;
  fit.model = static_cast<int>(lines.at(0).at(0));
  data_import::npar(fit.model, fit.model_name, fit.np, fit.nx, fit.nc);
  for (std::size_t i = 4; i < lines.size(); ++i) {
    fit.x1.push_back(lines[i][0]);
    fit.x2.push_back(fit.nx >= 2 ? lines[i][1] : 0.0);
    fit.y1.push_back(lines[i][static_cast<std::size_t>(fit.nx)]);
  }
  fit.npoints = static_cast<int>(fit.x1.size());
  fit.x3.assign(fit.x1.size(), 0.0);
  data_import::dsort3_module::dsort3(fit.x1, fit.y1, fit.x2, fit.x3, fit.npoints, fit.nx + 1);
  fit.ycalc.assign(models::max_points, 0.0);
  fit.var.assign(static_cast<std::size_t>(fit.np + fit.nx + fit.nc), 0.0);
  for (int k = 0; k < fit.np; ++k) {
    fit.var[k] = lines[1].at(k);
    fit.plower[k] = lines[2].at(k);
    fit.pupper[k] = lines[3].at(k);
  }
  for (int k = 0; k < fit.nc; ++k) {
    fit.c.push_back(models::constant_values[k]);
    fit.var[fit.np + fit.nx + k] = fit.c.back();
  }
  return fit;
}

// Model block, search and report of one example file, as the main loop runs them.
std::string run_cycle(const std::string& example, models::ModelEvaluator& ev,
                      testing::StringConsole& sc) {
  models::FitState fit = prepared_fit(QUILLON_EXAMPLES_DIR "/" + example + ".dat");
  models::print_model_block(sc.console, fit, models::set_up_model(fit, ev));
  optimise::tunnelling_search(sc.console, fit, ev);
  fit_report(sc.console, fit, ev);
  return sc.output();
}

// help_example_m4 is the reference transcript from the independent implementation;
// the others were produced here and checked by hand against the layouts.
class ExampleReport : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleReport, MatchesItsTranscript) {
  const std::string example = GetParam();
  testing::StringConsole sc;
  models::ModelEvaluator ev(sc.console);
  const auto actual = testing::split_crlf(run_cycle(example, ev, sc));
  const auto expected = testing::split_crlf(
      testing::read_file(QUILLON_REPORT_DATA_DIR "/" + example + ".report.txt"));
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
    ASSERT_EQ(actual[i], expected[i]) << "line " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleReport,
                         ::testing::Values("help_example_m4", "michaelis_menten", "hill_sigmoidal",
                                           "competitive_inhibition", "uncompetitive_inhibition",
                                           "mixed_inhibition"));

TEST(ExampleReport, TheResultHoldsThePrintedNumbers) {
  testing::StringConsole sc;
  models::ModelEvaluator ev(sc.console);
  models::FitState fit = prepared_fit(QUILLON_EXAMPLES_DIR "/help_example_m4.dat");
  models::set_up_model(fit, ev);
  optimise::tunnelling_search(sc.console, fit, ev);
  const std::size_t start = sc.output().size();
  const ReportResult r = fit_report(sc.console, fit, ev);
  const std::string out = sc.output().substr(start);

  ASSERT_EQ(r.residuals.size(), 35u);
  double ssq = 0.0;
  for (const ResidualRow& row : r.residuals) {
    EXPECT_EQ(row.residual, row.yobs - row.ycalc);
    ssq += row.residual * row.residual;
  }
  EXPECT_EQ(r.ssq0, ssq);
  EXPECT_EQ(r.ssq0, fit.ssq0);
  ASSERT_TRUE(r.uncertainty.criteria.has_value());
  EXPECT_FALSE(r.uncertainty.rerun);
  ASSERT_EQ(r.uncertainty.rows.size(), 3u);
  for (std::size_t j = 0; j < 3; ++j) {
    const ParameterUncertainty& u = r.uncertainty.rows[j];
    testing::StringConsole line;
    line.console.write("(2X,A2,I1,5F17.6)", "P", static_cast<int>(j) + 1, u.best, u.mean,
                       u.std_error, u.cv, u.half_width);
    EXPECT_NE(out.find(line.output()), std::string::npos) << line.output();
  }
}

TEST(ExampleReport, SecondCycleWithTheSameEvaluatorRepeatsTheReport) {
  testing::StringConsole first;
  testing::StringConsole second;
  models::ModelEvaluator ev(first.console);
  const std::string a = run_cycle("help_example_m4", ev, first);
  const std::string b = run_cycle("help_example_m4", ev, second);
  EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace quillon::report
