// The objective and the whole search on the 35-point noncompetitive example of
// the help screen (model 4), each beside the same work with model 4 written in
// C++ in the engine's arithmetic order.
#include <benchmark/benchmark.h>

#include <array>
#include <span>
#include <sstream>
#include <vector>

#include "data_import/text_utils.h"
#include "dialogue/console.h"
#include "dialogue/fit_state.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "optimise/tunnelling_search.h"

namespace {

using namespace quillon;

// The example's observations in the order the data preparation leaves them.
constexpr std::array<double, 35> x1s = {50,  50,  50,  50,  50,  100, 100, 100, 100, 100, 200, 200,
                                        200, 200, 200, 250, 250, 250, 250, 250, 333, 333, 333, 333,
                                        333, 500, 500, 500, 500, 500, 700, 700, 700, 700, 700};
constexpr std::array<double, 35> x2s = {0,   200, 300, 400, 100, 0, 100, 300, 200, 400, 100, 400,
                                        0,   300, 200, 300, 200, 0, 400, 100, 0,   100, 400, 200,
                                        300, 400, 300, 200, 100, 0, 0,   100, 300, 200, 400};
constexpr std::array<double, 35> ys = {
    0.032, 0.010, 0.006, 0.004, 0.017, 0.055, 0.028, 0.012, 0.018, 0.008, 0.045, 0.012,
    0.080, 0.019, 0.030, 0.023, 0.036, 0.090, 0.014, 0.050, 0.102, 0.065, 0.015, 0.041,
    0.027, 0.022, 0.030, 0.048, 0.072, 0.116, 0.130, 0.078, 0.035, 0.052, 0.024};
constexpr std::array<double, 3> best_fit = {244.330147, 0.178423, 118.125534};

FitState example_fit() {
  FitState fit;
  fit.model = 4;
  fit.model_name = fixed_text("NONCOMPETITIVE INHIBITION MODEL", 512);
  fit.np = 3;
  fit.nx = 2;
  fit.nc = 1;
  fit.x1.assign(x1s.begin(), x1s.end());
  fit.x2.assign(x2s.begin(), x2s.end());
  fit.y1.assign(ys.begin(), ys.end());
  fit.x3.assign(35, 0.0);
  fit.npoints = 35;
  fit.ycalc.assign(max_points, 0.0);
  fit.c = {1.0};
  fit.var = {100.0, 100.0, 100.0, 0.0, 0.0, 1.0};
  fit.plower = {0.1, 0.1, 0.1};
  fit.pupper = {1000.0, 1000.0, 1000.0};
  return fit;
}

// Y=(b*d/(f+e/c))/(d+a) grouped as the engine groups it: b*(d/(f+e/c)).
double baseline_ssq(FitState& fit, std::span<const double> p) {
  double s = 0.0;
  for (int i = 0; i < fit.npoints; ++i) {
    const double x1 = fit.x1[i];
    const double x2 = fit.x2[i];
    const double yc = (p[1] * (x1 / (1.0 + x2 / p[2]))) / (x1 + p[0]);
    fit.ycalc[i] = yc;
    const double r = yc - fit.y1[i];
    s = s + r * r;
  }
  return s;
}

struct Quiet {
  std::istringstream in;
  std::ostringstream out, err;
  Console console{in, out, err};
};

void BM_ssq_objfun_engine(benchmark::State& state) {
  Quiet q;
  FitState fit = example_fit();
  models::ModelEvaluator ev(q.console);
  models::print_model_block(q.console, fit, ev);
  for (auto _ : state)
    benchmark::DoNotOptimize(models::ssq_objfun(fit, ev, best_fit));
  state.SetItemsProcessed(state.iterations() * fit.npoints);
}
BENCHMARK(BM_ssq_objfun_engine);

void BM_ssq_objfun_baseline(benchmark::State& state) {
  FitState fit = example_fit();
  for (auto _ : state)
    benchmark::DoNotOptimize(baseline_ssq(fit, best_fit));
  state.SetItemsProcessed(state.iterations() * fit.npoints);
}
BENCHMARK(BM_ssq_objfun_baseline);

void BM_search_engine(benchmark::State& state) {
  Quiet q;
  models::ModelEvaluator ev(q.console);
  double best = 0.0;
  for (auto _ : state) {
    FitState fit = example_fit();
    models::print_model_block(q.console, fit, ev);
    optimise::tunnelling_search(q.console, fit, ev);
    best = fit.best;
    q.out.str("");
  }
  state.counters["best"] = best;
}
BENCHMARK(BM_search_engine)->Unit(benchmark::kMillisecond);

void BM_search_baseline(benchmark::State& state) {
  Quiet q;
  models::ModelEvaluator ev(q.console);
  double best = 0.0;
  for (auto _ : state) {
    FitState fit = example_fit();
    models::print_model_block(q.console, fit, ev);
    optimise::tunnelling_search(q.console, fit,
                                [&](std::span<const double> p) { return baseline_ssq(fit, p); });
    best = fit.best;
    q.out.str("");
  }
  state.counters["best"] = best;
}
BENCHMARK(BM_search_baseline)->Unit(benchmark::kMillisecond);

}  // namespace
