#include "batch/fit_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <variant>

#include "analysis/standard_analysis.h"
#include "batch/compare.h"
#include "batch/plot.h"
#include "batch/stats_text.h"
#include "batch/warnings.h"
#include "data_import/data_import.h"
#include "models/catalogue.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "optimise/tunnelling_search.h"
#include "report/fit_report.h"
#include "textio/console.h"
#include "textio/platform.h"
#include "textio/text_utils.h"

namespace quillon::batch {
namespace {

// The lines of a message as one line of text: each without its line end and the
// blanks around it, the non-empty ones joined by a blank.
std::string one_line(std::string_view text) {
  std::string joined;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
      line.remove_suffix(1);
    while (!line.empty() && line.front() == ' ')
      line.remove_prefix(1);
    if (!line.empty())
      joined.append(joined.empty() ? "" : " ").append(line);
  }
  return joined;
}

void append(std::vector<std::string>& to, std::vector<std::string> notes) {
  to.insert(to.end(), std::make_move_iterator(notes.begin()), std::make_move_iterator(notes.end()));
}

struct FittedModel {
  std::string report;
  optimise::SearchOutcome search;
  report::ReportResult account;
  analysis::StandardAnalysis standard;
};

// Model block, search, report and standard analysis of a prepared fit, as the
// interactive program fits it.
FittedModel fit_prepared(models::FitState& fit, bool profiles) {
  std::istringstream no_answers;
  std::ostringstream report;
  textio::Console console(no_answers, report);
  models::ModelEvaluator evaluator(console);
  models::print_model_block(console, fit, models::set_up_model(fit, evaluator));
  FittedModel fitted;
  fitted.search = optimise::tunnelling_search(console, fit, evaluator);
  fitted.account = report::fit_report(console, fit, evaluator);
  fitted.report = std::move(report).str();
  fitted.standard = analysis::standard_analysis(fit, profiles);
  return fitted;
}

// The parameters drawn: the polished best fit where the analysis has one.
const std::vector<double>& plotted(const analysis::StandardAnalysis& standard,
                                   const std::vector<double>& search_best) {
  return standard.best.size() == search_best.size() ? standard.best : search_best;
}

}  // namespace

FileResult fit_file(const std::filesystem::path& file, bool compare) {
  const auto start = std::chrono::steady_clock::now();
  FileResult result;
  std::istringstream no_answers;
  // The import's account (path lines, reasons) is not part of the report.
  std::ostringstream import_account;
  textio::Console import_console(no_answers, import_account);
  data_import::ImportResult imported = data_import::data_import(import_console, file);
  if (const auto* refused = std::get_if<data_import::Rejection>(&imported)) {
    result.message = one_line(refused->message);
    return result;
  }
  models::FitState& fit = std::get<models::FitState>(imported);
  const models::FitState imported_copy = compare ? fit : models::FitState{};
  result.model = fit.model;
  result.model_name = textio::trimmed(fit.model_name);
  result.n = fit.npoints;
  result.np = fit.np;
  const std::size_t before_prepare = import_account.str().size();
  if (!data_import::prepare_data(import_console, fit)) {
    result.message = one_line(import_account.str().substr(before_prepare));
    return result;
  }
  result.warnings = estimate_warnings(fit);
  {
    std::ifstream in(file, std::ios::binary);
    append(result.warnings, extra_value_warnings(fit, in));
  }

  models::FitState unprepared_copy;  // for the candidates of a comparison
  if (compare)
    unprepared_copy = imported_copy;
  FittedModel own = fit_prepared(fit, true);
  const optimise::SearchOutcome& search = own.search;
  const report::ReportResult& account = own.account;

  result.fitted = true;
  result.ssq = account.ssq0;
  result.criteria = account.uncertainty.criteria;
  result.samples = account.uncertainty.accepted;
  result.runs = search.runs;
  for (int k = 0; k < search.runs; ++k)
    result.passes += search.run[static_cast<std::size_t>(k)].passes;
  result.best = search.pbest;
  result.uncertainty = account.uncertainty.rows;
  append(result.warnings, result_warnings(fit, result.uncertainty));
  result.report = std::move(own.report);

  result.standard = std::move(own.standard);
  append(result.warnings, result.standard->warnings);
  std::vector<std::string> names;
  const models::Model* model = models::find_model(fit.model);
  for (int k = 0; k < fit.np; ++k)
    names.emplace_back(model->parameters[static_cast<std::size_t>(k)]);
  const std::string shown = textio::platform::narrow_name(file.filename());
  result.stats = stats_text(shown, result.model_name, names, fit.npoints, *result.standard,
                            result.uncertainty);
  const std::vector<double>& best = plotted(*result.standard, result.best);
  result.svg = fit_plot(shown + ": " + result.model_name, fit, best,
                        parameter_caption(names, best, &*result.standard));
  if (compare) {
    std::vector<Candidate> candidates;
    std::vector<PlotCandidate> curves;  // in the candidates' order
    for (const int model : candidate_models(fit.model)) {
      Candidate c;
      c.model = model;
      if (model == fit.model) {
        c.np = fit.np;
        c.report_ssq = result.ssq;
        c.aicc = result.criteria ? std::optional(result.criteria->aicc) : std::nullopt;
        c.standard = *result.standard;
        c.report = result.report;
        curves.push_back({{}, fit, best});
      } else {
        models::FitState other = candidate_state(unprepared_copy, model);
        data_import::prepare_data(import_console, other);
        FittedModel fitted = fit_prepared(other, false);
        curves.push_back({{}, other, plotted(fitted.standard, fitted.search.pbest)});
        c.np = other.np;
        c.report_ssq = fitted.account.ssq0;
        c.aicc = fitted.account.uncertainty.criteria
                     ? std::optional(fitted.account.uncertainty.criteria->aicc)
                     : std::nullopt;
        c.standard = std::move(fitted.standard);
        c.report = std::move(fitted.report);
      }
      candidates.push_back(std::move(c));
    }
    result.comparison = rank_candidates(std::move(candidates), fit.npoints);
    for (std::size_t k = 0; k < curves.size(); ++k) {
      const Candidate& c = result.comparison->candidates[k];
      char delta[32] = "n.d.";
      if (c.delta)
        std::snprintf(delta, sizeof delta, "%.1f", *c.delta);
      curves[k].label = short_name(c.model) +
                        ", \xCE\x94"
                        "AICc " +
                        delta;
    }
    result.compare_svg = compare_plot(shown + ": model comparison", fit, curves);
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace quillon::batch
