// Compares exact_math::pow, exp and log with MPFR's correctly rounded values on random
// arguments from several distributions. Prints, for each distribution, the mismatches,
// which stage of pow settled the arguments and a digest of the pow results (equal
// digests from two builds mean bit-identical results); exits 1 on any mismatch.
//
//   exact_math_check [arguments per distribution, default 1000000] [seed]
//
// Built only with -DQUILLON_EXACT_MATH_CHECK=ON when MPFR is found; not part of the tests.

#include <mpfr.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "numerics/exact_math.h"

namespace {

namespace em = quillon::numerics::exact_math;

class Reference {
 public:
  Reference() {
    // Double's exponent range, so that mpfr_subnormalize rounds as binary64 does.
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_inits2(53, x_, y_, r_, static_cast<mpfr_ptr>(nullptr));
  }
  ~Reference() { mpfr_clears(x_, y_, r_, static_cast<mpfr_ptr>(nullptr)); }
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  double pow(double x, double y) {
    mpfr_set_d(x_, x, MPFR_RNDN);
    mpfr_set_d(y_, y, MPFR_RNDN);
    return finish(mpfr_pow(r_, x_, y_, MPFR_RNDN));
  }
  double exp(double x) {
    mpfr_set_d(x_, x, MPFR_RNDN);
    return finish(mpfr_exp(r_, x_, MPFR_RNDN));
  }
  double log(double x) {
    mpfr_set_d(x_, x, MPFR_RNDN);
    return finish(mpfr_log(r_, x_, MPFR_RNDN));
  }

 private:
  double finish(int inexact) {
    mpfr_subnormalize(r_, mpfr_check_range(r_, inexact, MPFR_RNDN), MPFR_RNDN);
    return mpfr_get_d(r_, MPFR_RNDN);
  }
  mpfr_t x_, y_, r_;
};

bool same(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) ||
         std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

struct Args {
  double x;
  double y;
};

using Engine = std::mt19937_64;

double uniform(Engine& g, double lo, double hi) {
  return std::uniform_real_distribution<double>(lo, hi)(g);
}

double log_uniform(Engine& g, double lo, double hi) {
  return std::exp(uniform(g, std::log(lo), std::log(hi)));
}

// Any positive finite double with the exponent field uniform (subnormals included).
double any_binade(Engine& g) {
  const std::uint64_t exponent = g() % 2047;
  return std::bit_cast<double>((exponent << 52) | (g() >> 12));
}

// y such that y ln x is about t, for x != 1.
double exponent_for(double x, double t) {
  return t / std::log(x);
}

struct Distribution {
  const char* name;
  std::function<Args(Engine&)> make;
};

const Distribution distributions[] = {
    {"hill",
     [](Engine& g) {
       return Args{log_uniform(g, 1e-3, 1e4), uniform(g, -4.0, 4.0)};
     }},
    {"near 1",
     [](Engine& g) {
       const double x = 1.0 + std::ldexp(uniform(g, -1.0, 1.0), -static_cast<int>(g() % 52));
       return Args{x, std::ldexp(uniform(g, -1.0, 1.0), static_cast<int>(g() % 40) - 10)};
     }},
    {"wide",
     [](Engine& g) {
       const double x = log_uniform(g, 1e-300, 1e300);
       return Args{x, exponent_for(x, uniform(g, -740.0, 705.0))};
     }},
    {"all binades",
     [](Engine& g) {
       return Args{any_binade(g), uniform(g, -3.0, 3.0)};
     }},
    {"integer y",
     [](Engine& g) {
       const double x = (g() & 1 ? -1.0 : 1.0) * log_uniform(g, 1e-3, 1e3);
       return Args{x, static_cast<double>(static_cast<int>(g() % 121) - 60)};
     }},
    {"short x, integer y",
     [](Engine& g) {
       // Few significant bits: exact and midpoint results.
       const double x =
           std::ldexp(static_cast<double>(g() % 4096 + 1), static_cast<int>(g() % 40) - 20);
       return Args{x, static_cast<double>(g() % 30 + 1)};
     }},
    {"near overflow, underflow, subnormal",
     [](Engine& g) {
       const double x = log_uniform(g, 1e-5, 1e5);
       const double t = (g() & 1) ? uniform(g, 700.0, 709.9) : uniform(g, -745.2, -700.0);
       return Args{x == 1.0 ? 2.0 : x, exponent_for(x == 1.0 ? 2.0 : x, t)};
     }},
    {"random bits",
     [](Engine& g) {
       return Args{std::bit_cast<double>(g()), std::bit_cast<double>(g())};
     }},
};

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  Reference reference;
  long total = 0;
  long total_mismatches = 0;
  std::array<long, 4> total_stages{};
  std::printf("%-36s %10s %10s %10s %10s %10s %10s  %s\n", "pow distribution", "arguments",
              "mismatches", "special", "stage 1", "stage 2", "stage 3", "digest");
  for (const Distribution& d : distributions) {
    Engine engine(seed);
    long mismatches = 0;
    std::array<long, 4> stages{};
    std::uint64_t digest = 0xcbf29ce484222325;
    for (long i = 0; i < count; ++i) {
      const Args a = d.make(engine);
      const double got = em::pow(a.x, a.y);
      const double want = reference.pow(a.x, a.y);
      ++stages[static_cast<std::size_t>(em::detail::pow_stage(a.x, a.y))];
      digest = (digest ^ std::bit_cast<std::uint64_t>(std::isnan(got) ? NAN : got)) * 0x100000001b3;
      if (!same(got, want)) {
        if (++mismatches <= 5)
          std::printf("  pow(%a, %a) = %a, correctly rounded %a\n", a.x, a.y, got, want);
      }
    }
    std::printf("%-36s %10ld %10ld %10ld %10ld %10ld %10ld  %016llx\n", d.name, count, mismatches,
                stages[0], stages[1], stages[2], stages[3],
                static_cast<unsigned long long>(digest));
    total += count;
    total_mismatches += mismatches;
    for (std::size_t s = 0; s < stages.size(); ++s)
      total_stages[s] += stages[s];
  }
  std::printf("%-36s %10ld %10ld %10ld %10ld %10ld %10ld\n", "all", total, total_mismatches,
              total_stages[0], total_stages[1], total_stages[2], total_stages[3]);

  // exp over its whole finite range, log over every binade.
  Engine engine(seed);
  long exp_mismatches = 0;
  long log_mismatches = 0;
  for (long i = 0; i < count; ++i) {
    const double x = uniform(engine, -746.0, 710.0);
    if (!same(em::exp(x), reference.exp(x)) && ++exp_mismatches <= 5)
      std::printf("  exp(%a) = %a, correctly rounded %a\n", x, em::exp(x), reference.exp(x));
    const double z = any_binade(engine);
    if (!same(em::log(z), reference.log(z)) && ++log_mismatches <= 5)
      std::printf("  log(%a) = %a, correctly rounded %a\n", z, em::log(z), reference.log(z));
  }
  std::printf("exp: %ld arguments, %ld mismatches\nlog: %ld arguments, %ld mismatches\n", count,
              exp_mismatches, count, log_mismatches);
  const long all = total_mismatches + exp_mismatches + log_mismatches;
  std::printf("%s\n", all == 0 ? "all correctly rounded" : "MISMATCHES");
  return all == 0 ? 0 : 1;
}
