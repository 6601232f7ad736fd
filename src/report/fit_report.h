// The fit report: residual table, screen plot, and the uncertainty section with
// the information criteria.
#pragma once

#include <functional>
#include <span>

#include "dialogue/console.h"
#include "dialogue/fit_state.h"

namespace quillon {
namespace models {
class ModelEvaluator;
}

namespace report {

struct SamplingSettings;

// Sum of squared residuals at a parameter vector; it leaves the fitted values at
// that vector in fit.ycalc (the production objective is models::ssq_objfun).
using Objective = std::function<double(std::span<const double>)>;

// Evaluates ycalc at pbest, prints one row per observation and returns SSQ0.
double write_residual_table(Console& console, FitState& fit, const Objective& objective);

// AIC, AICc and MSC for n observations, p parameters and the residual sum ssq0.
struct InformationCriteria {
  double aic = 0.0;
  double aicc = 0.0;
  double msc = 0.0;
};
InformationCriteria information_criteria(int n, int p, double ssq0, std::span<const double> y);
void write_information_criteria(Console& console, int n, int p, double ssq0,
                                std::span<const double> y);

// Runs the whole report for the fit that the search has just finished.
void fit_report(Console& console, FitState& fit, models::ModelEvaluator& evaluator);
// The same with any objective (tests use stand-ins for the model evaluation).
void fit_report(Console& console, FitState& fit, const Objective& objective);
// Both with other sampling settings: only fuzzing passes them, to keep each fit short.
void fit_report(Console& console, FitState& fit, models::ModelEvaluator& evaluator,
                const SamplingSettings& sampling);
void fit_report(Console& console, FitState& fit, const Objective& objective,
                const SamplingSettings& sampling);

}  // namespace report
}  // namespace quillon
