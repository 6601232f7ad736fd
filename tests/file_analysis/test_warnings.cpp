#include <gtest/gtest.h>

#include "data_import/import_fixture.h"
#include "file_analysis/warnings.h"

namespace quillon::file_analysis {
namespace {

// A Michaelis-Menten fit with bounds [0, 100] and [0.01, 1000].
models::FitState mm_fit() {
  models::FitState fit;
  fit.model = 1;
  fit.np = 2;
  fit.nx = 1;
  fit.npoints = 3;
  fit.pinit = {2.0, 10.0};
  fit.plower = {0.0, 0.01};
  fit.pupper = {100.0, 1000.0};
  fit.pbest = {2.5, 11.0};
  return fit;
}

report::ParameterUncertainty row_with_cv(double cv) {
  report::ParameterUncertainty row;
  row.cv = cv;
  return row;
}

TEST(Warnings, EstimatesOutsideTheirBounds) {
  models::FitState fit = mm_fit();
  EXPECT_TRUE(estimate_warnings(fit).empty());
  fit.pinit = {-1.0, 2000.0};
  EXPECT_EQ(estimate_warnings(fit),
            (std::vector<std::string>{"initial Km -1 outside its bounds [0, 100]",
                                      "initial Vmax 2000 outside its bounds [0.01, 1000]"}));
}

TEST(Warnings, ParametersOnABoundAndPoorlyDetermined) {
  const struct {
    const char* name;
    std::vector<double> best;
    std::vector<double> cv;
    std::vector<std::string> notes;
  } rows[] = {
      {"inside, well determined", {2.5, 11.0}, {3.0, 50.0}, {}},
      // The fold leaves a parameter driven to a bound of zero at 1e-10.
      {"at a lower bound of zero", {1e-10, 11.0}, {}, {"Km at its lower bound 0"}},
      {"a relative millionth from the upper bound",
       {2.5, 1000.0 - 9e-4},
       {},
       {"Vmax at its upper bound 1000"}},
      {"two millionths away is not on it", {2.5, 1000.0 - 2e-3}, {}, {}},
      {"CV above 50 %",
       {2.5, 11.0},
       {50.01, -73.25},
       {"Km poorly determined: CV 50.0 %", "Vmax poorly determined: CV 73.2 %"}},
      {"CV not finite",
       {0.0, 11.0},
       {std::numeric_limits<double>::infinity(), 1.0},
       {"Km at its lower bound 0", "Km poorly determined: CV not finite"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    models::FitState fit = mm_fit();
    fit.pbest = row.best;
    std::vector<report::ParameterUncertainty> uncertainty;
    for (double cv : row.cv)
      uncertainty.push_back(row_with_cv(cv));
    EXPECT_EQ(result_warnings(fit, uncertainty), row.notes);
  }
}

using ExtraValues = testing::ImportFolder;

TEST_F(ExtraValues, ObservationLinesWithMoreNumbersThanTheModelReads) {
  const std::string header = "1\n2 10\n0 0.01\n100 1000\n";
  const struct {
    const char* name;
    std::string body;
    std::vector<std::string> notes;
  } rows[] = {
      {"two per line, remarks and a tab", "1 2 ! x 3\n2\t3\n4,5\n", {}},
      {"a decimal comma",
       "1 2\n2,5 3,5\n4 5\n",
       {"line 6 holds 4 numbers but the model reads 2 per observation: the rest are ignored"}},
      {"a third column on every line",
       "1 2 3\n2 3 4\n4 5 6\n",
       {"line 5 holds 3 numbers but the model reads 2 per observation: the rest are ignored "
        "(3 such lines)"}},
      {"lines after the observations are not looked at", "1 2\n2 3\n4 5\n\n7 8 9\n", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(extra_value_warnings(accepted(header + row.body)), row.notes);
  }
}

}  // namespace
}  // namespace quillon::file_analysis
