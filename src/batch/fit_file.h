// One data file through the whole fit, as the interactive program fits it, with
// what the summary table needs kept as numbers.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/standard_analysis.h"
#include "batch/compare.h"
#include "report/criteria.h"
#include "report/uncertainty.h"

namespace quillon::batch {

struct FileResult {
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
  std::string stats;                                   // its table, CR LF
  std::optional<Comparison> comparison;                // with --compare
  std::string compare_text;                            // its table, CR LF
  std::string svg, compare_svg;                        // the pictures; compare_svg with --compare
};

// With `compare`, also every candidate model of the file's group, ranked.
FileResult fit_file(const std::filesystem::path& file, bool compare = false);

}  // namespace quillon::batch
