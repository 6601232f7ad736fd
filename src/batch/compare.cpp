#include "batch/compare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "batch/csv.h"
#include "data_import/data_import.h"
#include "models/catalogue.h"
#include "numerics/distributions.h"
#include "numerics/exact_math.h"
#include "textio/text_utils.h"

namespace quillon::batch {
namespace {

std::string format(const char* pattern, double v) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, v);
  return text;
}

std::string column(const std::string& text, std::size_t width) {
  return std::string(text.size() + 1 < width ? width - text.size() : 1, ' ') + text;
}

std::string optional_text(const std::optional<double>& v, const char* pattern) {
  return v ? format(pattern, *v) : std::string("-");
}

}  // namespace

std::string short_name(int model) {
  static constexpr const char* names[] = {
      "", "Michaelis-Menten", "Hill", "competitive", "noncompetitive", "uncompetitive", "mixed"};
  return std::string(names[model]) + " (" + std::to_string(model) + ")";
}

std::vector<int> candidate_models(int model) {
  if (model == 1 || model == 2)
    return {1, 2};
  return {3, 4, 5, 6};
}

models::FitState candidate_state(const models::FitState& imported, int model) {
  models::FitState s = imported;
  s.model = model;
  data_import::npar(model, s.model_name, s.np, s.nx, s.nc);
  const int from = imported.model;
  // Where the candidate's P3 and P4 come from in the file: its P3 or P4, or (-1)
  // Hill's neutral start.
  int p3 = 2;
  int p4 = 2;
  if (from == 6 && model == 5)
    p3 = 3;
  if (from == 1 && model == 2)
    p3 = -1;
  s.pinit = {};
  s.plower = {};
  s.pupper = {};
  for (int k = 0; k < s.np; ++k) {
    const auto u = static_cast<std::size_t>(k);
    const int source = k < 2 ? k : (k == 2 ? p3 : p4);
    if (source < 0) {
      s.pinit[u] = 1.0;
      s.plower[u] = 0.1;
      s.pupper[u] = 10.0;
    } else {
      const auto v = static_cast<std::size_t>(source);
      s.pinit[u] = imported.pinit[v];
      s.plower[u] = imported.plower[v];
      s.pupper[u] = imported.pupper[v];
    }
  }
  return s;
}

Comparison rank_candidates(std::vector<Candidate> candidates, int n) {
  Comparison c;
  c.n = n;
  c.general = candidates.size() == 2 ? 2 : 6;
  c.candidates = std::move(candidates);
  auto& all = c.candidates;

  const bool ranked = std::all_of(all.begin(), all.end(), [](const Candidate& x) {
    return x.aicc.has_value() && std::isfinite(*x.aicc);
  });
  if (ranked) {
    double least = HUGE_VAL;
    for (const Candidate& x : all)
      least = std::min(least, *x.aicc);
    double total = 0.0;
    for (Candidate& x : all) {
      x.delta = *x.aicc - least;
      total += numerics::exact_math::exp(-0.5 * *x.delta);
    }
    for (Candidate& x : all)
      x.weight = numerics::exact_math::exp(-0.5 * *x.delta) / total;
    std::vector<Candidate*> order;
    for (Candidate& x : all)
      order.push_back(&x);
    std::stable_sort(order.begin(), order.end(),
                     [](const Candidate* a, const Candidate* b) { return *a->aicc < *b->aicc; });
    for (std::size_t k = 0; k < order.size(); ++k)
      order[k]->rank = static_cast<int>(k) + 1;
  }

  const auto general = std::find_if(all.begin(), all.end(),
                                    [&](const Candidate& x) { return x.model == c.general; });
  for (Candidate& x : all) {
    if (x.model == c.general || general == all.end())
      continue;
    x.df1 = general->np - x.np;
    x.df2 = n - general->np;
    const double sg = general->ssq();
    if (x.df1 < 1 || x.df2 < 1 || !(sg > 0.0) || !std::isfinite(x.ssq()))
      continue;
    // A candidate cannot fit better than the model it is nested in; a rounding-level
    // difference the other way is none.
    x.f = std::max(0.0, ((x.ssq() - sg) / x.df1) / (sg / x.df2));
    x.f_p = numerics::f_upper_tail(*x.f, x.df1, x.df2);
  }

  if (!ranked) {
    c.verdict = "too few observations for AICc: the models are not ranked";
    return c;
  }
  const auto at = [&](int rank) {
    return *std::find_if(all.begin(), all.end(),
                         [&](const Candidate& x) { return x.rank == rank; });
  };
  const Candidate& best = at(1);
  const Candidate& second = at(2);
  c.verdict = short_name(best.model) + " preferred: Akaike weight " + format("%.3g", *best.weight) +
              "; " + short_name(second.model) + " delta AICc " + format("%.1f", *second.delta);
  if (second.f_p) {
    c.verdict +=
        ", F test against " + short_name(c.general) + " p = " + format("%.2g", *second.f_p);
  } else if (best.f_p) {
    c.verdict += "; F test of " + short_name(best.model) + " against " + short_name(c.general) +
                 " p = " + format("%.2g", *best.f_p);
  }
  if (*second.delta < 2.0) {
    c.cautions.push_back("the data do not distinguish " + short_name(best.model) + " from " +
                         short_name(second.model) + " (delta AICc " +
                         format("%.1f", *second.delta) + " < 2)");
  }
  for (const Candidate& x : all) {
    if (x.standard.available && x.standard.correlation.empty())
      c.cautions.push_back(short_name(x.model) +
                           ": the fit is singular; its AICc and F test mean little");
  }
  return c;
}

std::string compare_text(const std::string& file, const Comparison& c) {
  std::string out;
  const auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  line("Model comparison: " + file + ", " + std::to_string(c.n) + " observations");
  line("");
  line("Rank  Model" + std::string(16, ' ') + column("np", 3) + column("SSQ", 11) +
       column("AICc", 9) + column("dAICc", 7) + column("Weight", 7) + column("F test p", 9) +
       column("Runs p", 7));
  std::vector<const Candidate*> order;
  for (const Candidate& x : c.candidates)
    order.push_back(&x);
  std::stable_sort(order.begin(), order.end(), [](const Candidate* a, const Candidate* b) {
    return (a->rank == 0 ? 99 : a->rank) < (b->rank == 0 ? 99 : b->rank);
  });
  for (const Candidate* x : order) {
    std::string name = short_name(x->model);
    name.resize(std::max<std::size_t>(name.size(), 20), ' ');
    const auto runs = x->standard.runs ? std::optional(x->standard.runs->p) : std::nullopt;
    line(column(x->rank > 0 ? std::to_string(x->rank) : "-", 4) + "  " + name +
         column(std::to_string(x->np), 3) + column(format("%.6g", x->ssq()), 11) +
         column(optional_text(x->aicc, "%.2f"), 9) + column(optional_text(x->delta, "%.2f"), 7) +
         column(optional_text(x->weight, "%.3f"), 7) +
         column(x->model == c.general ? "" : optional_text(x->f_p, "%.3g"), 9) +
         column(optional_text(runs, "%.3g"), 7));
  }
  line("");
  line("F tests against " + short_name(c.general) + ":");
  for (const Candidate& x : c.candidates) {
    if (x.model == c.general)
      continue;
    line("  " + short_name(x.model) + ": " +
         (x.f ? "F(" + std::to_string(x.df1) + ", " + std::to_string(x.df2) +
                    ") = " + format("%.4g", *x.f) + ", p = " + format("%.3g", *x.f_p)
              : std::string("not computed (no degrees of freedom left)")));
  }
  line("");
  for (const std::string& text : textio::wrapped("", c.verdict + ".", 79))
    line(text);
  for (const std::string& caution : c.cautions) {
    for (const std::string& text : textio::wrapped("Caution: ", caution + ".", 79))
      line(text);
  }
  return out;
}

std::string comparison_header() {
  return "file,model,model_name,np,ssq,aicc,delta_aicc,weight,f,df1,df2,f_p,runs_test_p,rank";
}

std::string comparison_rows(const std::string& shown, const Comparison& c) {
  std::string rows;
  const auto number = [](const std::optional<double>& v) {
    return v ? csv_number(*v) : std::string();
  };
  for (const Candidate& x : c.candidates) {
    const models::Model* model = models::find_model(x.model);
    const bool tested = x.f.has_value();
    const std::vector<std::string> fields = {
        csv_field(shown),
        std::to_string(x.model),
        csv_field(std::string(model->name)),
        std::to_string(x.np),
        csv_number(x.ssq()),
        number(x.aicc),
        number(x.delta),
        number(x.weight),
        number(x.f),
        tested ? std::to_string(x.df1) : "",
        tested ? std::to_string(x.df2) : "",
        number(x.f_p),
        number(x.standard.runs ? std::optional(x.standard.runs->p) : std::nullopt),
        x.rank > 0 ? std::to_string(x.rank) : ""};
    std::string row;
    for (const std::string& field : fields)
      row += (row.empty() ? "" : ",") + field;
    rows += row + "\r\n";
  }
  return rows;
}

}  // namespace quillon::batch
