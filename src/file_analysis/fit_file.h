// One data file through the whole fit, as the interactive program fits it, with its
// results kept as numbers (and the report's text, which is the fit's own account).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/standard_analysis.h"
#include "file_analysis/compare.h"
#include "models/fit_state.h"
#include "report/criteria.h"
#include "report/uncertainty.h"

namespace quillon::file_analysis {

struct FileFit {
  bool fitted = false;
  std::string message;  // why the file was refused: the import's own words
  int model = 0;
  std::string model_name;
  int n = 0;         // observations
  int np = 0;        // parameters
  double ssq = 0.0;  // unweighted sum of squares at the best fit
  std::optional<report::InformationCriteria> criteria;
  int samples = 0;  // kept by the last uncertainty pass
  int runs = 0;
  int passes = 0;        // of all runs
  double seconds = 0.0;  // the fit's own wall time
  std::vector<std::string> warnings;
  std::vector<double> best;                               // best-fit parameters
  std::vector<report::ParameterUncertainty> uncertainty;  // empty when too few samples
  std::string report;  // model block to the end of the uncertainty section, CR LF
  std::optional<analysis::StandardAnalysis> standard;  // of a fitted file
  std::optional<Comparison> comparison;                // with --compare
  models::FitState state;       // prepared and fitted: the pictures draw its curve
  std::vector<double> plotted;  // the best fit drawn: polished where the analysis has one
};

// With `compare`, also every candidate model of the file's group, ranked.
FileFit fit_file(const std::filesystem::path& file, bool compare = false);

}  // namespace quillon::file_analysis
