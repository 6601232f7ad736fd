// A table as a fit: the fit state a data file with the same model, starts, bounds and
// observations would give, and that data file's text.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "data_import/table_reader.h"
#include "models/fit_state.h"
#include "models/user_equation.h"

namespace quillon::data_import {

// "Km=2": a parameter by its name (case ignored) or as P1, P2, ...
struct ParameterSetting {
  std::string name;
  double value = 0.0;
};

// --start, --lower and --upper: what replaces the starts and bounds found from the data.
struct Overrides {
  std::vector<ParameterSetting> start, lower, upper;
};

// The fit state of the table: its model, the starts and bounds from its data with the
// overrides applied, and its observations in the table's order. Else a message.
// With an equation of the user's, its parameters' starts and bounds all come from the
// overrides.
std::variant<models::FitState, std::string> table_state(const Table& table,
                                                        const Overrides& overrides,
                                                        const models::UserEquation& equation = {});

using Units = models::Units;

// The data file the interactive program reads to the same fit: the model line, the
// starts and bounds, every observation at full precision, and a remark naming the
// source and the units after the observations.
std::string dat_text(const models::FitState& fit, std::string_view source, const Units& units);

}  // namespace quillon::data_import
