// Parameter uncertainty by random sampling around the best fit: trial vectors
// within +/-25 % of the best-fit values are kept while their sum of squares stays
// under an F-test threshold, and the kept ones give mean, spread and confidence.
#pragma once

#include <optional>
#include <vector>

#include "models/fit_state.h"
#include "report/criteria.h"
#include "textio/console.h"

namespace quillon::report {

struct SamplingSettings {
  double eps_samp = 0.25;  // half-width of the relative perturbation
  int max_samples = 2000;  // accepted vectors to collect
  int max_trials = 40000;  // trial vectors per pass
  int min_samples = 3;     // needed for the statistics
  double error_floor = 1.0e-06;
  double alpha = 0.05;  // significance level of the F test
};

// One parameter's row of the uncertainty table.
struct ParameterUncertainty {
  double best = 0.0;        // best-fit value
  double mean = 0.0;        // mean of the kept samples
  double std_error = 0.0;   // their standard deviation (floored at error_floor)
  double cv = 0.0;          // coefficient of variation, %
  double half_width = 0.0;  // 95 % confidence half-width
};

// What the section found; the numbers of its last pass.
struct UncertaintyResult {
  std::optional<InformationCriteria> criteria;  // absent when too few observations
  bool rerun = false;                           // the second pass, at ten times the relaxation, ran
  double relax = 0.0;                           // relative relaxation of the threshold
  double threshold = 0.0;                       // sum of squares a sample must not exceed
  int accepted = 0;                             // samples kept
  int trials = 0;                               // vectors drawn
  std::vector<ParameterUncertainty> rows;       // empty when fewer than min_samples were kept
};

// Prints the whole section, rerunning once at ten times the relaxation when fewer
// than three trials pass. Reads fit.pbest, plower, pupper, y1, ssq0 (with weights:
// weights and wssq0, which the threshold and the criteria then use); continues
// fit.rng; leaves fit.ycalc at the last trial.
UncertaintyResult estimate_uncertainty(textio::Console& console, models::FitState& fit,
                                       const Objective& objective,
                                       const SamplingSettings& settings = {});

}  // namespace quillon::report
