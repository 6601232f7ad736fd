#include <array>
#include <cmath>
#include <cstddef>
#include <span>

#include "numerics/exact_math.h"
#include "numerics/extended_precision.h"

namespace quillon::numerics {

namespace extended {

namespace {

// After halving, |y| <= 1/16, so y^2 shrinks each term by 2^-8: 15 terms reach 2^-120.
constexpr std::size_t atan_series_terms = 15;

std::span<const quad, atan_series_terms> atan_coefficients() {
  return inverse_odd().first<atan_series_terms>();
}

quad half_pi() {
  return (static_cast<quad>(half_pi_part1) + static_cast<quad>(half_pi_part2)) +
         static_cast<quad>(half_pi_part3);
}

// Square root of v >= 1 by Newton's iteration from the double root; two steps take
// the seed's 2^-53 to the limit of binary128.
quad q_sqrt(quad v) {
  quad s = std::sqrt(static_cast<double>(v));
  for (int i = 0; i < 2; ++i)
    s = (s + v / s) / 2;
  return s;
}

}  // namespace

quad q_atan(quad x) {
  if (x != x)
    return x;
  const bool negative = x < 0;
  quad y = negative ? -x : x;
  const bool reciprocal = y > 1;
  if (reciprocal)
    y = 1 / y;
  // atan y = 2 atan(y / (1 + sqrt(1 + y^2))); at most four halvings from y <= 1.
  int doublings = 0;
  while (y > static_cast<quad>(0.0625)) {
    y = y / (1 + q_sqrt(1 + y * y));
    ++doublings;
  }
  const auto inv = atan_coefficients();
  const quad y2 = y * y;
  quad sum = inv.back();
  for (std::size_t k = inv.size() - 1; k-- > 0;)
    sum = (k % 2 == 0 ? inv[k] : -inv[k]) + y2 * sum;
  quad r = y * sum;
  for (int i = 0; i < doublings; ++i)
    r *= 2;
  if (reciprocal)
    r = half_pi() - r;
  return negative ? -r : r;
}

}  // namespace extended

namespace exact_math {

namespace {

using extended::Double2;
using extended::fast_two_sum;
using extended::quad;
using extended::two_prod;
using extended::two_sum;

// atan a = atan c + atan((a - c) / (1 + a c)) for a <= 1 and, for a > 1,
// atan a = (pi/2 - atan c) - atan((1 - a c) / (a + c)) with c ~ 1/a. Taking c = i/128,
// the nearest such fraction, keeps the reduced argument t within 2^-8.
constexpr int table_steps = 128;

struct AtanTables {
  std::array<Double2, table_steps + 1> atan_c{};         // atan(i/128)
  std::array<Double2, table_steps + 1> half_pi_minus{};  // pi/2 - atan(i/128)
  AtanTables() {
    const quad half_pi = extended::half_pi();
    for (int i = 0; i <= table_steps; ++i) {
      const quad a = extended::q_atan(static_cast<quad>(i) / table_steps);
      atan_c[static_cast<std::size_t>(i)] = extended::from_quad(a);
      half_pi_minus[static_cast<std::size_t>(i)] = extended::from_quad(half_pi - a);
    }
  }
};

const AtanTables& atan_tables() {
  static const AtanTables t;
  return t;
}

// n / d to about 2^-104 relative, for double-double n and d with d.hi != 0.
Double2 divide(Double2 n, Double2 d) {
  const double q1 = n.hi / d.hi;
  const Double2 p = two_prod(q1, d.hi);
  const double r = ((n.hi - p.hi) - p.lo) + (n.lo - q1 * d.lo);
  return fast_two_sum(q1, r / d.hi);
}

// 1/3, 1/5, ...: with |t| <= 2^-8 the first omitted term, t^11/11, is below 2^-83 |t|.
constexpr double c3 = -0x1.5555555555555p-2;
constexpr double c5 = 0x1.999999999999ap-3;
constexpr double c7 = -0x1.2492492492492p-3;
constexpr double c9 = 0x1.c71c71c71c71cp-4;

// Slow path for a <= 1/16. Near zero atan a = a - a^3/3 + ... sits systematically close
// to halfway points (a^3/3 sweeps slowly through half an ulp), so keep a exact and add
// the binary128 correction, which is below 2^-8 a: the sum is good to about 2^-120.
double atan_small_slow(double a) {
  const quad y = a;
  const quad y2 = y * y;
  const auto inv = extended::atan_coefficients();
  quad sum = inv.back();
  for (std::size_t k = inv.size() - 1; k-- > 1;)
    sum = (k % 2 == 0 ? inv[k] : -inv[k]) + y2 * sum;
  const quad correction = y * y2 * sum;
  const quad hi = y + correction;
  const quad lo = correction - (hi - y);  // exact: |correction| < |y|
  const double d = static_cast<double>(hi);
  // hi + lo rounds as hi does unless hi is itself halfway between two doubles.
  const double neighbour = std::nextafter(d, hi > static_cast<quad>(d) ? 1.0 : 0.0);
  if (neighbour != d && hi == (static_cast<quad>(d) + static_cast<quad>(neighbour)) / 2 && lo != 0)
    return (lo > 0) == (neighbour > d) ? neighbour : d;
  return d;
}

}  // namespace

double atan(double x) {
  const double a = std::fabs(x);
  if (!(a >= 0x1p-28)) {
    // Also NaN. Below 2^-28, x^3/3 is less than 2^-57 |x|, too little to carry the
    // rounding past the halfway point below x (2^-54 |x| away at worst, for a power of
    // two), so x itself is the correctly rounded result; +-0 keep their sign.
    return x;
  }
  const double sign = x < 0.0 ? -1.0 : 1.0;
  if (a > 0x1p60) {
    // atan a = pi/2 - 1/a + 1/(3 a^3) - ..., where 1/(3 a^3) < 2^-181; inf gives pi/2.
    const double tail = extended::half_pi_part2 - 1.0 / a;
    double out = 0.0;
    if (extended::round_if_certain(extended::half_pi_part1, tail, 0x1p-104, out))
      return sign * out;
    return sign * static_cast<double>(extended::q_atan(a));
  }

  const AtanTables& tables = atan_tables();
  Double2 base;
  Double2 t;
  if (a <= 1.0) {
    const int i = static_cast<int>(std::nearbyint(a * table_steps));
    const double c = static_cast<double>(i) / table_steps;
    const Double2 ac = two_prod(a, c);
    const Double2 one_plus = fast_two_sum(1.0, ac.hi);
    t = divide(two_sum(a, -c), {one_plus.hi, one_plus.lo + ac.lo});
    base = tables.atan_c[static_cast<std::size_t>(i)];
  } else {
    const int i = static_cast<int>(std::nearbyint(table_steps / a));
    const double c = static_cast<double>(i) / table_steps;
    const Double2 ac = two_prod(a, c);
    // a c - 1 cancels when c ~ 1/a: keep every part (a c - 1 is exact near 1 by
    // Sterbenz's lemma, so only ac.lo needs a second exact sum).
    const Double2 m = two_sum(ac.hi, -1.0);
    const Double2 n = two_sum(m.hi, ac.lo);
    t = divide({n.hi, n.lo + m.lo}, two_sum(a, c));
    base = tables.half_pi_minus[static_cast<std::size_t>(i)];
  }

  // atan t = t + t^3 (c3 + t^2 (c5 + ...)); the cubic and higher terms in double, with
  // the first-order effect of t.lo on the cubic term.
  const double th = t.hi;
  const double s = th * th;
  const double cubic = th * s * (c3 + s * (c5 + s * (c7 + s * c9))) - t.lo * s;
  const Double2 head = two_sum(base.hi, th);
  const double lo = head.lo + (base.lo + (t.lo + cubic));
  const Double2 v = fast_two_sum(head.hi, lo);

  // The cubic term's relative error is below 2^-50.8 and its size below |t|^3 / 3; the
  // rest (table, quotient, sums) stays below 2^-98 of the result.
  const double err = 0x1p-51 * std::fabs(th * s) + 0x1p-98 * std::fabs(v.hi);
  double out = 0.0;
  if (extended::round_if_certain(v.hi, v.lo, err, out))
    return sign * out;
  return sign * (a <= 0.0625 ? atan_small_slow(a) : static_cast<double>(extended::q_atan(a)));
}

}  // namespace exact_math

}  // namespace quillon::numerics
