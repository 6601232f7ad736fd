// Parameter uncertainty by random sampling around the best fit: trial vectors
// within +/-25 % of the best-fit values are kept while their sum of squares stays
// under an F-test threshold, and the kept ones give mean, spread and confidence.
#pragma once

#include "dialogue/console.h"
#include "dialogue/fit_state.h"
#include "report/fit_report.h"

namespace quillon::report {

struct SamplingSettings {
  double eps_samp = 0.25;  // half-width of the relative perturbation
  int max_samples = 2000;  // accepted vectors to collect
  int max_trials = 40000;  // trial vectors per pass
  int min_samples = 3;     // needed for the statistics
  double error_floor = 1.0e-06;
  double alpha = 0.05;  // significance level of the F test
};

// Prints the whole section, rerunning once at ten times the relaxation when fewer
// than three trials pass. Reads fit.pbest, plower, pupper, y1, ssq0; continues
// fit.rng; leaves fit.ycalc at the last trial.
void estimate_uncertainty(Console& console, FitState& fit, const Objective& objective,
                          const SamplingSettings& settings = {});

}  // namespace quillon::report
