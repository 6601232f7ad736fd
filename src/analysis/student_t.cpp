#include "analysis/student_t.h"

#include <boost/math/distributions/students_t.hpp>
#include <cmath>

namespace quillon::analysis {

double t975(int df) {
  const double q = boost::math::quantile(boost::math::students_t(df), 0.975);
  return std::nearbyint(q * 1e11) / 1e11;
}

}  // namespace quillon::analysis
