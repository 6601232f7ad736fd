#include "outputs/global_outputs.h"

#include "models/catalogue.h"
#include "models/weighting.h"
#include "outputs/stats_text.h"
#include "outputs/summary_table.h"
#include "pictures/plot.h"
#include "textio/csv.h"
#include "textio/text_utils.h"

namespace quillon::outputs {
namespace {

using textio::csv_field;
using textio::csv_number;

std::string optional_number(const std::optional<double>& v) {
  return v ? csv_number(*v) : std::string();
}

std::string joined(const std::vector<std::string>& fields) {
  std::string row;
  for (const std::string& f : fields)
    row.append(row.empty() ? "" : ",").append(f);
  return row + "\r\n";
}

std::string shared_list(const file_analysis::GlobalFit& g) {
  std::string list;
  for (std::size_t k = 0; k < g.shared.size(); ++k) {
    if (g.shared[k])
      list.append(list.empty() ? "" : ", ").append(g.names[k]);
  }
  return list;
}

}  // namespace

std::string global_parameters_csv(const file_analysis::GlobalFit& g) {
  std::string out =
      "set,file,parameter,shared,best,wald_se,wald_lo,wald_hi,profile_lo,profile_hi\r\n";
  const int np = g.state.global.np;
  for (std::size_t s = 0; s < g.sets.size(); ++s) {
    for (int k = 0; k < np; ++k) {
      const auto at = static_cast<std::size_t>(g.index(s, k));
      const analysis::ParameterStats* p =
          at < g.standard.parameters.size() ? &g.standard.parameters[at] : nullptr;
      const auto stat = [&](std::optional<double> analysis::ParameterStats::*field) {
        return p != nullptr ? optional_number(p->*field) : std::string();
      };
      out += joined({csv_field(g.sets[s].label), csv_field(one_line_name(g.sets[s].file)),
                     g.names[static_cast<std::size_t>(k)],
                     g.shared[static_cast<std::size_t>(k)] ? "yes" : "no",
                     at < g.plotted.size() ? csv_number(g.plotted[at]) : std::string(),
                     stat(&analysis::ParameterStats::se), stat(&analysis::ParameterStats::wald_lo),
                     stat(&analysis::ParameterStats::wald_hi),
                     stat(&analysis::ParameterStats::profile_lo),
                     stat(&analysis::ParameterStats::profile_hi)});
    }
  }
  return out;
}

std::string global_test_csv(const file_analysis::GlobalFit& g) {
  const file_analysis::GlobalTest& t = g.test;
  return "sets,n,np,ssq,aicc,ssq_separate,np_separate,aicc_separate,f,df1,df2,f_p,preferred\r\n" +
         joined({std::to_string(t.sets), std::to_string(t.n), std::to_string(t.np),
                 csv_number(t.ssq), optional_number(t.aicc), csv_number(t.ssq_separate),
                 std::to_string(t.np_separate), optional_number(t.aicc_separate),
                 optional_number(t.f), std::to_string(t.df1), std::to_string(t.df2),
                 optional_number(t.f_p), t.preferred});
}

std::string global_test_line(const file_analysis::GlobalFit& g) {
  const file_analysis::GlobalTest& t = g.test;
  std::string line = "Shared against separate fits: ";
  if (t.f)
    line += "F(" + std::to_string(t.df1) + ", " + std::to_string(t.df2) +
            ") = " + textio::formatted("%.4g", *t.f) + ", p = " + textio::formatted("%.3g", *t.f_p);
  else
    line += "no F test (" +
            std::string(t.df1 <= 0   ? "nothing is shared"
                        : t.df2 <= 0 ? "no residual degrees of freedom"
                                     : "the separate fits leave no residual") +
            ")";
  if (t.aicc && t.aicc_separate)
    line += "; AICc " + textio::formatted("%.2f", *t.aicc) + " shared, " +
            textio::formatted("%.2f", *t.aicc_separate) + " separate: " + t.preferred +
            " preferred";
  return line + ".";
}

std::string global_stats_text(const file_analysis::GlobalFit& g) {
  std::string head = "Global fit of " + std::to_string(g.sets.size()) + " data sets, " +
                     shared_list(g) + " shared\r\n";
  for (std::size_t s = 0; s < g.sets.size(); ++s) {
    const auto& rows = g.state.global.sets[s];
    head += "  Set " + std::to_string(s + 1) + ": " + g.sets[s].label + " (" +
            one_line_name(g.sets[s].file) + "), " + std::to_string(rows.end - rows.begin) +
            " observations\r\n";
  }
  const models::Weighting weighting = g.sets.front().fit->weighting;
  std::string text =
      stats_text("global fit", std::string(textio::trimmed(g.state.model_name)),
                 g.state.global.names, g.state.npoints, g.standard, {}, {}, nullptr,
                 weighting == models::Weighting::none ? std::string_view()
                                                      : models::weighting_name(weighting));
  return head + text + global_test_line(g) + "\r\n";
}

pictures::Drawing global_picture(const file_analysis::GlobalFit& g) {
  std::vector<pictures::PlotSet> sets;
  const int np = g.state.global.np;
  for (std::size_t s = 0; s < g.sets.size(); ++s) {
    pictures::PlotSet set{g.sets[s].label, g.sets[s].state, {}};
    for (int k = 0; k < np; ++k)
      set.p.push_back(g.plotted[static_cast<std::size_t>(g.index(s, k))]);
    sets.push_back(std::move(set));
  }
  // The shared values in the caption, with their units.
  std::vector<std::string> names, units;
  std::vector<double> best;
  const analysis::StandardAnalysis shared = [&] {
    analysis::StandardAnalysis a = g.standard;
    a.parameters.clear();
    for (int k = 0; k < np; ++k) {
      if (!g.shared[static_cast<std::size_t>(k)])
        continue;
      const auto at = static_cast<std::size_t>(g.index(0, k));
      names.push_back(g.names[static_cast<std::size_t>(k)]);
      units.push_back(
          models::parameter_unit(g.model, k, g.state.units.x1, g.state.units.x2, g.state.units.y));
      best.push_back(g.plotted[at]);
      if (at < g.standard.parameters.size())
        a.parameters.push_back(g.standard.parameters[at]);
    }
    return a;
  }();
  const std::string caption =
      "shared: " +
      pictures::parameter_caption(names, best, g.standard.available ? &shared : nullptr, units);
  return pictures::global_plot("global fit: " + std::string(textio::trimmed(g.state.model_name)),
                               sets, caption);
}

}  // namespace quillon::outputs
