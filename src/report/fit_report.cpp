#include "report/fit_report.h"

#include <cmath>

#include "feq_parser/exact_math.h"
#include "models/model_evaluator.h"
#include "report/plot2scrn.h"
#include "report/uncertainty.h"

namespace quillon::report {

double write_residual_table(Console& console, FitState& fit, const Objective& objective) {
  const int n = fit.npoints;
  console.write("(A5,4A20)", "Pt", "X", "Ycalc", "Yobs", "Residual");
  console.write("(A5,4A20)", "--", "-----", "-----", "----", "--------");
  // After the search ycalc holds its last trial: evaluate again at the best fit.
  objective(std::span<const double>(fit.pbest.data(), static_cast<std::size_t>(fit.np)));
  double ssq0 = 0.0;
  for (int i = 0; i < n; ++i) {
    const double yc = fit.ycalc[i];
    const double yo = fit.y1[i];
    console.write("(I5,4F20.6)", i + 1, fit.x1[i], yc, yo, yo - yc);
    ssq0 += (yc - yo) * (yc - yo);
  }
  return ssq0;
}

InformationCriteria information_criteria(int n, int p, double ssq0, std::span<const double> y) {
  const double dn = n;
  const double dp = p;
  InformationCriteria ic;
  ic.aic = 2.0 * dp + dn * feq_parser::exact_math::log(ssq0 / dn);
  ic.aicc = ic.aic + static_cast<double>(2 * p * (p + 1)) / static_cast<double>(n - p - 1);

  double sum = 0.0;
  for (double v : y)
    sum += v;
  const double mean = sum / dn;
  double sst = 0.0;
  for (double v : y)
    sst += (v - mean) * (v - mean);
  double msc = feq_parser::exact_math::log(ssq0 / sst) + 2.0 * dp / static_cast<double>(n - p - 1);
  // Keep the printed value finite and away from zero; its sign still tells the story.
  if (std::isnan(msc)) {
    msc = 1.0e20;
  } else if (std::fabs(msc) < 1.0e-20) {
    msc = std::copysign(1.0e-20, msc);
  } else if (std::fabs(msc) > 1.0e20) {
    msc = std::copysign(1.0e20, msc);
  }
  ic.msc = msc;
  return ic;
}

void write_information_criteria(Console& console, int n, int p, double ssq0,
                                std::span<const double> y) {
  const InformationCriteria ic = information_criteria(n, p, ssq0, y);
  console.list("Akaike information criterion and corrected AIC:");
  console.list("The lowest value, including negative values, is the best curve-fit.");
  console.write("(A,ES12.4)", "  AIC          = ", ic.aic);
  console.write("(A,ES12.4)", " AICc          = ", ic.aicc);
  console.list();
  console.list("Model Selection criterion MSC:");
  console.list("The MSC is a normalized algebraic transformation of the");
  console.list("Akaike Information Criterion (AIC). MSC acts as an information");
  console.list("loss metric standardized to the total variance of your dataset");
  console.list("and penalized for small sample sizes.");
  console.list("The lowest value, including negative values, is the best curve-fit.");
  console.write("(2X,A,ES12.4)", "MSC          = ", ic.msc);
  console.list();
}

void fit_report(Console& console, FitState& fit, const Objective& objective,
                const SamplingSettings& sampling) {
  const auto n = static_cast<std::size_t>(fit.npoints);
  fit.ssq0 = write_residual_table(console, fit, objective);
  plot2scrn_mod::plot2scrn(console, fit.model_name, std::span<const double>(fit.x1.data(), n),
                           std::span<const double>(fit.y1.data(), n),
                           std::span<const double>(fit.ycalc.data(), n));
  estimate_uncertainty(console, fit, objective, sampling);
}

void fit_report(Console& console, FitState& fit, models::ModelEvaluator& evaluator,
                const SamplingSettings& sampling) {
  fit_report(
      console, fit,
      [&](std::span<const double> p) { return models::ssq_objfun(fit, evaluator, p); }, sampling);
}

void fit_report(Console& console, FitState& fit, models::ModelEvaluator& evaluator) {
  fit_report(console, fit, evaluator, SamplingSettings{});
}

void fit_report(Console& console, FitState& fit, const Objective& objective) {
  fit_report(console, fit, objective, SamplingSettings{});
}

}  // namespace quillon::report
