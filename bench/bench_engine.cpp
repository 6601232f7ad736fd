// Building and evaluating the six catalogue models through the expression engine,
// beside the same formulas written in C++ (grouped as the engine groups them, so
// both compute the same bits).
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "feq_parser/equation_parser.h"
#include "fit_cases.h"
#include "numerics/exact_math.h"
#include "textio/text_utils.h"

namespace {

struct Model {
  const char* encoded;
  std::string_view names;
  std::vector<double> values;
  double (*native)(const double* v);
};

const Model models[] = {
    {"Y=b*c/(c+a)",
     "abc",
     {2, 10, 2},
     [](const double* v) { return v[1] * (v[2] / (v[2] + v[0])); }},
    {"Y=b*(d^c)/(d^c+a^c)",
     "abcd",
     {2, 10, 1.5, 3},
     [](const double* v) {
       return v[1] * (quillon::numerics::exact_math::pow(v[3], v[2]) /
                      (quillon::numerics::exact_math::pow(v[3], v[2]) +
                       quillon::numerics::exact_math::pow(v[0], v[2])));
     }},
    {"Y=(b*d/(f+e/c))/(a+d/(f+e/c))",
     "abcdef",
     {1, 10, 1, 1, 1, 1},
     [](const double* v) {
       return (v[1] * (v[3] / (v[5] + v[4] / v[2]))) / (v[0] + v[3] / (v[5] + v[4] / v[2]));
     }},
    {"Y=(b*d/(f+e/c))/(d+a)",
     "abcdef",
     {0.3, 7, 0.9, 1.1, 0.5, 1},
     [](const double* v) { return (v[1] * (v[3] / (v[5] + v[4] / v[2]))) / (v[3] + v[0]); }},
    {"Y=(b*d/(f+e/c))/(a/(f+e/c)+d)",
     "abcdef",
     {0.3, 7, 0.9, 1.1, 0.5, 1},
     [](const double* v) {
       return (v[1] * (v[3] / (v[5] + v[4] / v[2]))) / (v[0] / (v[5] + v[4] / v[2]) + v[3]);
     }},
    {"Y=b*e/(a*(g+f/c)+e*(g+f/d))",
     "abcdefg",
     {0.3, 7, 0.9, 1.7, 1.1, 0.5, 1},
     [](const double* v) {
       return v[1] * (v[4] / (v[0] * (v[6] + v[5] / v[2]) + v[4] * (v[6] + v[5] / v[3])));
     }},
};

// The model evaluation hands the engine a 512-character blank-padded text.
std::string padded(const char* text) {
  return quillon::textio::fixed_text(text, 512);
}

// Destruct the saved parser and build the next one, as every pass over the data does.
void construct(benchmark::State& state) {
  const Model& model = models[state.range(0)];
  quillon::bench::Quiet io;
  const std::string text = padded(model.encoded);
  quillon::feq_parser::EquationParser saved =
      quillon::feq_parser::construct_equationparser(text, model.names, io.console);
  for (auto _ : state) {
    saved.destruct_equationparser();
    saved = quillon::feq_parser::construct_equationparser(text, model.names, io.console);
    benchmark::DoNotOptimize(saved);
  }
}

void evaluate_engine(benchmark::State& state) {
  const Model& model = models[state.range(0)];
  quillon::bench::Quiet io;
  const quillon::feq_parser::EquationParser parser =
      quillon::feq_parser::construct_equationparser(padded(model.encoded), model.names, io.console);
  std::vector<double> values = model.values;
  for (auto _ : state) {
    benchmark::DoNotOptimize(values.data());
    benchmark::DoNotOptimize(parser.evaluate_real64(values));
    benchmark::ClobberMemory();
  }
}

void evaluate_native(benchmark::State& state) {
  const Model& model = models[state.range(0)];
  std::vector<double> values = model.values;
  auto* const native = model.native;
  for (auto _ : state) {
    benchmark::DoNotOptimize(values.data());
    benchmark::DoNotOptimize(native(values.data()));
    benchmark::ClobberMemory();
  }
}

// Hill-like pow arguments: substrate concentrations 0.01 to 1000, log-spaced, one in
// eight near 1, to Hill coefficients between 0.5 and 4, either sign.
struct PowArgs {
  std::array<double, 4096> x;
  std::array<double, 4096> y;
};

const PowArgs& pow_args() {
  static const PowArgs args = [] {
    PowArgs a{};
    std::mt19937_64 engine(20240611);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (std::size_t i = 0; i < a.x.size(); ++i) {
      a.x[i] = i % 8 == 0 ? 1.0 + (unit(engine) - 0.5) * 0x1p-8
                          : std::pow(10.0, -2.0 + 5.0 * unit(engine));
      a.y[i] = (0.5 + 3.5 * unit(engine)) * (i % 3 == 0 ? -1.0 : 1.0);
    }
    return a;
  }();
  return args;
}

// One call per iteration, cycling through the arguments, so that the time shown is
// the time per call.
template <double (*f)(double, double)>
void pow_calls(benchmark::State& state) {
  const PowArgs& args = pow_args();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(f(args.x[i], args.y[i]));
    i = (i + 1) % args.x.size();
  }
}

// The same, each call's x waiting for the previous result (x + (r - r) is x for any
// finite r): the latency per call, as in a chain of dependent evaluations.
template <double (*f)(double, double)>
void dependent_pow_calls(benchmark::State& state) {
  const PowArgs& args = pow_args();
  std::size_t i = 0;
  double r = 1.0;
  for (auto _ : state) {
    r = f(args.x[i] + (r - r), args.y[i]);
    i = (i + 1) % args.x.size();
  }
  benchmark::DoNotOptimize(r);
}

double libc_pow(double x, double y) {
  return std::pow(x, y);
}

void BM_pow_exact(benchmark::State& state) {
  pow_calls<quillon::numerics::exact_math::pow>(state);
}

void BM_pow_libc(benchmark::State& state) {
  pow_calls<libc_pow>(state);
}

void BM_pow_exact_dependent(benchmark::State& state) {
  dependent_pow_calls<quillon::numerics::exact_math::pow>(state);
}

void BM_pow_libc_dependent(benchmark::State& state) {
  dependent_pow_calls<libc_pow>(state);
}

BENCHMARK(BM_pow_exact);
BENCHMARK(BM_pow_libc);
BENCHMARK(BM_pow_exact_dependent);
BENCHMARK(BM_pow_libc_dependent);
BENCHMARK(construct)->DenseRange(0, 5)->ArgName("model_index");
BENCHMARK(evaluate_engine)->DenseRange(0, 5)->ArgName("model_index");
BENCHMARK(evaluate_native)->DenseRange(0, 5)->ArgName("model_index");

}  // namespace

BENCHMARK_MAIN();
