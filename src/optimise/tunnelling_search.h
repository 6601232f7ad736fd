// The coordinate-wise stochastic tunnelling search: random relative steps over a
// ladder of scales, strictly-smaller acceptance, a per-parameter step factor
// adapted from its success rate, and steepest-descent polishes. It restarts from
// its best vector until a run from the third on brings no accepted trial.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "models/fit_state.h"
#include "models/model_evaluator.h"
#include "optimise/steepda.h"
#include "textio/console.h"

namespace quillon::optimise {

// The strategy's constants, in one place.
namespace search_constants {
inline constexpr double initial_best = 1.0e15;  // best SSQ before anything is evaluated
inline constexpr std::uint64_t seed = 5489;     // the generator restarts here every search
inline constexpr int max_runs = 10;
inline constexpr int min_runs = 2;  // runs 1 and 2 always happen
inline constexpr int max_passes = 1100;
inline constexpr int stall_limit = 50;  // consecutive passes
inline constexpr double stall_tolerance = 1.0e-06;
inline constexpr int levels = 11;            // step scale 2*0.5^level
inline constexpr int multiples = 11;         // step multiple j - 6
inline constexpr int trial_pool_index = 30;  // r(30) after each shuffle
inline constexpr double success_rate = 0.15;
inline constexpr double step_up = 1.2;     // minus step_run_shift*run
inline constexpr double step_down = 0.85;  // plus step_run_shift*run
inline constexpr double step_run_shift = 0.005;
inline constexpr double step_max = 2.0;
inline constexpr double step_min = 1.0e-08;
inline constexpr int polish_every = 10;
inline constexpr int polish_until = 250;  // passes that may polish
inline constexpr int polish_maxit_drop = 10;
inline constexpr int polish_maxit_min = 50;
inline constexpr double polish_step0_smallest = 1.0e-06;  // below it step0 restarts at 0.1
inline constexpr double polish_step0_restart = 0.1;
inline constexpr double polish_tol = 1.0e-12;
inline constexpr int marks_every = 10;           // ">>" progress marks
inline constexpr int marks_line_end = 250;       // "." ends the line of marks
inline constexpr double print_switch = 10000.0;  // parameter lines switch to ES17.6 above it
inline constexpr int arctangent_fold = 2;        // pbounds1 mode
}  // namespace search_constants

struct SearchSettings {
  mod_steepest::Settings first_descent_run1{1, 1.0, 1.0e-06, 260};
  mod_steepest::Settings first_descent_later{1, 0.1, 1.0e-12, 110};
  // Lower caps only shorten the search for fuzzing; the program keeps the constants.
  int max_runs = search_constants::max_runs;
  int max_passes = search_constants::max_passes;
};

enum class SearchStop { no_improvement, run_limit };

struct RunSummary {
  int passes = 0;
  int stall = 0;
  int naccept = 0;
  int nreject = 0;
};

struct SearchOutcome {
  std::vector<double> pbest;  // best parameter vector found
  double best = 0.0;          // its sum of squares
  int runs = 0;
  SearchStop stop = SearchStop::run_limit;
  std::array<RunSummary, search_constants::max_runs> run{};
};

// Runs the search on the fit's data from the initial estimates in fit.var(1..np),
// printing its account; returns, and leaves in fit.pbest and fit.best, the best
// vector and its sum of squares. Re-seeds fit.rng and refills the pool from it.
SearchOutcome tunnelling_search(textio::Console& console, models::FitState& fit,
                                models::ModelEvaluator& ev, const SearchSettings& settings = {});

// A trial's sum of squares f(x, bound), which may stop short once the sum is known
// to reach `bound`: it then returns some value >= bound (or NaN) in place of the sum.
// Borrowed like mod_steepest::Objective.
class TrialObjective {
 public:
  template <typename F>
  requires(!std::is_same_v<std::remove_cvref_t<F>, TrialObjective> &&
           std::is_invocable_r_v<double, F&, std::span<const double>, double>)
      TrialObjective(F&& f)  // NOLINT(google-explicit-constructor)
      : object_(const_cast<void*>(static_cast<const void*>(&f))),
        call_([](void* o, std::span<const double> x, double bound) {
          return static_cast<double>((*static_cast<std::remove_reference_t<F>*>(o))(x, bound));
        }) {}
  double operator()(std::span<const double> x, double bound) const {
    return call_(object_, x, bound);
  }

 private:
  void* object_;
  double (*call_)(void*, std::span<const double>, double);
};

// The same search over any sum of squares of the np parameters (a trial, a
// descent and the objective share it); the fit supplies the estimates, bounds
// and generator.
SearchOutcome tunnelling_search(textio::Console& console, models::FitState& fit,
                                mod_steepest::Objective objective,
                                const SearchSettings& settings = {});

// With trials through `trial`: a trial is kept only when its sum is below the best,
// so it need not be summed further once it reaches that.
SearchOutcome tunnelling_search(textio::Console& console, models::FitState& fit,
                                mod_steepest::Objective objective, TrialObjective trial,
                                const SearchSettings& settings = {});

}  // namespace quillon::optimise
