#include "file_analysis/fit_file.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <variant>

#include "analysis/lack_of_fit.h"
#include "analysis/standard_analysis.h"
#include "data_import/data_import.h"
#include "data_import/table_reader.h"
#include "data_import/table_state.h"
#include "file_analysis/compare.h"
#include "file_analysis/derived.h"
#include "file_analysis/warnings.h"
#include "models/catalogue.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "models/weighting.h"
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

// The weights of a prepared fit's observations, or why they cannot be had.
std::variant<std::vector<double>, std::string> weights_of(const models::FitState& fit,
                                                          models::Weighting weighting) {
  const auto n = static_cast<std::size_t>(fit.npoints);
  return models::observation_weights(
      weighting, std::span(fit.x1).first(n),
      fit.nx >= 2 ? std::span(fit.x2).first(n) : std::span<const double>(),
      std::span(fit.y1).first(n));
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
      c.report_ssq = own.wssq;
      c.standard = *own.standard;
      c.report = own.report;
      c.state = own.state;
      c.plotted = own.plotted;
    } else {
      c.state = candidate_state(imported, model);
      data_import::prepare_data(import_console, c.state);
      // The file's own observations: their weights were had for its own fit.
      c.state.weights = std::get<std::vector<double>>(weights_of(c.state, own.weighting));
      FittedModel fitted = fit_prepared(c.state, false);
      c.np = c.state.np;
      c.report_ssq = fitted.account.wssq0;
      c.plotted = plotted(fitted.standard, fitted.search.pbest);
      c.standard = std::move(fitted.standard);
      c.report = std::move(fitted.report);
    }
    // Ranked on the polished sums, as the F test is: a search that stopped short would
    // otherwise rank against the test.
    const report::InformationCriteria ic =
        report::information_criteria(c.state.npoints, c.np, c.ssq(), c.state.y1, c.state.weights);
    const auto finite = [](double v) { return std::isfinite(v) ? std::optional(v) : std::nullopt; };
    c.aic = c.state.npoints > c.np ? finite(ic.aic) : std::nullopt;
    // AIC needs residual degrees of freedom, and AICc's correction n > np + 1; below,
    // they are finite but say nothing.
    c.aicc = c.state.npoints > c.np + 1 ? finite(ic.aicc) : std::nullopt;
    candidates.push_back(std::move(c));
  }
  Comparison ranked =
      rank_candidates(std::move(candidates), models::find_model(own.model)->general, own.n);
  ranked.weighting = own.weighting;
  return ranked;
}

}  // namespace

bool is_table(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  for (char& c : extension)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".csv" || extension == ".tsv" || extension == ".txt";
}

namespace {

// A table larger than this is no lab's table (a fit takes at most max_points
// observations): refused before it is read whole, since reading takes some 50 times
// the file's size in memory.
constexpr std::uintmax_t largest_table = 8u << 20;

struct Imported {
  std::optional<models::FitState> state;
  std::string message;  // why not
  data_import::Units units;
  std::vector<std::string> data_warnings;
  bool table = false;
};

// The table read, or why not.
std::variant<data_import::Table, std::string> read_table_file(const std::filesystem::path& file,
                                                              const FitOptions& options) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec)
    return "The table cannot be read: " + ec.message() + ".";
  if (size > largest_table) {
    return "The table holds " + std::to_string(size >> 20) +
           " MB: tables of up to 8 MB are read (a fit takes at most " +
           std::to_string(models::max_points) + " observations).";
  }
  std::ifstream in(file, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(text.data(), static_cast<std::streamsize>(size)))
    return std::string("The table cannot be read.");
  return data_import::read_table(text, options.table);
}

Imported import_table(const std::filesystem::path& file, const FitOptions& options) {
  Imported result;
  result.table = true;
  auto read = read_table_file(file, options);
  if (auto* why = std::get_if<std::string>(&read)) {
    result.message = std::move(*why);
    return result;
  }
  data_import::Table& table = std::get<data_import::Table>(read);
  if (!options.set.empty()) {
    const auto at = std::find(table.sets.begin(), table.sets.end(), options.set);
    if (at == table.sets.end()) {
      result.message = "The table has no data set " + options.set + ".";
      return result;
    }
    table = data_import::table_set(table, static_cast<std::size_t>(at - table.sets.begin()));
  }
  result.units = {table.x1_unit, table.x2_unit, table.y_unit,
                  table.x1_name, table.x2_name, table.y_name};
  result.data_warnings = std::move(table.warnings);
  auto state = data_import::table_state(table, options.overrides, options.equation);
  if (auto* why = std::get_if<std::string>(&state)) {
    result.message = std::move(*why);
    if (!result.message.empty())
      result.message[0] =
          static_cast<char>(std::toupper(static_cast<unsigned char>(result.message[0])));
    return result;
  }
  result.state = std::move(std::get<models::FitState>(state));
  return result;
}

Imported import_data_file(const std::filesystem::path& file, textio::Console& console) {
  Imported result;
  data_import::ImportResult imported = data_import::data_import(console, file);
  if (const auto* refused = std::get_if<data_import::Rejection>(&imported)) {
    result.message = one_line(refused->message);
    return result;
  }
  result.state = std::move(std::get<models::FitState>(imported));
  result.units = result.state->units;  // from the file's unit remarks
  append(result.data_warnings, extra_value_warnings(*result.state));
  append(result.data_warnings, unread_line_warnings(*result.state));
  return result;
}

std::string joined(const std::vector<std::string>& notes) {
  std::string text;
  for (const std::string& note : notes)
    text += (text.empty() ? "" : "; ") + note;
  return text;
}

}  // namespace

std::vector<std::string> table_sets(const std::filesystem::path& file, const FitOptions& options) {
  if (!is_table(file))
    return {};
  auto read = read_table_file(file, options);
  auto* table = std::get_if<data_import::Table>(&read);
  // One label is one data set: the table is fitted whole, as before it had a set column.
  if (table == nullptr || table->sets.size() < 2)
    return {};
  return std::move(table->sets);
}

int input_model(const std::filesystem::path& file, const FitOptions& options) {
  std::istringstream no_answers;
  std::ostringstream ignored;
  textio::Console console(no_answers, ignored);
  const Imported imported =
      is_table(file) ? import_table(file, options) : import_data_file(file, console);
  return imported.state ? imported.state->model : 0;
}

FileFit fit_file(const std::filesystem::path& file, const FitOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  FileFit result;
  result.weighting = options.weighting;
  std::istringstream no_answers;
  // The import's account (path lines, reasons) is not part of the report.
  std::ostringstream import_account;
  textio::Console import_console(no_answers, import_account);
  Imported imported =
      is_table(file) ? import_table(file, options) : import_data_file(file, import_console);
  result.units = imported.units;
  for (const auto& [unit, given] : {std::pair{&result.units.x1, &options.units.x1},
                                    std::pair{&result.units.x2, &options.units.x2},
                                    std::pair{&result.units.y, &options.units.y}}) {
    if (!given->empty())
      *unit = *given;
  }
  if (!imported.state) {
    result.message = std::move(imported.message);
    return result;
  }
  models::FitState& fit = *imported.state;
  fit.units = result.units;
  // A data file names one of the interactive program's models; the others have none.
  if (imported.table && options.converted && fit.model <= models::data_file_models)
    result.converted = data_import::dat_text(fit, file.filename().string(), result.units);
  const bool compare = options.compare;
  const models::FitState unprepared = compare ? fit : models::FitState{};
  result.model = fit.model;
  result.model_name = textio::trimmed(fit.model_name);
  result.n = fit.npoints;
  result.np = fit.np;
  result.data_warnings = estimate_warnings(fit);
  append(result.data_warnings, std::move(imported.data_warnings));
  if (options.strict && !result.data_warnings.empty()) {
    result.message = "Data warning (--strict): " + joined(result.data_warnings) + ".";
    return result;
  }
  const std::size_t before_prepare = import_account.str().size();
  if (!data_import::prepare_data(import_console, fit)) {
    result.message = one_line(import_account.str().substr(before_prepare));
    return result;
  }
  // A model whose constant is the enzyme concentration reads it in place of C1's 1.
  if (models::find_model(fit.model)->enzyme_constant) {
    if (!options.enzyme) {
      result.message = "The " + std::string(models::find_model(fit.model)->label) +
                       " model needs the enzyme concentration: give --enzyme CONC.";
      return result;
    }
    fit.c.at(0) = *options.enzyme;
  }
  auto weights = weights_of(fit, options.weighting);
  if (auto* why = std::get_if<std::string>(&weights)) {
    result.message = std::move(*why);
    return result;
  }
  fit.weights = std::move(std::get<std::vector<double>>(weights));

  FittedModel own = fit_prepared(fit, true);
  const optimise::SearchOutcome& search = own.search;
  const report::ReportResult& account = own.account;
  if (!std::isfinite(account.ssq0) || !std::isfinite(search.best)) {
    result.message =
        "The sums of squares overflow: the rates or the model's values are beyond the range "
        "of double precision (rescale the data).";
    result.warnings.clear();
    result.data_warnings.clear();
    return result;
  }

  result.fitted = true;
  result.ssq = account.ssq0;
  result.wssq = account.wssq0;
  result.criteria = account.uncertainty.criteria;
  result.samples = account.uncertainty.accepted;
  result.runs = search.runs;
  for (int k = 0; k < search.runs; ++k)
    result.passes += search.run[static_cast<std::size_t>(k)].passes;
  result.best = search.pbest;
  for (int k = 0; k < fit.np; ++k)
    result.names.push_back(models::fit_parameter_name(fit, k));
  result.uncertainty = account.uncertainty.rows;
  append(result.warnings, result_warnings(fit, result.uncertainty));
  result.report = std::move(own.report);
  result.standard = std::move(own.standard);
  append(result.warnings, result.standard->warnings);
  result.review_warnings = beyond_data_warnings(fit, *result.standard);
  result.plotted = plotted(*result.standard, result.best);
  result.derived =
      derived_constants(fit.model, *result.standard, options.enzyme, options.substrate, options.km);
  result.derived_asked = options.enzyme || (options.substrate && options.km);
  const auto n = static_cast<std::size_t>(fit.npoints);
  result.replicates = analysis::lack_of_fit(
      std::span(fit.x1).first(n), fit.nx >= 2 ? std::span(fit.x2).first(n) : std::span<double>(),
      std::span(fit.y1).first(n), result.standard->available ? result.standard->ssq : result.ssq,
      fit.np);
  if (!fit.weights.empty()) {
    result.replicates->f.reset();
    result.replicates->p.reset();
  }
  result.state = std::move(fit);
  if (compare) {
    result.comparison = compare_models(result, unprepared, import_console);
    append(result.review_warnings, comparison_warnings(result.model, *result.comparison));
  }
  result.warnings.insert(result.warnings.end(), result.review_warnings.begin(),
                         result.review_warnings.end());
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace quillon::file_analysis
