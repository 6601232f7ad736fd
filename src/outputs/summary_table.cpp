#include "outputs/summary_table.h"

#include <cmath>

#include "models/catalogue.h"
#include "models/weighting.h"
#include "textio/csv.h"

namespace quillon::outputs {
namespace {

using textio::csv_field;
using textio::csv_number;

constexpr std::size_t parameter_columns = models::most_parameters();

// A table cell holds a number or nothing: an infinite AICc (n = np + 1), say, is empty.
std::string number_or_empty(bool present, double v) {
  return present && std::isfinite(v) ? csv_number(v) : std::string();
}

}  // namespace

std::string summary_row(const std::string& shown, const file_analysis::FileFit& r) {
  std::vector<std::string> f;
  f.push_back(csv_field(one_line_name(shown)));
  f.push_back(r.fitted ? "fitted" : "rejected");
  f.push_back(csv_field(r.message));
  const bool known = r.model != 0;
  f.push_back(known ? std::to_string(r.model) : "");
  f.push_back(csv_field(r.model_name));
  f.push_back(known ? std::to_string(r.n) : "");
  f.push_back(known ? std::to_string(r.np) : "");
  f.push_back(number_or_empty(r.fitted, r.ssq));
  const bool criteria = r.criteria.has_value();
  f.push_back(number_or_empty(criteria, criteria ? r.criteria->aic : 0.0));
  f.push_back(number_or_empty(criteria, criteria ? r.criteria->aicc : 0.0));
  f.push_back(number_or_empty(criteria, criteria ? r.criteria->msc : 0.0));
  f.push_back(r.fitted ? std::to_string(r.samples) : "");
  f.push_back(r.fitted ? std::to_string(r.runs) : "");
  f.push_back(r.fitted ? std::to_string(r.passes) : "");
  // Milliseconds are all a wall time can tell.
  f.push_back(number_or_empty(r.fitted, std::round(r.seconds * 1000.0) / 1000.0));
  std::string warnings;
  for (const auto* notes : {&r.data_warnings, &r.warnings}) {
    for (const std::string& note : *notes)
      warnings += (warnings.empty() ? "" : "; ") + note;
  }
  f.push_back(csv_field(warnings));

  const auto parameter_present = [&](std::size_t k) {
    return r.fitted && models::find_model(r.model) != nullptr && k < static_cast<std::size_t>(r.np);
  };
  for (std::size_t k = 0; k < parameter_columns; ++k) {
    const bool parameter = parameter_present(k);
    const bool row = parameter && k < r.uncertainty.size();
    f.push_back(parameter && k < r.names.size() ? r.names[k] : "");
    f.push_back(number_or_empty(parameter && k < r.best.size(), parameter ? r.best[k] : 0.0));
    f.push_back(number_or_empty(row, row ? r.uncertainty[k].mean : 0.0));
    f.push_back(number_or_empty(row, row ? r.uncertainty[k].std_error : 0.0));
    f.push_back(number_or_empty(row, row ? r.uncertainty[k].cv : 0.0));
    f.push_back(number_or_empty(row, row ? r.uncertainty[k].half_width : 0.0));
  }
  const bool standard = r.standard.has_value() && r.standard->available;
  const auto optional_number = [](const std::optional<double>& v) {
    return number_or_empty(v.has_value(), v.value_or(0.0));
  };
  for (std::size_t k = 0; k < parameter_columns; ++k) {
    if (!standard || !parameter_present(k) || k >= r.standard->parameters.size()) {
      f.insert(f.end(), 5, std::string());
      continue;
    }
    const analysis::ParameterStats& p = r.standard->parameters[k];
    for (const auto* v : {&p.se, &p.wald_lo, &p.wald_hi, &p.profile_lo, &p.profile_hi})
      f.push_back(optional_number(*v));
  }
  f.push_back(number_or_empty(standard, standard ? r.standard->sigma : 0.0));
  f.push_back(standard ? std::to_string(r.standard->df) : "");
  const bool runs = standard && r.standard->runs.has_value();
  f.push_back(number_or_empty(runs, runs ? r.standard->runs->p : 0.0));
  const bool replicates = r.fitted && r.replicates.has_value();
  f.push_back(replicates ? std::to_string(r.replicates->replicates) : "");
  const bool tested = replicates && r.replicates->p.has_value();
  f.push_back(number_or_empty(tested, tested ? *r.replicates->p : 0.0));
  for (const std::string* unit : {&r.units.x1, &r.units.x2, &r.units.y})
    f.push_back(csv_field(one_line_name(*unit)));
  f.push_back(csv_field(models::weighting_name(r.weighting)));
  const file_analysis::DerivedConstants& d = r.derived;
  for (const file_analysis::Derived* c : {&d.kcat, &d.kcat_km, &d.alpha}) {
    for (const auto* v : {&c->value, &c->se, &c->lo, &c->hi})
      f.push_back(optional_number(*v));
  }
  f.push_back(optional_number(d.ki_cheng_prusoff.value));
  f.push_back(optional_number(d.ki_cheng_prusoff.se));
  std::string line;
  for (const std::string& field : f)
    line += (line.empty() ? "" : ",") + field;
  return line;
}

std::string summary_header() {
  std::string header =
      "file,status,message,model,model_name,n,np,ssq,aic,aicc,msc,samples,runs,passes,seconds,"
      "warnings";
  for (std::size_t k = 1; k <= parameter_columns; ++k) {
    const std::string p = ",p" + std::to_string(k);
    header += p + "_name" + p + "_best" + p + "_mean" + p + "_se" + p + "_cv" + p + "_ci95";
  }
  for (std::size_t k = 1; k <= parameter_columns; ++k) {
    const std::string p = ",p" + std::to_string(k);
    header +=
        p + "_wald_se" + p + "_wald_lo" + p + "_wald_hi" + p + "_profile_lo" + p + "_profile_hi";
  }
  return header +
         ",sigma,df,runs_test_p,replicates,lack_of_fit_p,x_unit,x2_unit,y_unit,"
         "weighting,kcat,kcat_se,kcat_lo,kcat_hi,kcat_km,kcat_km_se,kcat_km_lo,kcat_km_hi,alpha,"
         "alpha_se,alpha_lo,alpha_hi,ki_cheng_prusoff,ki_cheng_prusoff_se";
}

std::string one_line_name(std::string_view name) {
  std::string out(name);
  for (char& ch : out) {
    if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F)
      ch = '?';
  }
  return out;
}

}  // namespace quillon::outputs
