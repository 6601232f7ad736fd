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
struct InformationCriteria {
  double aic = 0.0;
  double aicc = 0.0;
  double msc = 0.0;
};
InformationCriteria information_criteria(int n, int p, double ssq0, std::span<const double> y);
void write_information_criteria(textio::Console& console, const InformationCriteria& ic);

}  // namespace quillon::report
