#include "optimise/random_pool.h"

#include <cmath>

#include "numerics/exact_math.h"

namespace quillon::optimise {

void pbounds1(double& x, double lower, double upper, int mode) {
  // Written so that NaN fails the inside test and takes the upper branch.
  if (lower <= x && x <= upper)
    return;
  const double w = upper - lower;
  const double h = w * 0.5;
  if (w <= 1.0e-10) {
    x = lower;
    return;
  }
  // The distance past the bound, in widths, squashed into (-1, 1).
  auto squash = [mode](double z) {
    return mode == 1 ? z / (std::fabs(z) + 1.0) : 0.636619772367582 * numerics::exact_math::atan(z);
  };
  const double y = x < lower ? (squash((x - lower) / w) + 1.0) * h + lower
                             : upper - (1.0 - squash((x - upper) / w)) * h;
  if (std::fabs(y) < 1.0e-10) {
    x = (lower + upper) < 0.0 ? -1.0e-10 : 1.0e-10;
  } else {
    x = y;
  }
}

void shuffle(Pool& r) {
  // All indices are taken from the pool before any exchange. m * r(m) is never
  // negative, so truncation is the floor.
  std::array<int, pool_size> j;
  for (int m = 1; m <= pool_size; ++m) {
    j[m - 1] = static_cast<int>(m * r[m - 1]) + 1;
  }
  for (int m = pool_size; m >= 2; --m) {
    std::swap(r[m - 1], r[j[m - 1] - 1]);
  }
}

}  // namespace quillon::optimise
