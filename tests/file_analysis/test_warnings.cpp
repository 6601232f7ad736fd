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

TEST(Warnings, ConstantsBeyondTheHighestConcentration) {
  const struct {
    int model;
    std::vector<double> best;
    std::optional<double> lo, hi;  // every parameter's profile ends
    const char* name;
    std::string rest;  // of the note after "the highest ", empty for none
  } rows[] = {
      {1, {20.0, 11.0}, 2.2, 468.0, "Km", "[S] (8), 95 % profile interval 2.2 to 468"},
      {1, {20.0, 11.0}, 4.1, {}, "Km", "[S] (8), 95 % profile interval 4.1 to not determined"},
      {1, {20.0, 11.0}, {}, {}, "Km", "[S] (8)"},
      {1, {5.0, 11.0}, 2.2, 468.0, "Km", ""},
      {3, {5.0, 11.0, 3.5}, 1.0, {}, "Ki", "[I] (2), 95 % profile interval 1 to not determined"},
      {3, {5.0, 11.0, 1.5}, {}, {}, "Ki", ""},
      {9, {11.0, 9.0}, {}, {}, "Ki", "[I] (8)"},  // a tight binder's X1 is the inhibitor's
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.rest);
    models::FitState fit;
    fit.model = row.model;
    fit.np = static_cast<int>(row.best.size());
    fit.nx = row.model == 3 ? 2 : 1;
    fit.npoints = 4;
    fit.x1 = {1.0, 2.0, 8.0, 4.0, 99.0};  // the last beyond npoints
    fit.x2 = {0.0, 2.0, 1.0, 0.0, 99.0};
    fit.pbest.assign(row.best.size(), 1.0);  // the analysis's polished fit is the one read
    analysis::StandardAnalysis standard;
    standard.best = row.best;
    analysis::ParameterStats stats;
    stats.profile_lo = row.lo;
    stats.profile_hi = row.hi;
    standard.parameters.assign(row.best.size(), stats);
    std::vector<std::string> notes;
    if (!row.rest.empty())
      notes.push_back(std::string(row.name)
                          .append(" poorly determined: the best fit lies above the highest ")
                          .append(row.rest));
    EXPECT_EQ(beyond_data_warnings(fit, standard), notes);
  }
}

TEST(Warnings, TheFilesModelFarBehindThePreferredOne) {
  const struct {
    double delta;
    bool by_aic;
    std::string criterion;  // with the delta, empty for no note
  } rows[] = {{14.3, false, "AICc 14.3"}, {2.5, true, "AIC 2.5"}, {1.5, false, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.delta);
    Comparison c;
    c.by_aic = row.by_aic;
    c.candidates.resize(2);
    c.candidates[0].model = 3;
    c.candidates[0].delta = row.delta;
    c.candidates[0].rank = 2;
    c.candidates[1].model = 6;
    c.candidates[1].delta = 0.0;
    c.candidates[1].rank = 1;
    std::vector<std::string> notes;
    if (!row.criterion.empty())
      notes.push_back(std::string("the file's model (competitive) is not the preferred one: "
                                  "mixed (6) has \xCE\x94")
                          .append(row.criterion)
                          .append(" less"));
    EXPECT_EQ(comparison_warnings(3, c), notes);
    EXPECT_TRUE(comparison_warnings(6, c).empty());
  }
}

}  // namespace
}  // namespace quillon::file_analysis
