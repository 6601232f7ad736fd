#include "report/fstat.h"

#include <algorithm>
#include <cmath>

#include "numerics/exact_math.h"

namespace quillon::report::mod_fstat {

namespace detail {

double incomplete_beta(double x, double p, double q, double log_beta) {
  constexpr double tolerance = 1.0e-8;
  // The series converges fast only on the side of the smaller tail: swap roles there.
  const bool swapped = (p + q) * x > p;
  const double xx = swapped ? 1.0 - x : x;
  const double cx = swapped ? x : 1.0 - x;
  const double pp = swapped ? q : p;
  const double qq = swapped ? p : q;

  double psq = pp + qq;
  int ns = static_cast<int>(qq + cx * psq);
  double rx = xx / cx;
  double ai = 1.0;
  double term = 1.0;
  double sum = 1.0;
  double temp = qq - ai;
  for (;;) {
    if (ns == 0)
      rx = xx;
    term = term * temp * rx / (pp + ai);
    sum = sum + term;
    const double size = std::fabs(term);
    if (size <= tolerance && size <= tolerance * sum)
      break;
    ai = ai + 1.0;
    ns = ns - 1;
    if (ns >= 0) {
      temp = qq - ai;
    } else {
      temp = psq;
      psq = psq + 1.0;
    }
  }
  const double ratio =
      sum *
      numerics::exact_math::exp(pp * numerics::exact_math::log(xx) +
                                (qq - 1.0) * numerics::exact_math::log(cx) - log_beta) /
      pp;
  return swapped ? 1.0 - ratio : ratio;
}

}  // namespace detail

double f_critical(double alpha, double df1, double df2) {
  if (alpha <= 1.0e-16)
    return 5566.0;
  if (alpha >= 1.0)
    return 8.329324e-09;

  const double a = 1.0 - alpha;
  const double p = df1 / 2.0;
  const double q = df2 / 2.0;

  // Work in the lower tail: the initial approximation is accurate there.
  const bool switched = a > 0.5;
  const double ap = switched ? 1.0 - a : a;
  const double pp = switched ? q : p;
  const double qq = switched ? p : q;
  const double log_beta = numerics::exact_math::lgamma(pp) + numerics::exact_math::lgamma(qq) -
                          numerics::exact_math::lgamma(pp + qq);

  double r = std::sqrt(-2.0 * numerics::exact_math::log(ap));
  double y = r - (2.30753 + 0.27061 * r) / (1.0 + (0.99229 + 0.04481 * r) * r);
  double x;
  if (pp > 1.0 && qq > 1.0) {
    r = (y * y - 3.0) / 6.0;
    const double s = 1.0 / (2.0 * pp - 1.0);
    const double t = 1.0 / (2.0 * qq - 1.0);
    const double h = 2.0 / (s + t);
    const double w = y * std::sqrt(h + r) / h - (t - s) * (r + 5.0 / 6.0 - 2.0 / (3.0 * h));
    x = pp / (pp + qq * numerics::exact_math::exp(2.0 * w));
  } else {
    r = 2.0 * qq;
    double t = 1.0 / (9.0 * qq);
    const double v = 1.0 - t + y * std::sqrt(t);
    t = r * (v * v * v);
    if (t <= 0.0) {
      x = 1.0 -
          numerics::exact_math::exp((numerics::exact_math::log((1.0 - ap) * qq) + log_beta) / qq);
    } else {
      t = (4.0 * pp + r - 2.0) / t;
      if (t <= 1.0) {
        x = numerics::exact_math::exp((numerics::exact_math::log(ap * pp) + log_beta) / pp);
      } else {
        x = 1.0 - 2.0 / (t + 1.0);
      }
    }
  }

  x = std::clamp(x, 0.0001, 0.9999);
  const double acu = numerics::exact_math::pow(
      10.0, std::max(-5.0 / (pp * pp) - 1.0 / numerics::exact_math::pow(ap, 0.2) - 13.0, -50.0));

  // Modified Newton iteration on I_x - a', with a step that is cut by thirds until
  // it shrinks the correction and stays inside (0, 1).
  double yprev = 0.0;
  double sq = 1.0;
  double prev = 1.0;
  for (;;) {
    double g = log_beta + (1.0 - pp) * numerics::exact_math::log(x) +
               (1.0 - qq) * numerics::exact_math::log(1.0 - x);
    g = std::clamp(g, -300.0, 300.0);
    y = (detail::incomplete_beta(x, pp, qq, log_beta) - ap) * numerics::exact_math::exp(g);
    // A correction that is not a number can never pass the step test below.
    if (!std::isfinite(y))
      break;
    if (y * yprev <= 0.0)
      prev = std::max(sq, 1.0e-50);
    double factor = 1.0;
    double tx;
    for (;;) {
      const double adj = factor * y;
      sq = adj * adj;
      tx = x - adj;
      if (sq < prev && tx >= 0.0 && tx <= 1.0 && tx != 0.0 && tx != 1.0)
        break;
      factor = factor / 3.0;
    }
    if (prev <= acu || y * y <= acu || tx == x)
      break;
    x = tx;
    yprev = y;
  }

  const double z = switched ? 1.0 - x : x;
  return (df2 * z) / (df1 * (1.0 - z));
}

}  // namespace quillon::report::mod_fstat
