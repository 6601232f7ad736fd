// One model fitted to several data sets at once, some parameters shared by every set
// and the others one per set, and the test of that against the sets' separate fits.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/standard_analysis.h"
#include "file_analysis/fit_file.h"
#include "models/fit_state.h"
#include "models/user_equation.h"
#include "report/criteria.h"

namespace quillon::file_analysis {

// One data set: its separate fit (fitted) and how the outputs name it.
struct GlobalSet {
  std::string label;  // "treated": a table's set, else the file's stem
  std::string file;   // the input as the tables name it
  const FileFit* fit = nullptr;
  models::FitState state;  // the separate fit's, kept from before its outputs freed it
};

// The shared fit against the separate ones: the extra sum of squares F test and AICc,
// both of the polished sums of squares (weighted, with weights).
struct GlobalTest {
  int sets = 0, n = 0, np = 0, np_separate = 0;
  double ssq = 0.0, ssq_separate = 0.0;
  std::optional<double> aicc, aicc_separate;
  std::optional<double> f, f_p;  // empty without degrees of freedom on both sides
  int df1 = 0, df2 = 0;          // np_separate - np, n - np_separate
  std::string preferred;         // "shared" or "separate" by AICc; empty when not known
};

struct GlobalFit {
  bool fitted = false;
  std::string message;  // why not
  int model = 0;
  std::vector<GlobalSet> sets;
  std::vector<bool> shared;        // per model parameter
  std::vector<std::string> names;  // the model's parameters as the outputs name them
  // The fit's parameter for set s and model parameter k.
  int index(std::size_t s, int k) const {
    return state.global.sets[s].index[static_cast<std::size_t>(k)];
  }
  models::FitState state;  // the combined fit: every set's rows, every parameter
  std::string report;      // the search's account and the report, CR LF
  double ssq = 0.0;        // unweighted, at the search's best fit
  std::optional<report::InformationCriteria> criteria;
  analysis::StandardAnalysis standard;
  std::vector<double> plotted;  // polished where the analysis has one
  GlobalTest test;
  std::vector<std::string> warnings;
  double seconds = 0.0;
};

// The model's parameters named in `share` (as the summary names them, or P1..), or a
// message naming the one the model lacks.
// With an equation of the user's, by its parameters' names.
std::variant<std::vector<bool>, std::string> shared_parameters(
    int model, const std::vector<std::string>& share, const models::UserEquation& equation = {});

// The global fit of the sets, whose separate fits are all fitted and of one model.
GlobalFit global_fit(std::vector<GlobalSet> sets, const std::vector<bool>& shared);

}  // namespace quillon::file_analysis
