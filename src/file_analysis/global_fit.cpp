#include "file_analysis/global_fit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <sstream>

#include "models/catalogue.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "numerics/distributions.h"
#include "optimise/tunnelling_search.h"
#include "report/fit_report.h"
#include "textio/console.h"
#include "textio/text_utils.h"

namespace quillon::file_analysis {
namespace {

std::optional<double> finite(double v) {
  return std::isfinite(v) ? std::optional(v) : std::nullopt;
}

// The sets' observations one after another, each in its own fit's order (by X1), and the
// fit's parameters: the model's for the first set, then each later set's unshared ones.
// A shared parameter starts at the first set's start, within bounds that hold every set's.
models::FitState combined_state(const std::vector<GlobalSet>& sets, const std::vector<bool>& shared,
                                const std::vector<std::string>& names) {
  const models::FitState& first = sets.front().state;
  models::FitState s;
  s.model = first.model;
  s.model_name = first.model_name;
  s.nx = first.nx;
  s.nc = first.nc;
  s.c = first.c;
  s.units = first.units;
  s.global.np = first.np;
  s.pinit.clear();
  s.plower.clear();
  s.pupper.clear();
  const bool weighted = !first.weights.empty();
  for (std::size_t set = 0; set < sets.size(); ++set) {
    const models::FitState& f = sets[set].state;
    const auto n = static_cast<std::size_t>(f.npoints);
    models::FitState::DataSet rows;
    rows.begin = s.y1.size();
    rows.end = rows.begin + n;
    const auto take = [n](std::vector<double>& to, const std::vector<double>& from) {
      to.insert(to.end(), from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n));
    };
    take(s.x1, f.x1);
    take(s.x2, f.x2);
    take(s.x3, f.x3);
    take(s.y1, f.y1);
    if (weighted)
      take(s.weights, f.weights);
    for (int k = 0; k < f.np; ++k) {
      const auto u = static_cast<std::size_t>(k);
      if (set > 0 && shared[u]) {
        const auto at = static_cast<std::size_t>(s.global.sets.front().index[u]);
        rows.index[u] = static_cast<int>(at);
        s.plower[at] = std::min(s.plower[at], f.plower[u]);
        s.pupper[at] = std::max(s.pupper[at], f.pupper[u]);
        continue;
      }
      rows.index[u] = static_cast<int>(s.pinit.size());
      s.pinit.push_back(f.pinit[u]);
      s.plower.push_back(f.plower[u]);
      s.pupper.push_back(f.pupper[u]);
      std::string name = names[u];
      if (!shared[u])
        name.append(" [").append(sets[set].label).append("]");
      s.global.names.push_back(std::move(name));
    }
    s.global.sets.push_back(rows);
  }
  s.np = static_cast<int>(s.pinit.size());
  s.npoints = static_cast<int>(s.y1.size());
  s.var = s.pinit;
  return s;
}

// Which set is which, and which parameter of the fit is which, before the model block.
void print_layout(textio::Console& console, const GlobalFit& g) {
  console.list();
  console.list("GLOBAL FIT OF ", std::to_string(g.sets.size()), " DATA SETS");
  for (std::size_t s = 0; s < g.sets.size(); ++s) {
    const models::FitState::DataSet& rows = g.state.global.sets[s];
    console.list("  Set ", std::to_string(s + 1), ": ", g.sets[s].label, " (", g.sets[s].file,
                 "), ", std::to_string(rows.end - rows.begin), " observations");
  }
  for (int k = 0; k < g.state.np; ++k)
    console.list("  P", std::to_string(k + 1), " = ",
                 g.state.global.names[static_cast<std::size_t>(k)]);
}

GlobalTest shared_against_separate(const GlobalFit& g) {
  GlobalTest t;
  t.sets = static_cast<int>(g.sets.size());
  t.n = g.state.npoints;
  t.np = g.state.np;
  t.ssq = g.standard.available ? g.standard.ssq : g.state.wssq0;
  for (const GlobalSet& set : g.sets) {
    const FileFit& f = *set.fit;
    t.np_separate += f.np;
    t.ssq_separate += f.standard && f.standard->available ? f.standard->ssq : f.wssq;
  }
  const auto n = static_cast<std::size_t>(t.n);
  const std::span<const double> y(g.state.y1.data(), n);
  const std::span<const double> w(g.state.weights);
  if (t.n > t.np + 1)
    t.aicc = finite(report::information_criteria(t.n, t.np, t.ssq, y, w).aicc);
  if (t.n > t.np_separate + 1)
    t.aicc_separate =
        finite(report::information_criteria(t.n, t.np_separate, t.ssq_separate, y, w).aicc);
  t.df1 = t.np_separate - t.np;
  t.df2 = t.n - t.np_separate;
  if (t.df1 > 0 && t.df2 > 0 && t.ssq_separate > 0.0) {
    // A shared fit cannot be better than the separate ones but by a search that stopped
    // short: the extra sum of squares is then taken as none.
    const double extra = std::max(t.ssq - t.ssq_separate, 0.0);
    t.f = finite((extra / t.df1) / (t.ssq_separate / t.df2));
    if (t.f)
      t.f_p = numerics::f_upper_tail(*t.f, t.df1, t.df2);
  }
  if (t.aicc && t.aicc_separate)
    t.preferred = *t.aicc <= *t.aicc_separate ? "shared" : "separate";
  return t;
}

}  // namespace

std::variant<std::vector<bool>, std::string> shared_parameters(
    int model, const std::vector<std::string>& share, const models::UserEquation& equation) {
  const models::Model* m = models::find_model(model);
  if (m == nullptr)
    return std::string("no model");
  const int np = equation.empty() ? m->np : static_cast<int>(equation.names.size());
  const auto name_of = [&](int k) {
    return equation.empty() ? models::parameter_name(model, k)
                            : equation.names[static_cast<std::size_t>(k)];
  };
  std::vector<bool> shared(static_cast<std::size_t>(np), false);
  for (const std::string& name : share) {
    const int k = equation.empty() ? models::parameter_index(model, name)
                                   : models::parameter_index(equation, name);
    if (k < 0 || k >= np) {
      std::string list;
      for (int j = 0; j < np; ++j)
        list.append(j == 0 ? "" : ", ").append(name_of(j));
      return "the " + std::string(m->label) + " model has no parameter " + name +
             " to share (its parameters: " + list + ")";
    }
    shared[static_cast<std::size_t>(k)] = true;
  }
  return shared;
}

GlobalFit global_fit(std::vector<GlobalSet> sets, const std::vector<bool>& shared) {
  const auto start = std::chrono::steady_clock::now();
  GlobalFit g;
  g.sets = std::move(sets);
  g.shared = shared;
  for (const GlobalSet& set : g.sets) {
    if (!set.fit->fitted) {
      g.message = "The global fit needs every data set: " + set.file + " was not fitted.";
      return g;
    }
  }
  if (g.sets.size() < 2) {
    g.message = "A global fit needs two data sets or more.";
    return g;
  }
  g.model = g.sets.front().fit->model;
  // Named as the first set's fit names them (IC50 or EC50, an equation's own names).
  for (int k = 0; k < g.sets.front().state.np; ++k)
    g.names.push_back(models::fit_parameter_name(g.sets.front().state, k));
  g.state = combined_state(g.sets, shared, g.names);

  std::istringstream no_answers;
  std::ostringstream report;
  textio::Console console(no_answers, report);
  models::ModelEvaluator evaluator(console);
  // The equation is set up as for one set: the engine sees the model's parameters.
  models::FitState one = g.sets.front().state;
  const models::ModelSetup setup = models::set_up_model(one, evaluator);
  g.state.eq = one.eq;
  print_layout(console, g);
  models::print_model_block(console, g.state, setup);
  const optimise::SearchOutcome search = optimise::tunnelling_search(console, g.state, evaluator);
  const report::ReportResult account = report::fit_report(console, g.state, evaluator);
  g.report = std::move(report).str();
  if (!std::isfinite(account.ssq0) || !std::isfinite(search.best)) {
    g.message =
        "The sums of squares overflow: the rates or the model's values are beyond the "
        "range of double precision (rescale the data).";
    return g;
  }
  g.fitted = true;
  g.ssq = account.ssq0;
  g.criteria = account.uncertainty.criteria;
  g.standard = analysis::standard_analysis(g.state, true);
  g.warnings = g.standard.warnings;
  g.plotted = g.standard.best.size() == search.pbest.size() ? g.standard.best : search.pbest;
  g.test = shared_against_separate(g);
  g.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return g;
}

}  // namespace quillon::file_analysis
