#include "report/criteria.h"

#include <cmath>

#include "numerics/exact_math.h"

namespace quillon::report {

namespace {

// The weighted total sum of squares about the weighted mean.
double weighted_total(std::span<const double> y, std::span<const double> w) {
  double sw = 0.0;
  double swy = 0.0;
  for (std::size_t i = 0; i < y.size(); ++i) {
    sw += w[i];
    swy += w[i] * y[i];
  }
  const double mean = swy / sw;
  double sst = 0.0;
  for (std::size_t i = 0; i < y.size(); ++i)
    sst += w[i] * ((y[i] - mean) * (y[i] - mean));
  return sst;
}

}  // namespace

InformationCriteria information_criteria(int n, int p, double ssq0, std::span<const double> y,
                                         std::span<const double> weights) {
  const double dn = n;
  const double dp = p;
  InformationCriteria ic;
  ic.aic = 2.0 * dp + dn * numerics::exact_math::log(ssq0 / dn);
  ic.aicc = ic.aic + static_cast<double>(2 * p * (p + 1)) / static_cast<double>(n - p - 1);

  double sst = 0.0;
  if (weights.empty()) {
    double sum = 0.0;
    for (double v : y)
      sum += v;
    const double mean = sum / dn;
    for (double v : y)
      sst += (v - mean) * (v - mean);
  } else {
    sst = weighted_total(y, weights);
  }
  double msc = numerics::exact_math::log(ssq0 / sst) + 2.0 * dp / static_cast<double>(n - p - 1);
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

void write_information_criteria(textio::Console& console, const InformationCriteria& ic) {
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

}  // namespace quillon::report
