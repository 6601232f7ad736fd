// One whole search on a data file, through the engine or the hand-written formula,
// for instruction counts under callgrind. Prints pbest as bit patterns.
//   quillon_search_once <file> engine|hand [objective-calls]
// With a count, makes that many objective calls at the initial estimates instead.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>

#include "fit_cases.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "optimise/tunnelling_search.h"

using namespace quillon;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <file> engine|hand [objective-calls]\n", argv[0]);
    return 2;
  }
  const bool hand = std::strcmp(argv[2], "hand") == 0;
  bench::Quiet q;
  models::ModelEvaluator ev(q.console);
  models::FitState fit = bench::load_fit(argv[1], q.console, ev);
  auto objective = [&](std::span<const double> p) {
    return hand ? bench::hand_ssq(fit, p) : models::ssq_objfun(fit, ev, p);
  };
  if (argc > 3) {
    const std::vector<double> start(fit.var.begin(), fit.var.begin() + fit.np);
    double s = 0.0;
    for (long k = std::atol(argv[3]); k > 0; --k)
      s += objective(start);
    std::printf("%016llx\n", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(s)));
    return 0;
  }
  // callgrind collects from the search function, entered once.
  if (hand) {
    optimise::tunnelling_search(q.console, fit, objective);
  } else {
    optimise::tunnelling_search(q.console, fit, ev);
  }
  for (double v : fit.pbest)
    std::printf("%016llx ", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)));
  std::printf("\n");
  return 0;
}
