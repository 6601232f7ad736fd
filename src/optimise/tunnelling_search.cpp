#include "optimise/tunnelling_search.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "feq_parser/exact_math.h"
#include "optimise/random_pool.h"
#include "textio/text_utils.h"

namespace quillon::optimise {

namespace {

using namespace search_constants;
using Vec = std::array<double, mod_steepest::constants::max_n>;

const std::string rule(66, '-');

// Parameter lines switch to the exponent form when any value is large.
void print_params(textio::Console& console, std::string_view fixed_format, std::string_view label,
                  std::span<const double> p) {
  const bool large =
      std::any_of(p.begin(), p.end(), [](double v) { return std::fabs(v) > print_switch; });
  console.write(large ? "(A,10ES17.6)" : fixed_format, label, p);
}

}  // namespace

SearchOutcome tunnelling_search(textio::Console& console, models::FitState& fit,
                                models::ModelEvaluator& ev, const SearchSettings& settings) {
  return tunnelling_search(
      console, fit, [&](std::span<const double> p) { return models::ssq_objfun(fit, ev, p); },
      settings);
}

SearchOutcome tunnelling_search(textio::Console& console, models::FitState& fit,
                                mod_steepest::Objective objective, const SearchSettings& settings) {
  const int np = fit.np;
  if (np < 1 || np > mod_steepest::constants::max_n) {
    throw std::invalid_argument("tunnelling_search: 1 to 8 parameters");
  }
  const auto n = static_cast<std::size_t>(np);
  SearchOutcome outcome;

  fit.pbest.assign(n, 0.0);
  const std::span<double> pbest(fit.pbest.data(), n);
  double best = initial_best;
  fit.rng.seed(seed);
  Pool r{};
  fill_pool(r, fit.rng);

  // steepda from a copy of pbest, its result folded into the bounds; accepted only
  // when strictly smaller (a NaN never is), and then reported after the label. When
  // the fold moved the point, the sum of squares is taken again at the folded point,
  // so that best always belongs to pbest.
  auto try_descent = [&](const mod_steepest::Settings& s, std::string_view format,
                         std::string_view label) {
    Vec point{};
    std::copy(pbest.begin(), pbest.end(), point.begin());
    const std::span<double> x(point.data(), n);
    mod_steepest::Result result = mod_steepest::steepda(objective, x, s);
    bool folded = false;
    for (std::size_t k = 0; k < n; ++k) {
      const double before = x[k];
      pbounds1(x[k], fit.plower[k], fit.pupper[k], arctangent_fold);
      folded = folded || !(x[k] == before);
    }
    if (folded)
      result.fx = objective(x);
    if (!(result.fx < best))
      return false;
    std::copy(x.begin(), x.end(), pbest.begin());
    best = result.fx;
    console.write(format, label, best, " (iter=", result.iter, ", converged=", result.converged,
                  ")");
    print_params(console, "(A,10F15.6)", "  SteepDA params = ", pbest);
    return true;
  };

  Vec step{};
  Vec q{};
  std::array<int, mod_steepest::constants::max_n> succ{};
  std::array<int, mod_steepest::constants::max_n> cnt{};

  const int run_limit = std::clamp(settings.max_runs, 1, max_runs);
  const int pass_limit = std::clamp(settings.max_passes, 1, max_passes);
  for (int run = 1; run <= run_limit; ++run) {
    succ.fill(0);
    int naccept = 0;
    int nreject = 0;
    int stall = 0;
    step.fill(1.0);

    if (run == 1) {
      for (std::size_t k = 0; k < n; ++k)
        pbest[k] = fit.var[k];
      console.list();
      console.write("(A)", rule);
      console.write("(I2,1X,A)", run, "-Run using initial parameter estimates:");
      console.write("(A)", rule);
    } else {
      for (std::size_t k = 0; k < n; ++k)
        fit.var[k] = pbest[k];
      console.write("(A)", rule);
      console.write("(I2,1X,A)", run, "-Restarted using current parameter estimates:");
      console.write("(A)", rule);
    }

    double ssq = best;
    console.list();
    console.write("(A,ES14.6)", "Initial SSQ        = ", ssq);
    print_params(console, "(A,10F12.4)", "Initial parameters = ", pbest);
    console.list();

    mod_steepest::Settings descent =
        run == 1 ? settings.first_descent_run1 : settings.first_descent_later;
    if (try_descent(descent, "(A,ES14.6,A,I5,A,L1,A)", "  SteepDA accepted: SSQ0 -> "))
      console.list();

    int pass = 1;
    for (; pass <= pass_limit; ++pass) {
      cnt.fill(0);
      for (int level = 1; level <= levels; ++level) {
        const double s = 2.0 * feq_parser::exact_math::pow(0.5, level);
        for (int j = 1; j <= multiples; ++j) {
          for (std::size_t k = 0; k < n; ++k) {
            shuffle(r);
            const double u = r[trial_pool_index - 1];
            std::copy(pbest.begin(), pbest.end(), q.begin());
            q[k] = pbest[k] * (1.0 + u * (j - 6) * step[k] * s);
            pbounds1(q[k], fit.plower[k], fit.pupper[k], arctangent_fold);
            ssq = objective(std::span<const double>(q.data(), n));
            if (ssq < best) {
              best = ssq;
              pbest[k] = q[k];
              ++naccept;
              ++succ[k];
              ++cnt[k];
            } else {
              ++nreject;
            }
          }
        }
      }

      for (std::size_t k = 0; k < n; ++k) {
        const double rate = cnt[k] / static_cast<double>(levels * multiples);
        if (rate > success_rate) {
          step[k] = std::min((step_up - step_run_shift * run) * step[k], step_max);
        } else if (rate < success_rate) {
          step[k] = std::max((step_down + step_run_shift * run) * step[k], step_min);
        }
      }

      if (pass <= polish_until && pass % polish_every == 0) {
        descent.maxit = std::max(descent.maxit - polish_maxit_drop, polish_maxit_min);
        descent.step0 = descent.step0 / 10.0;
        if (descent.step0 < polish_step0_smallest)
          descent.step0 = polish_step0_restart;
        descent.tol = polish_tol;
        try_descent(descent, "(/A,ES14.6,A,I5,A,L1,A)", "  SteepDA polish accepted: SSQ0 -> ");
      }

      if (pass == 1)
        console.write("(A)", "Progress: ");
      if (pass % marks_every == 0)
        console.write_open("(A)", ">>");
      if (pass % marks_line_end == 0)
        console.write("(A)", ".");

      // On the pass's last trial; a NaN ratio resets the counter.
      if (std::fabs(1.0 - ssq / best) <= stall_tolerance) {
        ++stall;
        if (stall >= stall_limit)
          break;
      } else {
        stall = 0;
      }
    }
    const int passes = std::min(pass, pass_limit);

    console.list();
    console.write("(A,I6,A,I6,A,I6)", "Outer passes completed: ", passes,
                  "  (stall counter at exit: ", stall, ") >= ", stall_limit);
    console.list();
    console.write("(A,I8,A,I8)", "Total accepted / rejected improvement: ", naccept, " / ",
                  nreject);
    for (std::size_t k = 0; k < n; ++k) {
      console.write("(A,I2,A,I8)", "  Successful improvement for P", static_cast<int>(k) + 1, ": ",
                    succ[k]);
    }
    console.list();
    console.write("(A,A)", "Model: ", textio::trimmed(fit.eq));
    console.write("(A,ES14.6)", "Best-fit weighted SSQ    = ", ssq);
    print_params(console, "(A,10F15.6)", "Best-fit params = ", pbest);
    console.list();

    outcome.runs = run;
    outcome.run[run - 1] = RunSummary{passes, stall, naccept, nreject};
    int total = 0;
    for (std::size_t k = 0; k < n; ++k)
      total += succ[k];
    if (run > min_runs && total == 0) {
      outcome.stop = SearchStop::no_improvement;
      break;
    }
  }
  fit.best = best;
  outcome.pbest = fit.pbest;
  outcome.best = best;
  return outcome;
}

}  // namespace quillon::optimise
