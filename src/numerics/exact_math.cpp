#include "numerics/exact_math.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "numerics/bits.h"
#include "numerics/extended_precision.h"
#include "numerics/pow_tables.h"

namespace quillon::numerics {

namespace extended {

namespace {

// n * ln 2 for an integer |n| < 2^60: every partial product is exact in binary128.
quad multiple_of_ln2(double n) {
  const quad q = n;
  return (q * static_cast<quad>(ln2_part1) + q * static_cast<quad>(ln2_part2)) +
         q * static_cast<quad>(ln2_part3);
}

constexpr double sqrt_half = 0x1.6a09e667f3bcdp-1;

constexpr int exp_series_terms = 27;  // 0.35^27 / 27! < 2^-130

struct QuadTables {
  std::array<quad, exp_series_terms + 1> inverse_factorial{};
  std::array<quad, 26> inverse_odd{};  // 1 / (2k + 1)
  QuadTables() {
    quad f = 1;
    for (int k = 0; k <= exp_series_terms; ++k) {
      if (k > 0)
        f *= k;
      inverse_factorial[static_cast<std::size_t>(k)] = 1 / f;
    }
    for (std::size_t k = 0; k < inverse_odd.size(); ++k)
      inverse_odd[k] = 1 / static_cast<quad>(2 * static_cast<int>(k) + 1);
  }
};

const QuadTables& quad_tables() {
  static const QuadTables tables;
  return tables;
}

}  // namespace

std::span<const quad, 26> inverse_odd() {
  return quad_tables().inverse_odd;
}

// ln(2^e m) for m in [sqrt(1/2), sqrt(2)).
quad log_reduced(quad m, int e) {
  // ln m = 2 atanh(s), |s| <= 0.1716, so s^2 shrinks each term by 2^-5.
  const quad s = (m - 1) / (m + 1);
  const quad s2 = s * s;
  const auto inv = inverse_odd();
  quad sum = inv.back();
  for (std::size_t k = inv.size() - 1; k-- > 0;)
    sum = sum * s2 + inv[k];
  return multiple_of_ln2(static_cast<double>(e)) + 2 * s * sum;
}

quad q_log(double x) {
  int e = 0;
  double m = std::frexp(x, &e);  // exact, subnormals included
  if (m < sqrt_half) {
    m *= 2.0;
    --e;
  }
  return log_reduced(m, e);
}

quad q_log(quad x) {
  int e = 0;
  std::frexp(static_cast<double>(x), &e);
  quad m = x * static_cast<quad>(std::ldexp(1.0, -e));  // exact scaling
  if (m < sqrt_half) {
    m *= 2;
    --e;
  }
  return log_reduced(m, e);
}

quad q_exp(quad t) {
  if (t != t)
    return t;
  if (t > 1200)
    return static_cast<quad>(std::ldexp(1.0, 1000)) * static_cast<quad>(std::ldexp(1.0, 200));
  if (t < -1200)
    return 0;
  const double n = std::nearbyint(static_cast<double>(t) * 0x1.71547652b82fep+0);
  const quad r = t - multiple_of_ln2(n);
  const auto& inv = quad_tables().inverse_factorial;
  quad sum = inv.back();
  for (std::size_t k = inv.size() - 1; k-- > 0;)
    sum = sum * r + inv[k];
  // 2^n in two steps so that each factor is a normal double.
  const int half = static_cast<int>(n) / 2;
  return sum * static_cast<quad>(std::ldexp(1.0, half)) *
         static_cast<quad>(std::ldexp(1.0, static_cast<int>(n) - half));
}

}  // namespace extended

namespace exact_math {

namespace {

using extended::Double2;
using extended::fast_two_sum;
using extended::quad;
using extended::two_prod;
using extended::two_sum;

// Logarithm: x = 2^k z with z in [0.703125, 1.40625), split into 128 slices by the
// leading bits of z's representation; each slice has c ~ 1/z and -ln c to double-
// double precision, so that ln x = k ln 2 - ln c + log1p(z c - 1) with |z c - 1| < 2^-7.
constexpr std::uint64_t log_offset = 0x3fe6800000000000;  // 0.703125, a slice edge
constexpr int log_table_bits = 7;
constexpr int log_slice_shift = 52 - log_table_bits;

// ln 2 with a 42-bit head, so that k * head is exact for any binary exponent k.
constexpr double ln2_head = 0x1.62e42fefa3800p-1;
constexpr double ln2_tail = 0x1.ef35793c76730p-45;
constexpr double log_head_scale = 0x1p42;

// Exponential: t = (128 e + j) ln2/128 + r, exp t = 2^e 2^(j/128) exp r, |r| < 2^-8.4.
constexpr int exp_table_bits = 7;
constexpr int exp_table_size = 1 << exp_table_bits;
constexpr double exp_inv_step = 0x1.71547652b82fep+7;  // 128 / ln 2
// ln2/128 in three parts; the first two have 35 significant bits, so their products
// with |k| < 2^18 are exact.
constexpr double round_shift = 0x1.8p52;
constexpr double exp_step1 = 0x1.62e42fefc0000p-8;
constexpr double exp_step2 = -0x1.c610ca86c0000p-44;
constexpr double exp_step3 = -0x1.c4c67fc0d0951p-83;

// Arguments beyond this take the slow path, whose results may overflow or be subnormal.
constexpr double exp_fast_limit = 707.0;
// Beyond these the rounded exponential is certainly infinite or zero: ln of the largest
// double is 709.78, and results below 2^-1075 (ln = -745.13) round to zero.
constexpr double exp_overflows = 709.8;
constexpr double exp_underflows = -745.2;

struct LogEntry {
  double invc;
  double neg_log_c_hi;
  double neg_log_c_lo;
};

struct Tables {
  std::array<LogEntry, 1 << log_table_bits> log{};
  std::array<Double2, exp_table_size> exp2{};  // 2^(j/128)
  Tables() {
    for (std::uint64_t i = 0; i < log.size(); ++i) {
      const double lo = numerics::bit_cast<double>(log_offset + (i << log_slice_shift));
      const double hi = numerics::bit_cast<double>(log_offset + ((i + 1) << log_slice_shift));
      // The slices on both sides of 1 keep c = 1, so that ln x keeps its full relative
      // accuracy for x near 1.
      const double invc = (lo == 1.0 || hi == 1.0) ? 1.0 : 2.0 / (lo + hi);
      // The head is a multiple of 2^-42, like k * ln2_head, so their sum is exact.
      const quad neg_log_c = -extended::q_log(invc);
      const double head =
          std::nearbyint(static_cast<double>(neg_log_c * log_head_scale)) / log_head_scale;
      log[i] = {invc, head, static_cast<double>(neg_log_c - static_cast<quad>(head))};
    }
    for (int j = 0; j < exp_table_size; ++j) {
      const quad t = extended::multiple_of_ln2(j) / exp_table_size;
      exp2[static_cast<std::size_t>(j)] = extended::from_quad(extended::q_exp(t));
    }
  }
};

const Tables& tables() {
  static const Tables t;
  return t;
}

struct LogResult {
  Double2 value;
  double err;  // bound on the absolute error of value.hi + value.lo
};

// ln x for positive, finite x.
LogResult log_fast(double x) {
  int k = 0;
  if (x < std::numeric_limits<double>::min()) {
    x *= 0x1p52;
    k = -52;
  }
  const std::uint64_t ix = numerics::bit_cast<std::uint64_t>(x);
  const std::uint64_t tmp = ix - log_offset;
  const auto i = static_cast<std::size_t>((tmp >> log_slice_shift) & ((1u << log_table_bits) - 1));
  k += static_cast<int>(static_cast<std::int64_t>(tmp) >> 52);
  const double z = numerics::bit_cast<double>(ix - (tmp & (std::uint64_t{0xfff} << 52)));
  const LogEntry& entry = tables().log[i];

  // r = z c - 1 exactly, as rh + rl.
  const Double2 p = two_prod(z, entry.invc);
  const Double2 r = fast_two_sum(p.hi - 1.0, p.lo);
  const double rh = r.hi;
  const double rl = r.lo;

  // log1p(r) = r - r^2/2 + r^3 q(r); the first two terms in double-double.
  const Double2 sq = two_prod(rh, rh);
  const double b_hi = -0.5 * sq.hi;
  const double b_lo = -(0.5 * sq.lo + rh * rl);
  const double r2 = rh * rh;
  // q(r) = 1/3 - r/4 + ... - r^7/10 by Estrin's scheme (short dependency chains).
  // The terms left out are below 2^-80 and far inside the error bound below.
  const double r4 = r2 * r2;
  const double q01 = 0x1.5555555555555p-2 - 0.25 * rh;
  const double q23 = 0.2 - 0x1.5555555555555p-3 * rh;
  const double q45 = 0x1.2492492492492p-3 - 0.125 * rh;
  const double q67 = 0x1.c71c71c71c71cp-4 - 0.1 * rh;
  const double q = (q01 + r2 * q23) + r4 * (q45 + r2 * q67);
  const double tail = r2 * rh * q + r2 * rl;

  const double kd = static_cast<double>(k);
  // Exact: both terms are multiples of 2^-42 below 2^10. The head then outweighs r
  // (|head| > 0.0058 > |r| unless head = 0), and head + r outweighs r^2/2.
  const double head = kd * ln2_head + entry.neg_log_c_hi;
  const Double2 s2 = fast_two_sum(head, rh);
  const Double2 s3 = fast_two_sum(s2.hi, b_hi);
  const double lo = (s2.lo + s3.lo) + ((kd * ln2_tail + entry.neg_log_c_lo) + ((rl + b_lo) + tail));
  const Double2 v = fast_two_sum(s3.hi, lo);
  // The polynomial's rounding dominates; the rest covers the tables, ln 2's split and
  // the double-double sums.
  const double err =
      0x1p-50 * std::fabs(r2 * rh) + 0x1p-95 * (std::fabs(kd) + 1.0) + 0x1p-100 * std::fabs(v.hi);
  return {v, err};
}

struct ExpResult {
  Double2 value;  // exp(t) / 2^scale, in [0.99, 2.01)
  int scale;
};

// exp(th + tl) for |th| <= exp_fast_limit and |tl| <= 2^-40; relative error below 2^-66.
ExpResult exp_fast(double th, double tl) {
  // Round to the nearest integer by adding and removing 1.5 * 2^52.
  const double kd = (th * exp_inv_step + round_shift) - round_shift;
  const auto k = static_cast<std::int64_t>(kd);
  const auto j = static_cast<std::size_t>(k & (exp_table_size - 1));
  const int scale = static_cast<int>(k >> exp_table_bits);

  // th - kd*step1 is exact (Sterbenz) and kd*step2 is exact.
  const Double2 r0 = two_sum(th - kd * exp_step1, -(kd * exp_step2));
  const Double2 r = two_sum(r0.hi, r0.lo + (tl - kd * exp_step3));
  const double rh = r.hi;
  const double rl = r.lo;

  // exp r - 1 - r to r^7 / 7! (the next term is below 2^-82), by Estrin's scheme.
  const double r2 = rh * rh;
  const double p01 = 0.5 + 0x1.5555555555555p-3 * rh;
  const double p23 = 0x1.5555555555555p-5 + 0x1.1111111111111p-7 * rh;
  const double p45 = 0x1.6c16c16c16c17p-10 + 0x1.a01a01a01a01ap-13 * rh;
  const double p = r2 * ((p01 + r2 * p23) + (r2 * r2) * p45) + rh * rl;
  const Double2 e = fast_two_sum(1.0, rh);
  const double elo = e.lo + (rl + p);

  const Double2& t2 = tables().exp2[j];
  const Double2 prod = two_prod(t2.hi, e.hi);
  const double plo = prod.lo + (t2.hi * elo + t2.lo * e.hi);
  return {fast_two_sum(prod.hi, plo), scale};
}

double scale_by_power_of_two(double v, int scale) {
  return v * numerics::bit_cast<double>(static_cast<std::uint64_t>(1023 + scale) << 52);
}

// Relative error of exp_fast, with margin.
constexpr double exp_fast_error = 0x1p-66;

// The NaN an invalid operation gives on this processor, as the C runtime returns it.
double invalid_operation(double x) {
  return (x - x) / (x - x);
}

// ln Gamma is computed exactly for multiples of 1/2 up to here.
constexpr double lgamma_exact_limit = 4096.0;
// ln sqrt(pi) as three doubles.
constexpr double ln_sqrt_pi_part1 = 0x1.250d048e7a1bdp-1;
constexpr double ln_sqrt_pi_part2 = 0x1.7abf2ad8d5088p-58;
constexpr double ln_sqrt_pi_part3 = -0x1.6ccf43244818ap-114;

bool is_integer(double y) {
  return std::trunc(y) == y;
}

bool is_odd_integer(double y) {
  return is_integer(y) && std::fabs(y) < 0x1p53 && std::fmod(y, 2.0) != 0.0;
}

double pow_slow(double ax, double y) {
  // Square roots can lie closer to a midpoint than binary128 resolves (the root of the
  // largest double is 2^-109 below one); the IEEE square root is correctly rounded.
  if (y == 0.5)
    return std::sqrt(ax);
  // A small integer power of a short significand is exact in binary128, which settles
  // results that fall exactly on a rounding midpoint (such as (2^27 - 1)^2). Longer
  // powers cannot be midpoints: an odd m with m^y < 2^54 has (bits(m) - 1) y <= 54.
  if (y >= 2.0 && y <= 59.0 && is_integer(y)) {
    int e = 0;
    const auto significand = static_cast<std::uint64_t>(std::ldexp(std::frexp(ax, &e), 53));
    const int bits = 53 - std::countr_zero(significand);
    auto n = static_cast<int>(y);
    if (bits * n <= 113) {
      quad result = 1;
      quad base = ax;
      for (; n > 0; n >>= 1) {
        if (n & 1)
          result *= base;
        base *= base;
      }
      return static_cast<double>(result);
    }
  }
  return static_cast<double>(extended::q_exp(static_cast<quad>(y) * extended::q_log(ax)));
}

// The first stage of pow: tables of 256 entries and short polynomials, with products
// made exact by short significands rather than by splitting both factors. Its error
// bound is a few times 2^-67 relative for the usual arguments, so that the rounding
// test nearly always succeeds; the tables are in pow_tables.h.
constexpr std::uint64_t first_log_offset = 0x3fe6800000000000;  // 0.703125, a slice edge
constexpr int first_log_bits = 8;
constexpr int first_log_shift = 52 - first_log_bits;
// z's head keeps 23 significant bits: its product with invc (12 bits) is exact, and so
// is the square of z_head invc - 1, a multiple of 2^-34 below 2^-8.8.
constexpr std::uint64_t z_head_mask = ~std::uint64_t{0} << 30;
// 26 significant bits, for products of two heads.
constexpr std::uint64_t head_mask = ~std::uint64_t{0} << 27;
constexpr int first_exp_bits = 8;
constexpr double first_exp_inv_step = 0x1.71547652b82fep+8;  // 256 / ln 2
// Beyond this the second stage decides, results near overflow or underflow included.
constexpr double first_exp_limit = 707.0;
// The error bound's terms, relative to the result and doubled for results up to 2:
// the exponential's own error; what scales with |y| (the logarithm's absolute error,
// below 2^-73, and the roundings of terms up to 2^-20 |y| in y ln x and exp), below
// 2^-70.5 |y|; and what scales with |y ln x|, below 2^-74.6. Each has a margin of
// four or more over the analysis.
constexpr double first_exp_error = 0x1p-66;
constexpr double first_log_error = 0x1.8p-68;
constexpr double first_product_error = 0x1.8p-72;

double head(double v) {
  return numerics::bit_cast<double>(numerics::bit_cast<std::uint64_t>(v) & head_mask);
}

// x positive, normal and not 1, and 2^-64 <= |y| < 2^64: the first stage's domain.
bool pow_first_stage_applies(double x, double y) {
  const std::uint64_t ix = numerics::bit_cast<std::uint64_t>(x);
  const std::uint64_t y_exponent = (numerics::bit_cast<std::uint64_t>(y) >> 52) & 0x7ff;
  constexpr std::uint64_t min_normal = 0x0010000000000000;
  constexpr std::uint64_t inf_bits = 0x7ff0000000000000;
  return ix - min_normal < inf_bits - min_normal && y_exponent - (1023 - 64) < 128 &&
         ix != 0x3ff0000000000000;
}

// ln x as hi + lo (not normalised: |lo| < 2^-21), with an absolute error below 2^-73.
// hi is ready long before lo, so that pow's reduction of exp can start meanwhile.
Double2 first_log(double x) {
  const std::uint64_t ix = numerics::bit_cast<std::uint64_t>(x);
  const std::uint64_t tmp = ix - first_log_offset;
  const auto i = static_cast<std::size_t>((tmp >> first_log_shift) & ((1u << first_log_bits) - 1));
  const double kd = static_cast<double>(static_cast<std::int64_t>(tmp) >> 52);
  const std::uint64_t iz = ix - (tmp & (std::uint64_t{0xfff} << 52));
  const double z = numerics::bit_cast<double>(iz);
  const double z_head = numerics::bit_cast<double>(iz & z_head_mask);
  const double z_tail = z - z_head;
  const pow_tables::LogEntry& entry = pow_tables::log_table[i];

  // r = z invc - 1 = rhi + rlo exactly; |r| < 2^-8.86, or 2^-8 beside 1 where invc = 1.
  const double rhi = z_head * entry.invc - 1.0;
  const double rlo = z_tail * entry.invc;
  const double r = rhi + rlo;

  // ln x = k ln 2 + ln c + log1p(r), log1p(r) = r - r^2/2 + r^3 q(r) to r^8 (the rest
  // is below 2^-75). k ln 2 + ln c + rhi - rhi^2/2 in exact double-double steps: the
  // first sum is exact (multiples of 2^-42), rhi^2 is exact, and each head outweighs
  // what is added to it.
  const double t1 = kd * ln2_head + entry.log_c_hi;
  const double t2 = t1 + rhi;
  const double lo2 = (t1 - t2) + rhi;
  const double square = -0.5 * rhi * rhi;
  const double hi = t2 + square;
  const double lo3 = (t2 - hi) + square;
  const double mixed = -rlo * (rhi + 0.5 * rlo);  // -(r^2 - rhi^2)/2
  const double r2 = r * r;
  const double q01 = 0x1.5555555555555p-2 - 0.25 * r;
  const double q23 = 0.2 - 0x1.5555555555555p-3 * r;
  const double q45 = 0x1.2492492492492p-3 - 0.125 * r;
  const double q = r2 * r * (q01 + r2 * (q23 + r2 * q45));
  const double lo1 = kd * ln2_tail + entry.log_c_lo;
  // rlo (below 2^-22) last: its rounding, at most 2^-75, dominates the error.
  const double lo = rlo + (q + (mixed + ((lo1 + lo2) + lo3)));
  return {hi, lo};
}

// |x|^y, or 0 when the first stage cannot round it with certainty (its results are
// never 0).
double pow_first_stage(double x, double y) {
  const Double2 l = first_log(x);

  // t = y ln x as th + tl: th, the product of two 26-bit heads, is exact and needs
  // only l.hi; |tl| < 2^-24 |t| + 2^-20 |y|.
  const double y_head = head(y);
  const double l_head = head(l.hi);
  const double th = y_head * l_head;
  if (!(std::fabs(th) <= first_exp_limit))
    return 0.0;

  // exp t = 2^(k/256) exp(rh) exp(rl), k = round(th 256/ln 2), |rh| < 2^-9.4. rh is
  // exact: k step_hi is (k < 2^18 and step_hi has 33 bits), and th and k step_hi are
  // both multiples of 2^-62 when k != 0.
  const double kd = (th * first_exp_inv_step + round_shift) - round_shift;
  const auto k = static_cast<std::int64_t>(kd);
  const pow_tables::ExpEntry& entry =
      pow_tables::exp2_table[static_cast<std::size_t>(k & ((1 << first_exp_bits) - 1))];
  const int scale = static_cast<int>(k >> first_exp_bits);
  const double rh = th - kd * pow_tables::exp_step_hi;

  // exp(rh) - 1 - rh to rh^6/720 (the rest is below 2^-78).
  const double a2 = rh * rh;
  const double p =
      a2 * ((0.5 + 0x1.5555555555555p-3 * rh) +
            a2 * ((0x1.5555555555555p-5 + 0x1.1111111111111p-7 * rh) + a2 * 0x1.6c16c16c16c17p-10));

  // exp(rl) - 1 to rl^3/6, for |rl| <= 2^-17 (the rest is below 2^-72); larger rl,
  // from a large |y|, is left to the second stage.
  const double tl = (y - y_head) * l_head + y * ((l.hi - l_head) + l.lo);
  const double rl = tl - kd * pow_tables::exp_step_lo;
  if (!(std::fabs(rl) <= 0x1p-17))
    return 0.0;
  const double m = rl * (1.0 + rl * (0.5 + 0x1.5555555555555p-3 * rl));

  // T (1 + rh + p)(1 + m) with T = entry.hi + entry.lo. T rh is split as
  // T_head rh_head, exact, plus the two small cross products, exact or nearly.
  const double e_head = head(entry.hi);
  const double r_head = head(rh);
  const Double2 s = fast_two_sum(entry.hi, e_head * r_head);
  const double small = (s.lo + entry.lo) +
                       ((e_head * (rh - r_head) + (entry.hi - e_head) * rh) + entry.lo * (rh + m));
  const double rest = p + (m + m * (rh + p));
  const Double2 v = fast_two_sum(s.hi, small + entry.hi * rest);

  // The bound is relative: v.hi < 2 is folded into the constants.
  const double err =
      first_exp_error + first_log_error * std::fabs(y) + first_product_error * std::fabs(th);
  double out = 0.0;
  if (!extended::round_if_certain(v.hi, v.lo, err, out))
    return 0.0;
  return scale_by_power_of_two(out, scale);
}

// The second stage: double-double logarithm and exponential, which also settles the
// results that overflow or underflow. False when it cannot round with certainty.
bool pow_second_stage(double ax, double y, double& out) {
  const LogResult l = log_fast(ax);
  const double th0 = y * l.value.hi;
  if (th0 > exp_overflows) {
    out = std::numeric_limits<double>::infinity();
    return true;
  }
  if (th0 < exp_underflows) {
    out = 0.0;
    return true;
  }
  if (!(std::fabs(th0) <= exp_fast_limit))
    return false;
  const Double2 t0 = two_prod(y, l.value.hi);
  const Double2 t = fast_two_sum(t0.hi, t0.lo + y * l.value.lo);
  const ExpResult e = exp_fast(t.hi, t.lo);
  const double err_t = std::fabs(y) * l.err + 0x1p-100 * std::fabs(t.hi);
  const double err = (exp_fast_error + 2.0 * err_t) * e.value.hi;
  if (!extended::round_if_certain(e.value.hi, e.value.lo, err, out))
    return false;
  out = scale_by_power_of_two(out, e.scale);
  return true;
}

bool pow_second_stage(double ax, double y) {
  double out = 0.0;
  return pow_second_stage(ax, y, out);
}

// |x|^y for finite x other than 0 and +-1 and finite y other than 0, past the first stage.
double pow_later_stages(double ax, double y) {
  double out = 0.0;
  if (pow_second_stage(ax, y, out))
    return out;
  return pow_slow(ax, y);
}

// Zeros, infinities, NaN, negative x, x = +-1, subnormal x and extreme y, as the C
// standard's annex F gives the special values.
[[gnu::noinline]] double pow_general(double x, double y) {
  if (y == 0.0 || x == 1.0)
    return 1.0;
  if (std::isnan(x) || std::isnan(y))
    return x + y;
  const double inf = std::numeric_limits<double>::infinity();
  if (std::isinf(y)) {
    const double ax = std::fabs(x);
    if (ax == 1.0)
      return 1.0;
    return (ax < 1.0) == (y < 0.0) ? inf : 0.0;
  }
  if (x == 0.0 || std::isinf(x)) {
    const bool odd = is_odd_integer(y);
    // |x|^y is 0 or inf; an odd integer exponent keeps the sign of x.
    const bool big = (x == 0.0) == (y < 0.0);
    const double magnitude = big ? inf : 0.0;
    return odd && std::signbit(x) ? -magnitude : magnitude;
  }
  double sign = 1.0;
  if (x < 0.0) {
    if (!is_integer(y))
      return invalid_operation(x);
    if (is_odd_integer(y))
      sign = -1.0;
  }
  const double ax = std::fabs(x);
  if (ax == 1.0)
    return sign;  // ln |x| = 0: the products below would overflow for a huge y
  const double out = pow_first_stage_applies(ax, y) ? pow_first_stage(ax, y) : 0.0;
  if (out != 0.0)
    return sign * out;
  return sign * pow_later_stages(ax, y);
}

}  // namespace

double exp(double x) {
  if (!(std::fabs(x) <= exp_fast_limit)) {
    if (std::isnan(x))
      return x;
    if (x > exp_overflows)
      return std::numeric_limits<double>::infinity();
    if (x < exp_underflows)
      return 0.0;
    return static_cast<double>(extended::q_exp(x));
  }
  const ExpResult e = exp_fast(x, 0.0);
  double out = 0.0;
  if (extended::round_if_certain(e.value.hi, e.value.lo, exp_fast_error * e.value.hi, out))
    return scale_by_power_of_two(out, e.scale);
  return static_cast<double>(extended::q_exp(x));
}

double log(double x) {
  if (!(x > 0.0) || std::isinf(x)) {
    if (x == 0.0)
      return -std::numeric_limits<double>::infinity();
    if (x < 0.0)
      return invalid_operation(x);
    return x;  // NaN or +inf
  }
  if (x == 1.0)
    return 0.0;
  const LogResult l = log_fast(x);
  double out = 0.0;
  if (extended::round_if_certain(l.value.hi, l.value.lo, l.err, out))
    return out;
  return static_cast<double>(extended::q_log(x));
}

double lgamma(double x) {
  const double twice = 2.0 * x;
  if (!(x > 0.0 && x <= lgamma_exact_limit && is_integer(twice)))
    return std::lgamma(x);
  // Gamma(n) = (n - 1)! and Gamma(n + 1/2) = sqrt(pi) (1/2)(3/2)...(n - 1/2), the
  // product kept in binary128 (a rounding error of 2^-113 per factor) and scaled
  // by powers of two to stay in range.
  const auto k = static_cast<int>(twice);
  const bool half = k % 2 != 0;
  const int n = k / 2;
  const quad range_step = static_cast<quad>(0x1p960);
  const quad range_unstep = static_cast<quad>(0x1p-960);
  quad product = 1;
  int scale = 0;
  for (int j = half ? 1 : 2; j <= (half ? n : n - 1); ++j) {
    product *= half ? j - 0.5 : j;
    if (product > range_step) {
      product *= range_unstep;
      scale += 960;
    }
  }
  quad result = extended::q_log(product) + extended::multiple_of_ln2(scale);
  if (half)
    result += (static_cast<quad>(ln_sqrt_pi_part1) + static_cast<quad>(ln_sqrt_pi_part2)) +
              static_cast<quad>(ln_sqrt_pi_part3);
  return static_cast<double>(result);
}

double pow(double x, double y) {
  if (pow_first_stage_applies(x, y)) {
    const double out = pow_first_stage(x, y);
    if (out != 0.0)
      return out;
    return pow_later_stages(x, y);
  }
  return pow_general(x, y);
}

namespace detail {

int pow_stage(double x, double y) {
  if (!pow_first_stage_applies(x, y)) {
    if (!(std::isfinite(x) && std::isfinite(y) && x != 0.0 && y != 0.0 && std::fabs(x) != 1.0))
      return 0;
    if (x < 0.0 && !is_integer(y))
      return 0;
    x = std::fabs(x);
    if (!pow_first_stage_applies(x, y))
      return pow_second_stage(x, y) ? 2 : 3;
  }
  if (pow_first_stage(x, y) != 0.0)
    return 1;
  return pow_second_stage(x, y) ? 2 : 3;
}

}  // namespace detail

}  // namespace exact_math

}  // namespace quillon::numerics
