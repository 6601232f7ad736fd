#include "file_analysis/fit_file.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <sstream>
#include <variant>

#include "analysis/standard_analysis.h"
#include "data_import/data_import.h"
#include "file_analysis/compare.h"
#include "file_analysis/warnings.h"
#include "models/catalogue.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "optimise/tunnelling_search.h"
#include "report/criteria.h"
#include "report/fit_report.h"
#include "textio/console.h"
#include "textio/text_utils.h"

namespace quillon::file_analysis {
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
std::vector<double> plotted(const analysis::StandardAnalysis& standard,
                            const std::vector<double>& search_best) {
  return standard.best.size() == search_best.size() ? standard.best : search_best;
}

// The candidates of the file's group, each fitted from the file's data with starts
// and bounds mapped from the file's; the file's own model is the fit already made.
Comparison compare_models(const FileFit& own, const models::FitState& imported,
                          textio::Console& import_console) {
  std::vector<Candidate> candidates;
  for (const int model : models::group_of(own.model)) {
    Candidate c;
    c.model = model;
    if (model == own.model) {
      c.np = own.np;
      c.report_ssq = own.ssq;
      c.standard = *own.standard;
      c.report = own.report;
      c.state = own.state;
      c.plotted = own.plotted;
    } else {
      c.state = candidate_state(imported, model);
      data_import::prepare_data(import_console, c.state);
      FittedModel fitted = fit_prepared(c.state, false);
      c.np = c.state.np;
      c.report_ssq = fitted.account.ssq0;
      c.plotted = plotted(fitted.standard, fitted.search.pbest);
      c.standard = std::move(fitted.standard);
      c.report = std::move(fitted.report);
    }
    // Ranked on the polished sums, as the F test is: a search that stopped short would
    // otherwise rank against the test.
    const report::InformationCriteria ic =
        report::information_criteria(c.state.npoints, c.np, c.ssq(), c.state.y1);
    const auto finite = [](double v) { return std::isfinite(v) ? std::optional(v) : std::nullopt; };
    c.aic = c.state.npoints > c.np ? finite(ic.aic) : std::nullopt;
    // AIC needs residual degrees of freedom, and AICc's correction n > np + 1; below,
    // they are finite but say nothing.
    c.aicc = c.state.npoints > c.np + 1 ? finite(ic.aicc) : std::nullopt;
    candidates.push_back(std::move(c));
  }
  return rank_candidates(std::move(candidates), models::find_model(own.model)->general, own.n);
}

}  // namespace

FileFit fit_file(const std::filesystem::path& file, bool compare) {
  const auto start = std::chrono::steady_clock::now();
  FileFit result;
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
  const models::FitState unprepared = compare ? fit : models::FitState{};
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
  append(result.warnings, extra_value_warnings(fit));

  FittedModel own = fit_prepared(fit, true);
  const optimise::SearchOutcome& search = own.search;
  const report::ReportResult& account = own.account;
  if (!std::isfinite(account.ssq0) || !std::isfinite(search.best)) {
    result.message =
        "The sums of squares overflow: the rates or the model's values are beyond the range "
        "of double precision (rescale the data).";
    result.warnings.clear();
    return result;
  }

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
  result.plotted = plotted(*result.standard, result.best);
  result.state = std::move(fit);
  if (compare)
    result.comparison = compare_models(result, unprepared, import_console);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace quillon::file_analysis
