#include "analysis/lack_of_fit.h"

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

#include "numerics/distributions.h"

namespace quillon::analysis {

LackOfFit lack_of_fit(std::span<const double> x1, std::span<const double> x2,
                      std::span<const double> y, double ssq, int np) {
  const std::size_t n = y.size();
  auto key = [&](std::size_t i) { return std::pair{x1[i], i < x2.size() ? x2[i] : 0.0}; };
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](auto a, auto b) { return key(a) < key(b); });

  LackOfFit out;
  for (std::size_t first = 0; first < n;) {
    std::size_t last = first;
    double sum = 0.0;
    while (last < n && key(order[last]) == key(order[first]))
      sum += y[order[last++]];
    // Deviations from the mean, not sums of squares less n mean²: replicates agree
    // to many digits and the difference would cancel them.
    const double mean = sum / static_cast<double>(last - first);
    for (std::size_t k = first; k < last; ++k)
      out.pure_error += (y[order[k]] - mean) * (y[order[k]] - mean);
    out.replicates = std::max(out.replicates, static_cast<int>(last - first));
    ++out.levels;
    first = last;
  }
  out.df_pure = static_cast<int>(n) - out.levels;
  out.df_lack = out.levels - np;
  if (out.df_lack > 0 && out.df_pure > 0 && out.pure_error > 0.0) {
    const double lack = std::max(0.0, ssq - out.pure_error);
    out.f = (lack / out.df_lack) / (out.pure_error / out.df_pure);
    out.p = numerics::f_upper_tail(*out.f, out.df_lack, out.df_pure);
  }
  return out;
}

}  // namespace quillon::analysis
