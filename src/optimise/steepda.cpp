#include "optimise/steepda.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace quillon::optimise::mod_steepest {

namespace {

using Vec = std::vector<double>;

// The plain sum of squares in index order.
double sum_of_squares(const Vec& d, std::size_t n) {
  double sum = 0.0;
  for (std::size_t k = 0; k < n; ++k)
    sum = sum + d[k] * d[k];
  return sum;
}

}  // namespace

Result steepda(Objective f, std::span<double> x, const Settings& settings) {
  using namespace constants;
  const std::size_t n = x.size();
  if (n < 1) {
    throw std::invalid_argument("steepda: no parameters");
  }
  Result result;
  // The descent always raises F = s*f.
  const double s = settings.minimise == 0 ? 1.0 : -1.0;
  auto big_f = [&](std::span<const double> point) {
    ++result.evaluations;
    return s * f(point);
  };

  double alpha = std::max(smallest_step, settings.step0);
  Vec d(n);
  Vec x_save(n);
  Vec trial(n);
  for (std::size_t k = 0; k < n; ++k)
    d[k] = 1.0 / std::sqrt(static_cast<double>(n));
  double g = std::sqrt(sum_of_squares(d, n)) + norm_offset;

  auto move = [&] {
    for (std::size_t k = 0; k < n; ++k)
      x[k] = x[k] + (alpha * d[k]) / g;
  };

  // Warm-up: three moves along the diagonal; the start point itself is never evaluated.
  move();
  double f_o = big_f(x);
  move();
  double f_p = big_f(x);
  std::copy_n(x.begin(), n, x_save.begin());
  move();
  double f_c = big_f(x);

  for (;;) {
    // Growth is decided before the last move is judged: two changes of one sign.
    if (std::fabs(f_p - f_o) >= history_guard && (f_c - f_p) / (f_p - f_o) > 0.0) {
      alpha = growth * alpha;
    }
    if (f_p > f_c) {
      alpha = shrink * alpha;
      std::copy_n(x_save.begin(), n, x.begin());
      f_c = f_p;
    } else if (f_c > f_p) {
      f_o = f_p;
    } else {
      // Equal, or a NaN on either side.
      std::copy_n(x_save.begin(), n, x.begin());
      f_c = f_p;
    }

    // Central differences with the old direction and norm; divided by 2h, not 2*delta.
    for (std::size_t k = 0; k < n; ++k) {
      double h = (d[k] * alpha) / (2.0 * g);
      if (std::fabs(h) < smallest_h)
        h = smallest_h;
      const double delta = relative_delta * std::fabs(x[k]) + h;
      const double xk = x[k];
      x[k] = xk + delta;
      const double f_plus = big_f(x);
      x[k] = xk - delta;
      const double f_minus = big_f(x);
      x[k] = xk;
      d[k] = (f_plus - f_minus) / (2.0 * h);
      if (std::fabs(d[k]) < smallest_gradient)
        d[k] = smallest_gradient;
    }
    const double d_squared = sum_of_squares(d, n);
    g = std::sqrt(d_squared) + norm_offset;

    if (alpha < recovery_below) {
      // Rescale a vanished step from a backtracking probe on the far side of x.
      const double f_r = big_f(x);
      double t = 1.0;
      const std::span<const double> probe(trial.data(), n);
      for (int attempt = 0; attempt < recovery_tries; ++attempt) {
        for (std::size_t k = 0; k < n; ++k)
          trial[k] = x[k] - t * d[k];
        const double f_t = big_f(probe);
        if (f_t <= f_r - (recovery_slope * t) * d_squared)
          break;
        t = t * recovery_halving;
      }
      alpha = alpha * 10.0 * std::max(t / 2.0, recovery_floor);
    }

    std::copy_n(x.begin(), n, x_save.begin());
    move();
    f_p = f_c;
    f_c = big_f(x);
    ++result.iter;

    if (result.iter >= settings.maxit) {
      result.converged = false;
      result.reason = StopReason::max_iterations;
      break;
    }
    if (std::fabs(f_c - f_p) < settings.tol) {
      result.converged = true;
      result.reason = StopReason::tolerance;
      break;
    }
  }
  result.fx = s * f_c;
  return result;
}

}  // namespace quillon::optimise::mod_steepest
