// The state of one fit: created by the main loop for a cycle, handed by reference
// to the import, the fit and the report, and released at the end of the cycle.
// Arrays indexed 1..n in the program's account are stored 0-based here.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quillon {

inline constexpr int max_points = 1004;
inline constexpr int max_model = 6;

struct FitState {
  std::string fname = std::string(200, ' ');
  int model = 0;
  std::string model_name = std::string(512, ' ');
  int np = 0;
  int nx = 0;
  int nc = 0;
  int npoints = 0;
  int import_ok = 0;

  std::array<double, 4> pinit{};
  std::array<double, 5> plower{};
  std::array<double, 5> pupper{};
  std::vector<double> xbuf1, xbuf2, xbuf3, ybuf;  // import buffers, max_points each

  std::vector<double> x1, x2, x3, y1;  // working observations, npoints each, ascending x1
  std::vector<double> ycalc;           // fitted values, max_points
  std::vector<double> c;               // model constants C1..Cnc
  std::vector<double> var;             // P1..Pnp, X1..Xnx, C1..Cnc

  std::string eq = std::string(512, ' ');  // display form of the model equation

  std::vector<double> pbest;  // best-fit parameters left by the search
  double best = 1.0e15;       // sum of squares at pbest
  double ssq0 = 0.0;          // unweighted sum of squares at the best fit (report)

  // Re-seeded at the start of every search; the uncertainty sampling continues it.
  std::mt19937_64 rng;
};

}  // namespace quillon
