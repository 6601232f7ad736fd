#include "file_analysis/compare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data_import/data_import.h"
#include "models/catalogue.h"
#include "numerics/distributions.h"
#include "numerics/exact_math.h"
#include "textio/text_utils.h"

namespace quillon::file_analysis {
namespace {

using models::short_name;

}  // namespace

models::FitState candidate_state(const models::FitState& imported, int model) {
  models::FitState s = imported;
  s.model = model;
  data_import::npar(model, s.model_name, s.np, s.nx, s.nc);
  s.pinit.assign(models::max_params, 0.0);
  s.plower.assign(models::max_params, 0.0);
  s.pupper.assign(models::max_params, 0.0);
  models::map_starts(imported.model, model, imported.pinit, imported.plower, imported.pupper,
                     s.pinit, s.plower, s.pupper);
  return s;
}

Comparison rank_candidates(std::vector<Candidate> candidates, int general_model, int n) {
  Comparison c;
  c.n = n;
  c.general = general_model;
  c.candidates = std::move(candidates);
  auto& all = c.candidates;

  // AICc where every candidate has it, else AIC (AICc is infinite at n = np + 1).
  const auto all_have = [&all](std::optional<double> Candidate::*member) {
    return std::all_of(all.begin(), all.end(), [member](const Candidate& x) {
      return (x.*member).has_value() && std::isfinite(*(x.*member));
    });
  };
  std::optional<double> Candidate::*criterion = nullptr;
  if (all_have(&Candidate::aicc)) {
    criterion = &Candidate::aicc;
  } else if (all_have(&Candidate::aic)) {
    criterion = &Candidate::aic;
    c.by_aic = true;
  }
  const bool ranked = criterion != nullptr;
  if (ranked) {
    double least = HUGE_VAL;
    for (const Candidate& x : all)
      least = std::min(least, *(x.*criterion));
    double total = 0.0;
    for (Candidate& x : all) {
      x.delta = *(x.*criterion) - least;
      total += numerics::exact_math::exp(-0.5 * *x.delta);
    }
    for (Candidate& x : all)
      x.weight = numerics::exact_math::exp(-0.5 * *x.delta) / total;
    std::vector<Candidate*> order;
    for (Candidate& x : all)
      order.push_back(&x);
    std::stable_sort(order.begin(), order.end(),
                     [criterion](const Candidate* a, const Candidate* b) {
                       return *(a->*criterion) < *(b->*criterion);
                     });
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
    c.verdict = "too few observations for AICc or AIC: the models are not ranked";
    return c;
  }
  if (all.size() < 2) {  // tight binding, an equation of one's own
    c.verdict = "no other model nests with " +
                (all.empty() ? std::string("this one") : short_name(all.front().model)) +
                ": nothing to compare";
    return c;
  }
  const std::string delta_name = c.by_aic ? " delta AIC " : " delta AICc ";
  const auto at = [&](int rank) {
    return *std::find_if(all.begin(), all.end(),
                         [&](const Candidate& x) { return x.rank == rank; });
  };
  const Candidate& best = at(1);
  const Candidate& second = at(2);
  c.verdict = short_name(best.model) + " preferred: Akaike weight " +
              textio::formatted("%.3g", *best.weight) + "; " + short_name(second.model) +
              delta_name + textio::formatted("%.1f", *second.delta);
  if (second.f_p) {
    c.verdict += ", F test against " + short_name(c.general) +
                 " p = " + textio::formatted("%.2g", *second.f_p);
  } else if (best.f_p) {
    c.verdict += "; F test of " + short_name(best.model) + " against " + short_name(c.general) +
                 " p = " + textio::formatted("%.2g", *best.f_p);
  }
  if (*second.delta < 2.0) {
    c.cautions.push_back("the data do not distinguish " + short_name(best.model) + " from " +
                         short_name(second.model) + " (" + delta_name.substr(1) +
                         textio::formatted("%.1f", *second.delta) + " < 2)");
  }
  if (c.by_aic) {
    for (const Candidate& x : all) {
      if (!x.aicc || !std::isfinite(*x.aicc))
        c.cautions.push_back(short_name(x.model) + ": AICc is not defined with " +
                             std::to_string(n) + " observations and " + std::to_string(x.np) +
                             " parameters, so the models are ranked by AIC");
    }
  }
  for (const Candidate& x : all) {
    if (x.standard.available && x.standard.correlation.empty())
      c.cautions.push_back(short_name(x.model) +
                           ": the fit is singular; its AICc and F test mean little");
  }
  return c;
}

}  // namespace quillon::file_analysis
