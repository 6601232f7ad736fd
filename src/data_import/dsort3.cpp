#include "data_import/dsort3.h"

#include <array>
#include <cstdlib>
#include <utility>

#include "textio/error.h"

namespace quillon::data_import::dsort3_module {
namespace {

// The arrays that move together, addressed 1-based as the partitioning is written.
class Columns {
 public:
  Columns(std::span<double> dx, std::span<double> dy, std::span<double> dz, std::span<double> dw,
          int carried)
      : cols_{dx, dy, dz, dw}, count_(1 + carried) {}

  double key(int i) const { return cols_[0][static_cast<std::size_t>(i - 1)]; }

  void swap(int a, int b) {
    for (int c = 0; c < count_; ++c) {
      std::swap(cols_[c][static_cast<std::size_t>(a - 1)],
                cols_[c][static_cast<std::size_t>(b - 1)]);
    }
  }

 private:
  std::array<std::span<double>, 4> cols_;
  int count_;
};

// Singleton's quicksort with median-of-three pivots, partitioning down to single
// elements. The pivot fraction r is advanced only on entry to the whole array: the
// routine returns to its entry point later only for a one-element segment at
// position 1, which it leaves before touching r. So every partition uses the same r.
void quicksort(Columns& a, int n) {
  // The larger part is always saved, so the stack depth stays below log2(n) + 1.
  std::array<int, 64> il{};
  std::array<int, 64> iu{};
  int m = 0;
  int i = 1;
  int j = n;
  double r = 0.375;
  if (i == j)
    return;
  if (r <= 0.5898437) {
    r += 0.0390625;
  } else {
    r -= 0.21875;
  }
  for (;;) {
    if (j - i >= 1) {
      int k = i;
      const int ij = i + static_cast<int>((j - i) * r);
      // Order the first, middle and last element; t is the middle one's key.
      double t = a.key(ij);
      if (a.key(i) > t) {
        a.swap(ij, i);
        t = a.key(ij);
      }
      int l = j;
      if (a.key(j) < t) {
        a.swap(ij, j);
        t = a.key(ij);
        if (a.key(i) > t) {
          a.swap(ij, i);
          t = a.key(ij);
        }
      }
      for (;;) {
        // The median of three leaves sentinels at both ends, so neither scan runs off.
        do {
          --l;
        } while (a.key(l) > t);
        do {
          ++k;
        } while (a.key(k) < t);
        if (k > l)
          break;
        a.swap(l, k);
      }
      // Save the larger part, go on with the smaller one.
      if (l - i > j - k) {
        il[static_cast<std::size_t>(m)] = i;
        iu[static_cast<std::size_t>(m)] = l;
        ++m;
        i = k;
      } else {
        il[static_cast<std::size_t>(m)] = k;
        iu[static_cast<std::size_t>(m)] = j;
        ++m;
        j = l;
      }
      continue;
    }
    // A one-element segment is in place: take the next saved one.
    if (m == 0)
      return;
    --m;
    i = il[static_cast<std::size_t>(m)];
    j = iu[static_cast<std::size_t>(m)];
  }
}

}  // namespace

void dsort3(std::span<double> dx, std::span<double> dy, std::span<double> dz, std::span<double> dw,
            int n, int kflag) {
  if (n < 1)
    throw textio::FatalError("ERROR STOP dsort3: n must be positive.");
  const int kk = std::abs(kflag);
  if (kk < 1 || kk > 4) {
    throw textio::FatalError("ERROR STOP dsort3: kflag must be +/-1, +/-2, +/-3, or +/-4.");
  }
  const auto un = static_cast<std::size_t>(n);
  dx = dx.first(un);
  dy = kk >= 2 ? dy.first(un) : std::span<double>{};
  dz = kk >= 3 ? dz.first(un) : std::span<double>{};
  dw = kk >= 4 ? dw.first(un) : std::span<double>{};

  // A decreasing sort is the increasing sort of the negated keys.
  if (kflag < 0) {
    for (double& v : dx)
      v = -v;
  }
  Columns columns(dx, dy, dz, dw, kk - 1);
  quicksort(columns, n);
  if (kflag < 0) {
    for (double& v : dx)
      v = -v;
  }
}

}  // namespace quillon::data_import::dsort3_module
