// Model comparison on one data file: every candidate model of the file's group fitted
// as the interactive program fits it, then ranked by AICc, Akaike weights, the
// extra-sum-of-squares F test against the group's most general model, and each
// candidate's runs test.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/standard_analysis.h"
#include "models/fit_state.h"
#include "models/weighting.h"

namespace quillon::file_analysis {

struct Candidate {
  int model = 0;
  int np = 0;
  models::FitState state;       // prepared and fitted: the pictures draw its curve
  std::vector<double> plotted;  // its best fit, polished where the analysis has one
  double report_ssq = 0.0;      // the report's SSQ0, weighted where the fit is
  // As the report computes them, from the polished sum of squares (ssq()); absent
  // where not finite.
  std::optional<double> aic;
  std::optional<double> aicc;
  analysis::StandardAnalysis standard;  // the polished sum of squares, the runs test
  std::string report;                   // the report text
  // From the ranking:
  std::optional<double> delta;   // AICc (or AIC) above the smallest
  std::optional<double> weight;  // Akaike weight
  std::optional<double> f;       // against the general model (not for itself)
  std::optional<double> f_p;
  int df1 = 0;
  int df2 = 0;
  int rank = 0;  // 1 = preferred; 0 = not ranked (no AICc)

  double ssq() const { return standard.available ? standard.ssq : report_ssq; }
};

struct Comparison {
  int general = 0;                    // the group's most general model: 6, or 2
  bool by_aic = false;                // ranked by AIC: some AICc is not finite
  int n = 0;                          // observations
  std::vector<Candidate> candidates;  // in model order
  std::string verdict;
  std::vector<std::string> cautions;
  // Of every candidate's squares: the sums, criteria and tests are then weighted.
  models::Weighting weighting = models::Weighting::none;
};

// The imported (unprepared) state of a file as if its data file named `model`, a
// model of its group: starts and bounds mapped through the nesting of the models.
models::FitState candidate_state(const models::FitState& imported, int model);

// Candidates in model order; `general` the group's most general model.
Comparison rank_candidates(std::vector<Candidate> candidates, int general, int n);

}  // namespace quillon::file_analysis
