// The pool of 60 uniform numbers shared by the search and the uncertainty sampling,
// and the fold that keeps a parameter inside its bounds.
#pragma once

#include <array>
#include <random>

namespace quillon::optimise {

inline constexpr int pool_size = 60;
using Pool = std::array<double, pool_size>;  // r(1..60) stored as r[0..59]

// A uniform double in [0, 1) from the top 53 bits: identical on every standard library.
inline double uniform01(std::mt19937_64& engine) {
  return static_cast<double>(engine() >> 11) * 0x1.0p-53;
}

inline void fill_pool(Pool& r, std::mt19937_64& engine) {
  for (double& v : r)
    v = uniform01(engine);
}

// Folds x back into [lower, upper] when it lies outside; mode 1 squashes
// algebraically, any other mode with the arctangent.
void pbounds1(double& x, double lower, double upper, int mode);

// Fisher-Yates pass whose indices come from the pool's own numbers.
void shuffle(Pool& r);

}  // namespace quillon::optimise
