#include "data_import/table_state.h"

#include <algorithm>
#include <span>

#include "data_import/data_import.h"
#include "models/catalogue.h"
#include "models/start_rule.h"
#include "textio/csv.h"
#include "textio/text_utils.h"

namespace quillon::data_import {
namespace {

std::string listed(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names)
    list.append(list.empty() ? "" : ", ").append(name);
  return list;
}

std::string parameter_list(int model) {
  const models::Model* m = models::find_model(model);
  std::string names;
  for (int k = 0; k < m->np; ++k) {
    if (k > 0)
      names += ", ";
    names += m->parameters[static_cast<std::size_t>(k)].name;
  }
  return names;
}

}  // namespace

std::variant<models::FitState, std::string> table_state(const Table& table,
                                                        const Overrides& overrides,
                                                        const models::UserEquation& equation) {
  const models::Model* model = models::find_model(table.model);
  if (model == nullptr)
    return "no model " + std::to_string(table.model) + ".";
  const bool user = !equation.empty();
  const int np = user ? static_cast<int>(equation.names.size()) : model->np;
  const std::size_t n = table.observations.size();
  if (n > static_cast<std::size_t>(models::max_points))
    return "the table holds " + std::to_string(n) + " observations: a fit takes at most " +
           std::to_string(models::max_points) + ".";
  if (n < static_cast<std::size_t>(np) + 1)
    return "the table holds " + std::to_string(n) + " observation" + (n == 1 ? "" : "s") +
           ": the " + std::string(model->label) + " model needs at least " +
           std::to_string(np + 1) + ".";

  models::FitState s;
  s.model = model->number;
  npar(s.model, s.model_name, s.np, s.nx, s.nc);
  s.npoints = static_cast<int>(n);
  for (auto* buffer : {&s.xbuf1, &s.xbuf2, &s.xbuf3, &s.ybuf})
    buffer->assign(static_cast<std::size_t>(models::max_points), 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    s.xbuf1[i] = table.observations[i].x1;
    s.xbuf2[i] = s.nx >= 2 ? table.observations[i].x2 : 0.0;
    s.ybuf[i] = table.observations[i].y;
  }

  if (user) {
    // Its starts and bounds are all given (--start, --lower, --upper).
    s.np = np;
    s.user_equation = equation.text;
    s.user_names = equation.names;
  } else {
    const auto starts =
        models::automatic_starts(s.model, std::span(s.xbuf1).first(n), std::span(s.xbuf2).first(n),
                                 std::span(s.ybuf).first(n));
    if (const auto* why = std::get_if<std::string>(&starts))
      return *why;
    const models::Starts& found = std::get<models::Starts>(starts);
    for (std::size_t k = 0; k < static_cast<std::size_t>(s.np); ++k) {
      s.pinit[k] = found[k].initial;
      s.plower[k] = found[k].lower;
      s.pupper[k] = found[k].upper;
    }
  }
  const auto index = [&](const std::string& name) {
    return user ? models::parameter_index(equation, name) : models::parameter_index(s.model, name);
  };
  const std::pair<const std::vector<ParameterSetting>*, std::vector<double>*> lists[] = {
      {&overrides.start, &s.pinit}, {&overrides.lower, &s.plower}, {&overrides.upper, &s.pupper}};
  for (const auto& [settings, values] : lists) {
    for (const ParameterSetting& setting : *settings) {
      const int k = index(setting.name);
      if (k < 0)
        return "the " + std::string(model->label) + " model has no parameter " + setting.name +
               " (its parameters: " + (user ? listed(equation.names) : parameter_list(s.model)) +
               ").";
      (*values)[static_cast<std::size_t>(k)] = setting.value;
    }
  }
  for (int k = 0; k < s.np; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (s.plower[i] > s.pupper[i])
      return "the lower bound of " + models::fit_parameter_name(s, k) + " (" +
             textio::csv_number(s.plower[i]) + ") lies above its upper bound (" +
             textio::csv_number(s.pupper[i]) + "): correct --lower or --upper.";
  }
  return s;
}

std::string dat_text(const models::FitState& fit, std::string_view source, const Units& units) {
  const auto np = static_cast<std::size_t>(fit.np);
  const auto values = [&](const std::vector<double>& v) {
    std::string line;
    for (std::size_t k = 0; k < np; ++k) {
      if (k > 0)
        line += ' ';
      line += textio::csv_number(v[k]);
    }
    return line;
  };
  const auto remark = [](std::string line, std::string_view text) {
    line.resize(std::max<std::size_t>(line.size() + 1, 24), ' ');
    return line.append("! ").append(text).append("\r\n");
  };
  std::string names;
  for (int k = 0; k < fit.np; ++k) {
    if (k > 0)
      names += ", ";
    names += models::parameter_name(fit.model, k);
  }
  std::string text = remark(std::to_string(fit.model), textio::trimmed(fit.model_name));
  text += remark(values(fit.pinit), "initial " + names);
  text += remark(values(fit.plower), "lower bounds");
  text += remark(values(fit.pupper), "upper bounds");
  for (std::size_t i = 0; i < static_cast<std::size_t>(fit.npoints); ++i) {
    text += textio::csv_number(fit.xbuf1[i]);
    if (fit.nx >= 2)
      text.append(" ").append(textio::csv_number(fit.xbuf2[i]));
    text.append(" ").append(textio::csv_number(fit.ybuf[i])).append("\r\n");
  }
  // The remark follows an empty line: the import's observations end there.
  text += "\r\n# converted by quillon-batch from " + std::string(source) + "\r\n";
  const std::pair<const char*, const std::string*> named[] = {
      {"X1", &units.x1}, {"X2", &units.x2}, {"Y", &units.y}};
  for (const auto& [column, unit] : named) {
    if (!unit->empty())
      text += "# " + std::string(column) + " unit: " + *unit + "\r\n";
  }
  return text;
}

}  // namespace quillon::data_import
