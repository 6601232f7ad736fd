#include "batch/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "models/catalogue.h"
#include "models/user_equation.h"
#include "models/weighting.h"
#include "textio/charconv.h"
#include "textio/platform.h"

namespace quillon::batch {
namespace {

std::vector<std::string> split(const std::string& text, char at) {
  std::vector<std::string> items;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = text.find(at, begin);
    items.push_back(text.substr(begin, end - begin));
    if (end == std::string::npos)
      return items;
    begin = end + 1;
  }
}

// Every parameter name of the model table, and P1..Pn.
std::string known_parameter_names() {
  std::set<std::string> seen;
  std::string names;
  for (const models::Model& m : models::model_table) {
    for (int k = 0; k < m.np && !m.key.empty(); ++k) {
      const models::Parameter& p = m.parameters[static_cast<std::size_t>(k)];
      for (const std::string_view known : {p.name, p.falling_name, p.rising_name}) {
        if (!known.empty() && seen.insert(std::string(known)).second)
          names.append(known).append(", ");
      }
    }
  }
  return names + "P1 to P" + std::to_string(models::most_parameters());
}

bool is_parameter_name(const std::string& name) {
  return std::any_of(
      models::model_table.begin(), models::model_table.end(),
      [&](const models::Model& m) { return models::parameter_index(m.number, name) >= 0; });
}

// "Km=2,Vmax=50" as settings, or throws CLI::ValidationError naming the item at fault.
std::vector<data_import::ParameterSetting> settings(const std::string& option,
                                                    const std::string& text,
                                                    const models::UserEquation& equation) {
  std::vector<data_import::ParameterSetting> list;
  for (const std::string& item : split(text, ',')) {
    const std::size_t eq = item.find('=');
    data_import::ParameterSetting setting;
    setting.name = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
    const auto [end, ec] =
        textio::read_double(value.data(), value.data() + value.size(), setting.value);
    if (eq == std::string::npos || ec != std::errc() || end != value.data() + value.size() ||
        !std::isfinite(setting.value))
      throw CLI::ValidationError(option, "\"" + item + "\" is not NAME=VALUE (e.g. Km=2.5)");
    if (!equation.empty() && models::parameter_index(equation, setting.name) < 0)
      throw CLI::ValidationError(option, "the equation has no parameter " + setting.name);
    if (equation.empty() && !is_parameter_name(setting.name))
      throw CLI::ValidationError(option, "no model has a parameter " + setting.name +
                                             " (names: " + known_parameter_names() + ")");
    list.push_back(std::move(setting));
  }
  return list;
}

// A positive finite number, or nothing.
std::optional<double> positive(const std::string& text) {
  double v = 0.0;
  const auto [end, ec] = textio::read_double(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v) || !(v > 0.0))
    return std::nullopt;
  return v;
}

std::string positive_error(const std::string& text) {
  return positive(text) ? std::string() : text + " is not a positive number";
}

}  // namespace

std::variant<Options, int> parse_command_line(int argc, const char* const* argv, std::ostream& out,
                                              std::ostream& err) {
  Options options;
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  file_analysis::FitOptions& fit = options.fit;
  std::string output = "quillon-results";
  std::string converted, model, columns, start, lower, upper;
  std::string weighting = "none";
  std::string enzyme, substrate, km;

  CLI::App app(
      "Fits enzyme-kinetic models to data files (.dat) and lab tables (.csv, .tsv, .txt), "
      "many files at once.",
      "quillon-batch");
  app.add_option("PATH", options.paths,
                 "a data file or table, or a folder: its .dat, .csv and .tsv files")
      ->type_name("")
      ->required();
  app.add_option("-o,--output", output, "folder for the reports and summary.csv")
      ->type_name("DIR")
      ->capture_default_str();
  app.add_option("-j,--jobs", options.jobs, "fits run at once (default: hardware threads)")
      ->type_name("N")
      ->check(CLI::Range(1u, 1024u));
  app.add_flag("-q,--quiet", options.quiet, "no progress, errors only");
  app.add_flag("-r,--recursive", options.recursive, "also the files of folders' subfolders");
  app.add_flag("--pdf", options.pdf, "also write each picture as a PDF file");
  app.add_flag("--compare", fit.compare, "also fit and rank every model of each file's group");
  app.add_flag("--diagnostic", options.diagnostic,
               "also a double-reciprocal picture of each fit (models 1, 3-6): a diagnostic");
  app.add_flag("--strict", fit.strict, "reject a file with a data warning instead of fitting it");
  app.add_option("--weight", weighting,
                 "weights of the squares: none, 1/y, 1/y2 (relative errors), 1/sd2 (replicates)")
      ->type_name("W")
      ->capture_default_str()
      ->check([](const std::string& name) {
        return models::find_weighting(name) ? std::string()
                                            : "no weighting " + name + " (none, 1/y, 1/y2, 1/sd2)";
      });
  app.add_option("--model", model,
                 "tables: mm, hill, competitive, noncompetitive, uncompetitive, mixed, or 1-6")
      ->type_name("NAME");
  app.add_option("--columns", columns, "tables: X1[,X2],rate[,rate...] by header name or number")
      ->type_name("LIST");
  app.add_flag("--decimal-comma", fit.table.decimal_comma, "tables: read 1,5 as 1.5");
  std::string equation, params;
  app.add_option("--equation", equation,
                 "tables: your own model, e.g. \"Y = Vmax*X1/(Km + X1)\" (with --params)")
      ->type_name("TEXT");
  app.add_option("--params", params, "with --equation: its parameters, P1 to P4 in order")
      ->type_name("NAMES");
  app.add_option("--start", start, "tables: start values, e.g. Km=2,Vmax=50")
      ->type_name("NAME=V,...");
  app.add_option("--lower", lower, "tables: lower bounds")->type_name("NAME=V,...");
  app.add_option("--upper", upper, "tables: upper bounds")->type_name("NAME=V,...");
  app.add_option("--x-unit", fit.units.x1, "unit of X1, e.g. mM")->type_name("TEXT");
  app.add_option("--x2-unit", fit.units.x2, "unit of X2 (inhibitor)")->type_name("TEXT");
  app.add_option("--y-unit", fit.units.y, "unit of the rate")->type_name("TEXT");
  app.add_flag("--global", options.global,
               "also fit every data set at once, --share parameters common to all");
  std::string share;
  app.add_option("--share", share, "with --global: the shared parameters, e.g. Km or Km,Ki")
      ->type_name("NAMES");
  app.add_option("--enzyme", enzyme, "total enzyme concentration: kcat = Vmax/[E], kcat/Km")
      ->type_name("CONC")
      ->check(positive_error);
  app.add_option("--substrate", substrate, "with --km: the assay's [S], for Cheng-Prusoff's Ki")
      ->type_name("S")
      ->check(positive_error);
  app.add_option("--km", km, "with --substrate: the substrate's Km")
      ->type_name("KM")
      ->check(positive_error);
  app.add_option("--to-dat", converted, "also write each table as a .dat file into DIR")
      ->type_name("DIR");
  app.get_formatter()->column_width(34);
  app.set_version_flag("--version", "quillon-batch " QUILLON_VERSION);
  try {
    app.parse(argc, argv);
    if (!model.empty()) {
      const models::Model* m = models::find_model(model);
      if (m == nullptr)
        throw CLI::ValidationError(
            "--model",
            "no model " + model +
                " (mm, hill, competitive, noncompetitive, uncompetitive, mixed, or 1-6)");
      fit.table.model = m->number;
    }
    fit.weighting = *models::find_weighting(weighting);
    if (options.global != !share.empty())
      throw CLI::ValidationError(options.global ? "--global" : "--share",
                                 "--global and --share NAMES go together");
    if (substrate.empty() != km.empty())
      throw CLI::ValidationError(substrate.empty() ? "--km" : "--substrate",
                                 "--substrate S and --km KM go together");
    fit.enzyme = enzyme.empty() ? std::nullopt : positive(enzyme);
    fit.substrate = substrate.empty() ? std::nullopt : positive(substrate);
    fit.km = km.empty() ? std::nullopt : positive(km);
    const models::Model* chosen = models::find_model(fit.table.model);
    if (chosen != nullptr && chosen->enzyme_constant && !fit.enzyme)
      throw CLI::ValidationError("--model",
                                 "the " + std::string(chosen->label) +
                                     " model needs the enzyme concentration: --enzyme CONC");
    if (!columns.empty())
      fit.table.columns = split(columns, ',');
    if (!equation.empty() || !params.empty()) {
      if (equation.empty() || params.empty())
        throw CLI::ValidationError("--equation", "--equation and --params NAMES go together");
      if (!model.empty())
        throw CLI::ValidationError("--equation", "an equation of your own replaces --model");
      auto read = models::user_equation(equation, split(params, ','));
      if (const auto* why = std::get_if<std::string>(&read))
        throw CLI::ValidationError("--equation", *why);
      fit.equation = std::move(std::get<models::UserEquation>(read));
      fit.table.model = models::user_model(fit.equation);
    }
    if (!share.empty()) {
      options.share = split(share, ',');
      for (const std::string& name : options.share) {
        if (!fit.equation.empty() ? models::parameter_index(fit.equation, name) < 0
                                  : !is_parameter_name(name))
          throw CLI::ValidationError("--share", "no model has a parameter " + name +
                                                    " (names: " + known_parameter_names() + ")");
      }
    }
    const models::UserEquation& user = fit.equation;
    fit.overrides.start = start.empty() ? fit.overrides.start : settings("--start", start, user);
    fit.overrides.lower = lower.empty() ? fit.overrides.lower : settings("--lower", lower, user);
    fit.overrides.upper = upper.empty() ? fit.overrides.upper : settings("--upper", upper, user);
    // An equation's parameters have no rule for starts and bounds: every one is given.
    for (const auto& [option, list] : {std::pair{"--start", &fit.overrides.start},
                                       {"--lower", &fit.overrides.lower},
                                       {"--upper", &fit.overrides.upper}}) {
      for (std::size_t k = 0; k < user.names.size(); ++k) {
        const bool given = std::any_of(list->begin(), list->end(), [&](const auto& s) {
          return models::parameter_index(user, s.name) == static_cast<int>(k);
        });
        if (!given)
          throw CLI::ValidationError(option, "--equation needs a value of every parameter here: " +
                                                 user.names[k] + " has none");
      }
    }
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? 0 : usage_error;
  }
  options.output = textio::platform::path_from_narrow(output);
  if (!converted.empty()) {
    options.converted = textio::platform::path_from_narrow(converted);
    fit.converted = true;
  }
  return options;
}

}  // namespace quillon::batch
