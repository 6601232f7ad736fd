#include "analysis/runs_test.h"

#include <algorithm>
#include <vector>

#include "numerics/exact_math.h"

namespace quillon::analysis {
namespace {

namespace exact = numerics::exact_math;

// log(m!) for m = 0..n. The binomials of a thousand signs overflow a double, their
// logarithms do not; the correctly rounded log keeps the sum the same everywhere.
std::vector<double> log_factorials(int n) {
  std::vector<double> table(static_cast<std::size_t>(n) + 1, 0.0);
  for (int m = 2; m <= n; ++m)
    table[static_cast<std::size_t>(m)] = table[static_cast<std::size_t>(m) - 1] + exact::log(m);
  return table;
}

}  // namespace

double runs_lower_tail(int positive, int negative, int runs) {
  const int n = positive + negative;
  const std::vector<double> lf = log_factorials(n);
  const auto log_choose = [&](int m, int k) {
    return lf[static_cast<std::size_t>(m)] - lf[static_cast<std::size_t>(k)] -
           lf[static_cast<std::size_t>(m - k)];
  };
  const double log_total = log_choose(n, positive);
  // Arrangements with r runs, relative to all: for r = 2k, 2 C(n1-1,k-1) C(n2-1,k-1);
  // for r = 2k+1, C(n1-1,k) C(n2-1,k-1) + C(n1-1,k-1) C(n2-1,k).
  const auto term = [&](int m1, int k1, int m2, int k2) {
    if (k1 < 0 || k1 > m1 || k2 < 0 || k2 > m2)
      return 0.0;
    return exact::exp(log_choose(m1, k1) + log_choose(m2, k2) - log_total);
  };
  double p = 0.0;
  for (int r = 2; r <= runs; ++r) {
    const int k = r / 2;
    if (r % 2 == 0) {
      p += 2.0 * term(positive - 1, k - 1, negative - 1, k - 1);
    } else {
      p += term(positive - 1, k, negative - 1, k - 1) + term(positive - 1, k - 1, negative - 1, k);
    }
  }
  return std::min(p, 1.0);
}

std::optional<RunsTest> runs_test(std::span<const double> residuals) {
  RunsTest test;
  int last = 0;
  for (const double r : residuals) {
    if (!(r > 0.0) && !(r < 0.0))
      continue;  // zero (or not a number): no sign
    const int sign = r > 0.0 ? 1 : -1;
    (sign > 0 ? test.positive : test.negative) += 1;
    if (sign != last)
      ++test.runs;
    last = sign;
  }
  if (test.positive == 0 || test.negative == 0)
    return std::nullopt;
  test.p = runs_lower_tail(test.positive, test.negative, test.runs);
  return test;
}

}  // namespace quillon::analysis
