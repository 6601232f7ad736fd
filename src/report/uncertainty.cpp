#include "report/uncertainty.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "optimise/random_pool.h"
#include "report/fstat.h"
#include "report/t2t95.h"

namespace quillon::report {

namespace {

constexpr int trial_pool_index = 30;  // r(30) of the pool after each reordering
constexpr int algebraic_fold = 1;     // pbounds1 mode of the sampling
constexpr double exponent_rows_above = 10000.0;

const std::string rule72(72, '=');
const std::string rule91(91, '-');
const std::string rule25(25, '-');

// Rows switch to exponent form when the best-fit value would not read well in F17.6.
// A global fit's P10 and on take the label's blank, and P100 and on one more column.
const char* row_format(double best, int index) {
  const bool exponent = std::fabs(best) > exponent_rows_above;
  if (index < 10)
    return exponent ? "(2X,A2,I1,5ES17.6)" : "(2X,A2,I1,5F17.6)";
  if (index < 100)
    return exponent ? "(2X,A1,I2,5ES17.6)" : "(2X,A1,I2,5F17.6)";
  return exponent ? "(1X,A1,I3,5ES17.6)" : "(1X,A1,I3,5F17.6)";
}

struct PassResult {
  int accepted = 0;
  int trials = 0;
  std::vector<double> mean;
  std::vector<double> std_error;
};

void write_heading(textio::Console& console, bool rerun) {
  console.list();
  console.write("(A)", rule72);
  console.write("(A)", rerun ? "  PARAMETER UNCERTAINTY ESTIMATION  (rerun at higher threshold)"
                             : "  PARAMETER UNCERTAINTY ESTIMATION  (sampling)");
  console.write("(A)", rule72);
}

// Draws trial vectors until enough are accepted or the trial budget is spent.
PassResult sample(models::FitState& fit, const Objective& objective,
                  const SamplingSettings& settings, double threshold) {
  const int np = fit.np;
  PassResult result;
  result.mean.assign(np, 0.0);
  std::vector<double> store;
  store.reserve(static_cast<std::size_t>(settings.max_samples) * np);
  std::vector<double> q(np);

  optimise::Pool pool;
  optimise::fill_pool(pool, fit.rng);

  int& n_acc = result.accepted;
  int& k = result.trials;
  while (n_acc < settings.max_samples && k < settings.max_trials) {
    ++k;
    for (int j = 0; j < np; ++j) {
      optimise::shuffle(pool);
      const double u = pool[trial_pool_index - 1];
      q[j] = fit.pbest[j] * (1.0 + settings.eps_samp * (2.0 * u - 1.0));
      optimise::pbounds1(q[j], fit.plower[j], fit.pupper[j], algebraic_fold);
    }
    const double s = objective(q);
    if (s <= threshold) {  // NaN is never accepted
      ++n_acc;
      store.insert(store.end(), q.begin(), q.end());
      for (int j = 0; j < np; ++j)
        result.mean[j] += (q[j] - result.mean[j]) / n_acc;
    }
  }

  if (n_acc >= settings.min_samples) {
    result.std_error.assign(np, 0.0);
    for (int j = 0; j < np; ++j) {
      double v = 0.0;
      for (int s = 0; s < n_acc; ++s) {
        const double d = store[static_cast<std::size_t>(s) * np + j] - result.mean[j];
        v += d * d;
      }
      v = std::max(v / (n_acc - 1), 0.0);
      result.std_error[j] = std::max(std::sqrt(v), settings.error_floor);
    }
  }
  return result;
}

}  // namespace

UncertaintyResult estimate_uncertainty(textio::Console& console, models::FitState& fit,
                                       const Objective& objective,
                                       const SamplingSettings& settings) {
  const int n = fit.npoints;
  const int np = fit.np;
  const std::span<const double> y(fit.y1.data(), static_cast<std::size_t>(n));
  const std::span<const double> best(fit.pbest.data(), static_cast<std::size_t>(np));

  UncertaintyResult result;
  // The F test needs n - p > 0 degrees of freedom.
  if (n <= np) {
    write_heading(console, false);
    console.write("(A,I0,A)", "  Too few observations for an uncertainty estimate: at least ",
                  np + 1, " are needed.");
    return result;
  }
  // The sampling's objective is the fit's: weighted where the fit is.
  const bool weighted = !fit.weights.empty();
  const double ssq_best = weighted ? fit.wssq0 : fit.ssq0;
  result.criteria = information_criteria(
      n, np, ssq_best, y,
      weighted ? std::span<const double>(fit.weights.data(), static_cast<std::size_t>(n))
               : std::span<const double>());

  double relax =
      (static_cast<double>(np) / static_cast<double>(n - np)) *
      mod_fstat::f_critical(settings.alpha, static_cast<double>(np), static_cast<double>(n - np));
  for (int pass = 1; pass <= 2; ++pass) {
    const bool rerun = pass == 2;
    if (rerun)
      relax = 10.0 * relax;
    const double threshold = ssq_best * (1.0 + relax);

    write_heading(console, rerun);
    console.write("(A,ES12.4)", "  Best-fit Unweighted SSQ0          = ", fit.ssq0);
    if (weighted)
      console.write("(A,ES12.4)", "  Best-fit weighted SSQ             = ", fit.wssq0);
    console.write("(A,ES12.4)", "  Acceptance threshold   = ", threshold);
    console.write("(A,F5.1,A)", "  Relaxation (SSQ_RELAX) = ", 100.0 * relax,
                  " % above best-fit SSQ");
    console.write("(A,F5.1,A)", "  Perturbation (EPS_SAMP)= +/-", 100.0 * settings.eps_samp,
                  " % of best-fit parameters");
    console.write("(A,I6)", "  Max samples to collect = ", settings.max_samples);
    console.list();

    write_information_criteria(console, *result.criteria);

    const PassResult r = sample(fit, objective, settings, threshold);
    result.rerun = rerun;
    result.relax = relax;
    result.threshold = threshold;
    result.accepted = r.accepted;
    result.trials = r.trials;

    if (r.accepted < settings.min_samples) {
      console.list();
      console.write("(A)", "  WARNING: fewer than 3 samples collected.");
      if (!rerun)
        console.write("(A)", "  Increasing SSQ_RELAX x10 and reanalyzing...");
      console.list();
      console.write("(A)", "  Parameter estimates only");
      console.write("(A)", rule25);
      console.write("(2X,A3,5A17)", "Par", "Best-fit");
      console.write("(A)", rule25);
      for (int j = 0; j < np; ++j)
        console.write(row_format(best[j], j + 1), "P", j + 1, best[j]);
      console.write("(A)", rule91);
      console.write("(2X,A,I6,A,F5.1,A)", "N = ", r.accepted, " samples accepted within ",
                    100.0 * relax, " % of best-fit SSQ");
      continue;
    }

    const double t = t2t95(r.accepted - np);
    console.list();
    console.write("(A)", "  Parameter estimates with uncertainty");
    console.write("(A)", rule91);
    console.write("(2X,A3,5A17)", "Par", "Best-fit", "Sample mean", "Std error", "CV %",
                  "95% CI (+/-)");
    console.write("(A)", rule91);
    for (int j = 0; j < np; ++j) {
      const double s = r.std_error[j];
      const ParameterUncertainty row{best[j], r.mean[j], s, 100.0 * s / best[j], t * s};
      console.write(row_format(row.best, j + 1), "P", j + 1, row.best, row.mean, row.std_error,
                    row.cv, row.half_width);
      result.rows.push_back(row);
    }
    console.write("(A)", rule91);
    console.write("(2X,A,I6,A,F5.1,A, 1X,A,1X,I6,1X,A)", "N = ", r.accepted,
                  " samples accepted within ", 100.0 * relax, " % of best-fit SSQ", "from",
                  r.trials, "trials");
    console.list();
    console.write("(2X,A)", "INTERPRETATION:");
    console.write("(2X,A)", "Std.Error = marginal std deviation of the parameter");
    console.write("(7X,A,F4.1,A)", "       sample within SSQ*(1+", relax, ") shell.");
    console.write("(2X,A,F5.2,A)", "95% CI    = Best-fit +/- ", t, " * Std.Error");
    return result;
  }
  return result;
}

}  // namespace quillon::report
