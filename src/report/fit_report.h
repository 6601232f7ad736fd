// The fit report: residual table, screen plot, and the uncertainty section with
// the information criteria.
#pragma once

#include <vector>

#include "models/fit_state.h"
#include "models/model_evaluator.h"
#include "report/criteria.h"
#include "report/uncertainty.h"
#include "textio/console.h"

namespace quillon::report {

// One observation of the residual table.
struct ResidualRow {
  double x1 = 0.0;
  double ycalc = 0.0;     // fitted value at the best fit
  double yobs = 0.0;      // observed value
  double residual = 0.0;  // yobs - ycalc
};

// Evaluates ycalc at pbest, prints one row per observation and returns the rows.
std::vector<ResidualRow> write_residual_table(textio::Console& console, models::FitState& fit,
                                              const Objective& objective);

// What the report printed, as numbers.
struct ReportResult {
  std::vector<ResidualRow> residuals;  // in ascending X1
  double ssq0 = 0.0;                   // their sum of squares
  double wssq0 = 0.0;                  // weighted by fit.weights; ssq0 without weights
  UncertaintyResult uncertainty;       // with the information criteria
};

// Runs the whole report for the fit that the search has just finished (pbest in the
// fit state); sets fit.ssq0 and fit.wssq0. Other sampling settings only shorten fuzzing runs.
ReportResult fit_report(textio::Console& console, models::FitState& fit,
                        models::ModelEvaluator& evaluator, const SamplingSettings& sampling = {});
// The same with any objective (tests use stand-ins for the model evaluation).
ReportResult fit_report(textio::Console& console, models::FitState& fit, const Objective& objective,
                        const SamplingSettings& sampling = {});

}  // namespace quillon::report
