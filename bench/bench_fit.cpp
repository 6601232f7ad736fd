// The objective (with its per-pass rebuild) and the whole search on each fit case,
// each beside the same work with the model written in C++. Both searches must end
// at the same bits of pbest: the hand-written formula follows the engine's order.
#include <benchmark/benchmark.h>

#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "fit_cases.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "optimise/tunnelling_search.h"

namespace {

using namespace quillon;

std::string case_path(int index) {
  return std::string(QUILLON_SOURCE_DIR) + "/" + bench::fit_cases[index].file;
}

struct Prepared {
  bench::Quiet q;
  models::FitState fit;
  std::vector<double> start;  // the initial estimates
};

void prepare(Prepared& s, int index, models::ModelEvaluator& ev) {
  s.fit = bench::load_fit(case_path(index), s.q.console, ev);
  s.start.assign(s.fit.var.begin(), s.fit.var.begin() + s.fit.np);
}

void BM_ssq_objfun_engine(benchmark::State& state) {
  Prepared s;
  models::ModelEvaluator ev(s.q.console);
  prepare(s, static_cast<int>(state.range(0)), ev);
  for (auto _ : state)
    benchmark::DoNotOptimize(models::ssq_objfun(s.fit, ev, s.start));
  state.SetLabel(bench::fit_cases[state.range(0)].label);
}

// The same with a weight per observation, as the batch's --weight fits.
void BM_ssq_objfun_weighted(benchmark::State& state) {
  Prepared s;
  models::ModelEvaluator ev(s.q.console);
  prepare(s, static_cast<int>(state.range(0)), ev);
  s.fit.weights.assign(static_cast<std::size_t>(s.fit.npoints), 0.5);
  for (auto _ : state)
    benchmark::DoNotOptimize(models::ssq_objfun(s.fit, ev, s.start));
  state.SetLabel(bench::fit_cases[state.range(0)].label);
}

void BM_ssq_objfun_hand(benchmark::State& state) {
  Prepared s;
  models::ModelEvaluator ev(s.q.console);
  prepare(s, static_cast<int>(state.range(0)), ev);
  for (auto _ : state)
    benchmark::DoNotOptimize(bench::hand_ssq(s.fit, s.start));
  state.SetLabel(bench::fit_cases[state.range(0)].label);
}

// Both objectives at the initial estimates must agree bit for bit.
double checked_start_ssq(Prepared& s, models::ModelEvaluator& ev) {
  const double a = models::ssq_objfun(s.fit, ev, s.start);
  const double b = bench::hand_ssq(s.fit, s.start);
  if (std::memcmp(&a, &b, sizeof a) != 0)
    throw std::logic_error("hand-written objective differs from the engine");
  return a;
}

std::vector<double> search(Prepared& s, models::ModelEvaluator& ev, bool hand) {
  models::FitState fit = s.fit;
  s.q.out.str("");
  if (hand) {
    optimise::tunnelling_search(s.q.console, fit,
                                [&](std::span<const double> p) { return bench::hand_ssq(fit, p); });
  } else {
    optimise::tunnelling_search(s.q.console, fit, ev);
  }
  return fit.pbest;
}

void search_bench(benchmark::State& state, bool hand) {
  Prepared s;
  models::ModelEvaluator ev(s.q.console);
  prepare(s, static_cast<int>(state.range(0)), ev);
  checked_start_ssq(s, ev);
  std::vector<double> pbest;
  for (auto _ : state)
    pbest = search(s, ev, hand);
  // Same path: the other objective must reach the same bits.
  const std::vector<double> other = search(s, ev, !hand);
  if (pbest.size() != other.size() ||
      std::memcmp(pbest.data(), other.data(), pbest.size() * sizeof(double)) != 0) {
    state.SkipWithError("engine and hand-written searches end at different pbest");
  }
  state.SetLabel(bench::fit_cases[state.range(0)].label);
}

void BM_search_engine(benchmark::State& state) {
  search_bench(state, false);
}
void BM_search_hand(benchmark::State& state) {
  search_bench(state, true);
}

BENCHMARK(BM_ssq_objfun_engine)->DenseRange(0, 2);
BENCHMARK(BM_ssq_objfun_weighted)->DenseRange(0, 2);
BENCHMARK(BM_ssq_objfun_hand)->DenseRange(0, 2);
BENCHMARK(BM_search_engine)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_search_hand)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
