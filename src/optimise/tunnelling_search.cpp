#include "optimise/tunnelling_search.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "numerics/exact_math.h"
#include "optimise/random_pool.h"
#include "textio/text_utils.h"

namespace quillon::optimise {

namespace {

using namespace search_constants;
// Sized per fit: a global fit has more parameters than a model.
using Vec = std::vector<double>;
using Counts = std::vector<int>;

const std::string rule(66, '-');

// Parameter lines switch to the exponent form when any value is large.
void print_params(textio::Console& console, std::string_view fixed_format, std::string_view label,
                  std::span<const double> p) {
  const bool large =
      std::any_of(p.begin(), p.end(), [](double v) { return std::fabs(v) > print_switch; });
  // Ten to a line; a global fit's further values on lines of their own under the first.
  constexpr std::size_t per_line = 10;
  const std::string indent(label.size(), ' ');
  for (std::size_t at = 0; at == 0 || at < p.size(); at += per_line) {
    console.write(large ? "(A,10ES17.6)" : fixed_format, at == 0 ? label : indent,
                  p.subspan(at, std::min(per_line, p.size() - at)));
  }
}

// One run's counters.
struct RunTally {
  int passes = 0;
  int stall = 0;
  int naccept = 0;
  int nreject = 0;
  Counts succ;  // accepted trials per parameter
};

// The account the search prints, one helper for each moment of it.
namespace account {

void run_start(textio::Console& console, int run) {
  if (run == 1)
    console.list();
  console.write("(A)", rule);
  console.write("(I2,1X,A)", run,
                run == 1 ? "-Run using initial parameter estimates:"
                         : "-Restarted using current parameter estimates:");
  console.write("(A)", rule);
}

void initial(textio::Console& console, double ssq, std::span<const double> p) {
  console.list();
  console.write("(A,ES14.6)", "Initial SSQ        = ", ssq);
  print_params(console, "(A,10F12.4)", "Initial parameters = ", p);
  console.list();
}

void descent_accepted(textio::Console& console, std::string_view format, std::string_view label,
                      const mod_steepest::Result& result, double ssq, std::span<const double> p) {
  console.write(format, label, ssq, " (iter=", result.iter, ", converged=", result.converged, ")");
  print_params(console, "(A,10F15.6)", "  SteepDA params = ", p);
}

// Progress marks: a line opened at pass 1, ">>" every tenth pass, "." every 250th.
void progress(textio::Console& console, int pass) {
  if (pass == 1)
    console.write("(A)", "Progress: ");
  if (pass % marks_every == 0)
    console.write_open("(A)", ">>");
  if (pass % marks_line_end == 0)
    console.write("(A)", ".");
}

void run_end(textio::Console& console, const RunTally& tally, std::size_t n,
             std::string_view equation, double ssq, std::span<const double> p) {
  console.list();
  console.write("(A,I6,A,I6,A,I6)", "Outer passes completed: ", tally.passes,
                "  (stall counter at exit: ", tally.stall, ") >= ", stall_limit);
  console.list();
  console.write("(A,I8,A,I8)", "Total accepted / rejected improvement: ", tally.naccept, " / ",
                tally.nreject);
  // Two digits for a model's parameters; a global fit's hundredth needs a third.
  const std::string_view format = n > 99 ? "(A,I3,A,I8)" : "(A,I2,A,I8)";
  for (std::size_t k = 0; k < n; ++k) {
    console.write(format, "  Successful improvement for P", static_cast<int>(k) + 1, ": ",
                  tally.succ[k]);
  }
  console.list();
  console.write("(A,A)", "Model: ", textio::trimmed(equation));
  console.write("(A,ES14.6)", "Best-fit weighted SSQ    = ", ssq);
  print_params(console, "(A,10F15.6)", "Best-fit params = ", p);
  console.list();
}

}  // namespace account

class Search {
 public:
  Search(textio::Console& console, models::FitState& fit, mod_steepest::Objective objective,
         TrialObjective trial, const SearchSettings& settings)
      : console_(console),
        fit_(fit),
        objective_(objective),
        trial_(trial),
        settings_(settings),
        n_(static_cast<std::size_t>(fit.np)),
        step_(n_) {}

  SearchOutcome run_all() {
    SearchOutcome outcome;
    fit_.pbest.assign(n_, 0.0);
    pbest_ = std::span<double>(fit_.pbest.data(), n_);
    fit_.rng.seed(seed);
    fill_pool(r_, fit_.rng);

    const int run_limit = std::clamp(settings_.max_runs, 1, max_runs);
    for (int run = 1; run <= run_limit; ++run) {
      const RunTally tally = one_run(run);
      outcome.runs = run;
      outcome.run[run - 1] = RunSummary{tally.passes, tally.stall, tally.naccept, tally.nreject};
      int total = 0;
      for (std::size_t k = 0; k < n_; ++k)
        total += tally.succ[k];
      if (run > min_runs && total == 0) {
        outcome.stop = SearchStop::no_improvement;
        break;
      }
    }
    fit_.best = best_;
    outcome.pbest = fit_.pbest;
    outcome.best = best_;
    return outcome;
  }

 private:
  // A run restarts from the initial estimates (run 1) or the best vector so far.
  RunTally one_run(int run) {
    RunTally tally;
    tally.succ.assign(n_, 0);
    std::fill(step_.begin(), step_.end(), 1.0);
    for (std::size_t k = 0; k < n_; ++k) {
      if (run == 1) {
        pbest_[k] = fit_.var[k];
      } else {
        fit_.var[k] = pbest_[k];
      }
    }
    account::run_start(console_, run);

    double ssq = best_;
    account::initial(console_, ssq, pbest_);
    mod_steepest::Settings descent =
        run == 1 ? settings_.first_descent_run1 : settings_.first_descent_later;
    if (try_descent(descent, "(A,ES14.6,A,I5,A,L1,A)", "  SteepDA accepted: SSQ0 -> "))
      console_.list();

    const int pass_limit = std::clamp(settings_.max_passes, 1, max_passes);
    int pass = 1;
    for (; pass <= pass_limit; ++pass) {
      ssq = trial_pass(run, tally);
      if (pass <= polish_until && pass % polish_every == 0)
        polish(descent);
      account::progress(console_, pass);

      // On the pass's last trial; a NaN ratio resets the counter.
      if (std::fabs(1.0 - ssq / best_) <= stall_tolerance) {
        ++tally.stall;
        if (tally.stall >= stall_limit)
          break;
      } else {
        tally.stall = 0;
      }
    }
    tally.passes = std::min(pass, pass_limit);
    account::run_end(console_, tally, n_, fit_.eq, ssq, pbest_);
    return tally;
  }

  // Every parameter in turn, at each of the ladder's scales and step multiples,
  // then each step factor adapted to its success rate. Returns the SSQ of the
  // pass's last trial.
  double trial_pass(int run, RunTally& tally) {
    Counts cnt(n_);
    Vec q(n_);
    double ssq = 0.0;
    for (int level = 1; level <= levels; ++level) {
      const double s = 2.0 * numerics::exact_math::pow(0.5, level);
      for (int j = 1; j <= multiples; ++j) {
        for (std::size_t k = 0; k < n_; ++k) {
          shuffle(r_);
          const double u = r_[trial_pool_index - 1];
          std::copy(pbest_.begin(), pbest_.end(), q.begin());
          q[k] = pbest_[k] * (1.0 + u * (j - 6) * step_[k] * s);
          pbounds1(q[k], fit_.plower[k], fit_.pupper[k], arctangent_fold);
          // The pass's last sum is used whole (the stall test, the run's account).
          const bool last = level == levels && j == multiples && k + 1 == n_;
          ssq = trial_(std::span<const double>(q.data(), n_), last ? HUGE_VAL : best_);
          if (ssq < best_) {
            best_ = ssq;
            pbest_[k] = q[k];
            ++tally.naccept;
            ++tally.succ[k];
            ++cnt[k];
          } else {
            ++tally.nreject;
          }
        }
      }
    }

    for (std::size_t k = 0; k < n_; ++k) {
      const double rate = cnt[k] / static_cast<double>(levels * multiples);
      if (rate > success_rate) {
        step_[k] = std::min((step_up - step_run_shift * run) * step_[k], step_max);
      } else if (rate < success_rate) {
        step_[k] = std::max((step_down + step_run_shift * run) * step_[k], step_min);
      }
    }
    return ssq;
  }

  // Every tenth pass up to the 250th: a shorter, finer descent than the last one.
  void polish(mod_steepest::Settings& descent) {
    descent.maxit = std::max(descent.maxit - polish_maxit_drop, polish_maxit_min);
    descent.step0 = descent.step0 / 10.0;
    if (descent.step0 < polish_step0_smallest)
      descent.step0 = polish_step0_restart;
    descent.tol = polish_tol;
    try_descent(descent, "(/A,ES14.6,A,I5,A,L1,A)", "  SteepDA polish accepted: SSQ0 -> ");
  }

  // steepda from a copy of pbest, its result folded into the bounds; accepted only
  // when strictly smaller (a NaN never is), and then reported after the label. When
  // the fold moved the point, the sum of squares is taken again at the folded point,
  // so that best always belongs to pbest.
  bool try_descent(const mod_steepest::Settings& s, std::string_view format,
                   std::string_view label) {
    Vec point(n_);
    std::copy(pbest_.begin(), pbest_.end(), point.begin());
    const std::span<double> x(point.data(), n_);
    mod_steepest::Result result = mod_steepest::steepda(objective_, x, s);
    bool folded = false;
    for (std::size_t k = 0; k < n_; ++k) {
      const double before = x[k];
      pbounds1(x[k], fit_.plower[k], fit_.pupper[k], arctangent_fold);
      folded = folded || !(x[k] == before);
    }
    if (folded)
      result.fx = objective_(x);
    if (!(result.fx < best_))
      return false;
    std::copy(x.begin(), x.end(), pbest_.begin());
    best_ = result.fx;
    account::descent_accepted(console_, format, label, result, best_, pbest_);
    return true;
  }

  textio::Console& console_;
  models::FitState& fit_;
  mod_steepest::Objective objective_;
  TrialObjective trial_;
  const SearchSettings& settings_;
  const std::size_t n_;
  std::span<double> pbest_;  // fit.pbest
  double best_ = initial_best;
  Pool r_{};
  Vec step_;  // per-parameter step factor, reset at every run
};

}  // namespace

SearchOutcome tunnelling_search(textio::Console& console, models::FitState& fit,
                                models::ModelEvaluator& ev, const SearchSettings& settings) {
  // The observations stay as they are for the whole search: after the first call
  // the evaluator need not compare them with those it stored.
  models::SsqOptions options;
  auto objective = [&](std::span<const double> p) {
    options.bound = HUGE_VAL;
    const double s = models::ssq_objfun(fit, ev, p, options);
    options.same_observations = true;
    return s;
  };
  auto trial = [&](std::span<const double> p, double bound) {
    options.bound = bound;
    const double s = models::ssq_objfun(fit, ev, p, options);
    options.same_observations = true;
    return s;
  };
  return tunnelling_search(console, fit, objective, trial, settings);
}

SearchOutcome tunnelling_search(textio::Console& console, models::FitState& fit,
                                mod_steepest::Objective objective, const SearchSettings& settings) {
  return tunnelling_search(
      console, fit, objective, [&](std::span<const double> p, double) { return objective(p); },
      settings);
}

SearchOutcome tunnelling_search(textio::Console& console, models::FitState& fit,
                                mod_steepest::Objective objective, TrialObjective trial,
                                const SearchSettings& settings) {
  if (fit.np < 1 || fit.pinit.size() < static_cast<std::size_t>(fit.np) ||
      fit.plower.size() < static_cast<std::size_t>(fit.np) ||
      fit.pupper.size() < static_cast<std::size_t>(fit.np) ||
      fit.var.size() < static_cast<std::size_t>(fit.np)) {
    throw std::invalid_argument("tunnelling_search: a parameter at least, each with its bounds");
  }
  return Search(console, fit, objective, trial, settings).run_all();
}

}  // namespace quillon::optimise
