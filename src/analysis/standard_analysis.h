// The standard analysis of a fit, beside the report's sampling: a local polish that
// checks the search ended at a minimum, asymptotic (Wald) standard errors and
// intervals, profile-likelihood intervals, and the runs test of the residuals.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/runs_test.h"
#include "models/fit_state.h"

namespace quillon::analysis {

// Every number here is finite; what cannot be had as one is empty. A parameter held
// by equal bounds is a constant of the fit: it has no standard error or interval.
struct ParameterStats {
  std::optional<double> se;       // Wald standard error; empty: not determined
  std::optional<double> wald_lo;  // best -/+ t(0.975; df) se
  std::optional<double> wald_hi;
  std::optional<double> profile_lo;  // empty: not reached within the bounds
  std::optional<double> profile_hi;
  bool fixed = false;  // held by equal bounds
};

struct StandardAnalysis {
  bool available = false;            // false without residual degrees of freedom or a finite fit
  std::vector<double> best;          // the search's best fit, or its polish
  double ssq = 0.0;                  // the sum of squares there (weighted, with weights)
  std::optional<double> search_ssq;  // at the search's best fit, when finite
  bool polished = false;             // the polish lowered the sum of squares by more than 1e-9
  int df = 0;                        // n - p
  double sigma = 0.0;                // sqrt(ssq / df): with weights, of the weighted residuals
  double t = 0.0;                    // t(0.975; df)
  std::vector<ParameterStats> parameters;
  // Empty when not determined; a fixed parameter's row and column are 0 but for the
  // 1 on the diagonal.
  std::vector<std::vector<double>> correlation;
  std::optional<RunsTest> runs;  // residual signs in ascending X1
  std::vector<std::string> warnings;
};

// The analysis of a fit whose search has run (fit.pbest). Works on its own copy of
// the fit, through the same model evaluation; with fit.weights, all of it is of the
// weighted sum of squares (the runs test reads only the residuals' signs). Without `profiles`, the
// profile ends stay empty (and unmentioned).
StandardAnalysis standard_analysis(const models::FitState& fit, bool profiles = true);

}  // namespace quillon::analysis
