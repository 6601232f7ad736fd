// One data file through the whole fit, as the interactive program fits it, with its
// results kept as numbers (and the report's text, which is the fit's own account).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/lack_of_fit.h"
#include "analysis/standard_analysis.h"
#include "data_import/table_reader.h"
#include "data_import/table_state.h"
#include "file_analysis/compare.h"
#include "file_analysis/derived.h"
#include "models/fit_state.h"
#include "models/user_equation.h"
#include "models/weighting.h"
#include "report/criteria.h"
#include "report/uncertainty.h"

namespace quillon::file_analysis {

// How an input is read and fitted beyond what the file says.
struct FitOptions {
  bool compare = false;              // also every candidate model of the file's group, ranked
  data_import::TableOptions table;   // columns, decimal comma, model: tables only
  data_import::Overrides overrides;  // starts and bounds: tables only
  data_import::Units units;          // --x-unit, --x2-unit, --y-unit: over the table's own
  bool strict = false;               // a data warning rejects the file
  bool converted = false;            // keep a table's equivalent data file
  models::Weighting weighting = models::Weighting::none;  // of the objective's squares
  // A table with a set column: the set fitted (its label); empty: every row at once.
  std::string set;
  models::UserEquation equation;  // --equation: tables are fitted with it
  // Of the assay, each positive: the total enzyme concentration (in the rate's
  // concentration unit), and the substrate concentration with the substrate's Km
  // (given together) for the Cheng-Prusoff Ki.
  std::optional<double> enzyme, substrate, km;
};

// A table by its extension (.csv, .tsv, .txt, any case); anything else is a data file.
bool is_table(const std::filesystem::path& file);

struct FileFit {
  bool fitted = false;
  std::string message;  // why the file was refused: the import's own words
  int model = 0;
  std::string model_name;
  int n = 0;         // observations
  int np = 0;        // parameters
  double ssq = 0.0;  // unweighted sum of squares at the best fit
  // The sum the fit minimised, weighted as `weighting` says (ssq when unweighted): the
  // criteria, the sampling and the standard analysis are of it.
  double wssq = 0.0;
  models::Weighting weighting = models::Weighting::none;
  std::optional<report::InformationCriteria> criteria;
  int samples = 0;  // kept by the last uncertainty pass
  int runs = 0;
  int passes = 0;        // of all runs
  double seconds = 0.0;  // the fit's own wall time
  // Signs that the data may have been misread (extra numbers, unread lines, missing
  // cells, starts outside their bounds), then the fit's own notes.
  std::vector<std::string> data_warnings;
  std::vector<std::string> warnings;
  // Those of `warnings` beyond the standard analysis's own (a constant the data do not
  // reach, a better model): the statistics list them after the analysis's notes.
  std::vector<std::string> review_warnings;
  data_import::Units units;  // from the table's header or the options
  // Of a fitted file; with weights, without the test (the weights come from the
  // rates themselves, which the test's F distribution does not allow for).
  std::optional<analysis::LackOfFit> replicates;
  std::string converted;           // a table's equivalent data file, when asked for
  std::vector<double> best;        // best-fit parameters
  std::vector<std::string> names;  // the parameters as the outputs name them ("IC50")
  std::vector<report::ParameterUncertainty> uncertainty;  // empty when too few samples
  std::string report;  // model block to the end of the uncertainty section, CR LF
  std::optional<analysis::StandardAnalysis> standard;  // of a fitted file
  std::optional<Comparison> comparison;                // with --compare
  DerivedConstants derived;                            // of a fitted file
  // The assay's constants were given: the statistics list the derived constants then
  // only, so that alpha, which needs none, leaves other runs' files as they were.
  bool derived_asked = false;
  models::FitState state;       // prepared and fitted: the pictures draw its curve
  std::vector<double> plotted;  // the best fit drawn: polished where the analysis has one
};

FileFit fit_file(const std::filesystem::path& file, const FitOptions& options);

// The data sets of a table with a set column holding two labels or more, by label in
// order; empty for any other input (or a table that cannot be read: its fit says why).
std::vector<std::string> table_sets(const std::filesystem::path& file, const FitOptions& options);

// The model an input would be fitted with, or 0 when it cannot be read (its fit says why).
int input_model(const std::filesystem::path& file, const FitOptions& options);
inline FileFit fit_file(const std::filesystem::path& file, bool compare = false) {
  FitOptions options;
  options.compare = compare;
  return fit_file(file, options);
}

}  // namespace quillon::file_analysis
