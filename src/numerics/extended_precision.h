#pragma once

// Building blocks for exact_math: double-double arithmetic for the fast paths and
// a binary128 type (software arithmetic, correctly rounded) for the rare cases the
// fast path cannot round with certainty. Nothing here may be contracted into fused
// multiply-adds: the library is compiled with -ffp-contract=off.

#include <span>

namespace quillon::numerics::extended {

__extension__ typedef __float128 quad;

struct Double2 {
  double hi;
  double lo;
};

// s + e == a + b exactly.
inline Double2 two_sum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// As two_sum when |a| >= |b| (or a == 0).
inline Double2 fast_two_sum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// Veltkamp split into two halves of at most 26 significant bits; |a| < 2^995.
inline Double2 split(double a) {
  const double t = 134217729.0 * a;
  const double hi = t - (t - a);
  return {hi, a - hi};
}

// p + e == a * b exactly (Dekker), barring overflow and underflow.
inline Double2 two_prod(double a, double b) {
  const double p = a * b;
  const Double2 as = split(a);
  const Double2 bs = split(b);
  return {p, ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo};
}

// Correctly rounded value of hi + lo when the exact result lies within err of it,
// or false when the error interval straddles a rounding boundary (Ziv's test).
inline bool round_if_certain(double hi, double lo, double err, double& out) {
  const double up = hi + (lo + err);
  const double down = hi + (lo - err);
  if (up != down)
    return false;
  out = up;
  return true;
}

inline Double2 from_quad(quad q) {
  const double hi = static_cast<double>(q);
  return {hi, static_cast<double>(q - static_cast<quad>(hi))};
}

// ln 2 as the unevaluated sum of three doubles (error below 2^-160).
inline constexpr double ln2_part1 = 0x1.62e42fefa39efp-1;
inline constexpr double ln2_part2 = 0x1.abc9e3b39803fp-56;
inline constexpr double ln2_part3 = 0x1.7b57a079a1934p-111;

// pi/2 as the unevaluated sum of three doubles (error below 2^-160).
inline constexpr double half_pi_part1 = 0x1.921fb54442d18p+0;
inline constexpr double half_pi_part2 = 0x1.1a62633145c07p-54;
inline constexpr double half_pi_part3 = -0x1.f1976b7ed8fbcp-110;

// Slow, accurate (about 2^-105 relative) binary128 logarithm of a positive finite
// double, or of a binary128 value that converts to a positive normal double, and
// exponential of a binary128 value; q_exp saturates beyond +-1200.
quad q_log(double x);
quad q_log(quad x);
quad q_exp(quad t);

// Slow, accurate (about 2^-105 relative) binary128 arctangent.
quad q_atan(quad x);

// 1, 1/3, 1/5, ..., 1/51 in binary128: the coefficients of the atanh series of q_log
// and, the first 15 of them, of the arctangent series.
std::span<const quad, 26> inverse_odd();

}  // namespace quillon::numerics::extended
