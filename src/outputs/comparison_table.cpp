#include "outputs/comparison_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "models/catalogue.h"
#include "models/weighting.h"
#include "textio/csv.h"
#include "textio/text_utils.h"

namespace quillon::outputs {
namespace {

using file_analysis::Candidate;
using file_analysis::Comparison;
using models::short_name;
using textio::csv_field;
using textio::csv_number;

std::string optional_text(const std::optional<double>& v, const char* pattern) {
  return v ? textio::formatted(pattern, *v) : std::string("-");
}

}  // namespace

std::string compare_text(const std::string& file, const Comparison& c) {
  std::string out;
  const auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  line("Model comparison: " + file + ", " + std::to_string(c.n) + " observations" +
       (c.weighting == models::Weighting::none
            ? std::string()
            : ", weighted " + std::string(models::weighting_name(c.weighting))));
  line("");
  line("Rank  Model" + std::string(16, ' ') + textio::right_aligned("np", 3) +
       textio::right_aligned("SSQ", 11) + textio::right_aligned(c.by_aic ? "AIC" : "AICc", 9) +
       textio::right_aligned(c.by_aic ? "dAIC" : "dAICc", 7) + textio::right_aligned("Weight", 7) +
       textio::right_aligned("F test p", 9) + textio::right_aligned("Runs p", 7));
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
    line(textio::right_aligned(x->rank > 0 ? std::to_string(x->rank) : "-", 4) + "  " + name +
         textio::right_aligned(std::to_string(x->np), 3) +
         textio::right_aligned(textio::formatted("%.6g", x->ssq()), 11) +
         textio::right_aligned(optional_text(c.by_aic ? x->aic : x->aicc, "%.2f"), 9) +
         textio::right_aligned(optional_text(x->delta, "%.2f"), 7) +
         textio::right_aligned(optional_text(x->weight, "%.3f"), 7) +
         textio::right_aligned(x->model == c.general ? "" : optional_text(x->f_p, "%.3g"), 9) +
         textio::right_aligned(optional_text(runs, "%.3g"), 7));
  }
  line("");
  line("F tests against " + short_name(c.general) + ":");
  for (const Candidate& x : c.candidates) {
    if (x.model == c.general)
      continue;
    line("  " + short_name(x.model) + ": " +
         (x.f ? "F(" + std::to_string(x.df1) + ", " + std::to_string(x.df2) + ") = " +
                    textio::formatted("%.4g", *x.f) + ", p = " + textio::formatted("%.3g", *x.f_p)
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
    return v && std::isfinite(*v) ? csv_number(*v) : std::string();
  };
  for (const Candidate& x : c.candidates) {
    const models::Model* model = models::find_model(x.model);
    const bool tested = x.f.has_value();
    const std::vector<std::string> fields = {
        csv_field(shown),
        std::to_string(x.model),
        csv_field(std::string(model->name)),
        std::to_string(x.np),
        number(x.ssq()),
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

}  // namespace quillon::outputs
