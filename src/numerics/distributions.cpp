#include "numerics/distributions.h"

#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>

namespace quillon::numerics {

double t975(int df) {
  const double q = boost::math::quantile(boost::math::students_t(df), 0.975);
  return std::nearbyint(q * 1e11) / 1e11;
}

double f_upper_tail(double f, int df1, int df2) {
  if (!(f > 0.0))
    return 1.0;
  const double p = boost::math::cdf(complement(boost::math::fisher_f(df1, df2), f));
  // Rounded in binary (exact operations): a last-bit difference moves the result
  // only when it falls on a rounding boundary, about once in a million.
  int exponent = 0;
  const double mantissa = std::frexp(p, &exponent);
  return std::ldexp(std::nearbyint(std::ldexp(mantissa, 33)), exponent - 33);
}

}  // namespace quillon::numerics
