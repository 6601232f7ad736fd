// The information criteria of a fit, and the objective the report evaluates.
#pragma once

#include <functional>
#include <span>

#include "textio/console.h"

namespace quillon::report {

// Sum of squared residuals at a parameter vector; it leaves the fitted values at
// that vector in fit.ycalc (the production objective is models::ssq_objfun).
using Objective = std::function<double(std::span<const double>)>;

// AIC, AICc and MSC for n observations, p parameters and the residual sum ssq0.
// With weights (one per observation), ssq0 is the weighted sum and MSC's total
// sum of squares is weighted about the weighted mean; the weights' own term of the
// likelihood is left out, as it is the same for every model of the same data.
struct InformationCriteria {
  double aic = 0.0;
  double aicc = 0.0;
  double msc = 0.0;
};
InformationCriteria information_criteria(int n, int p, double ssq0, std::span<const double> y,
                                         std::span<const double> weights = {});
void write_information_criteria(textio::Console& console, const InformationCriteria& ic);

}  // namespace quillon::report
