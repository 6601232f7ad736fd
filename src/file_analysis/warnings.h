// Notes on a fit that a careful analyst wants and the console report does not give.
#pragma once

#include <string>
#include <vector>

#include "models/fit_state.h"
#include "report/uncertainty.h"

namespace quillon::file_analysis {

// Relative distance from a bound at which a parameter counts as sitting on it.
inline constexpr double at_bound = 1.0e-6;
// A coefficient of variation above this many per cent marks a poorly determined parameter.
inline constexpr double large_cv = 50.0;

// Initial estimates outside their bounds.
std::vector<std::string> estimate_warnings(const models::FitState& fit);

// Observation lines that hold more numbers than the model reads (as the import found
// them): the extra ones are ignored, which is how a missing bound line, a decimal
// comma or a wrong model number shows itself.
std::vector<std::string> extra_value_warnings(const models::FitState& fit);

// Lines holding numbers after the line that ended a data file's observations.
std::vector<std::string> unread_line_warnings(const models::FitState& fit);

// Best-fit values on a bound, and poorly determined parameters.
std::vector<std::string> result_warnings(const models::FitState& fit,
                                         const std::vector<report::ParameterUncertainty>& rows);

}  // namespace quillon::file_analysis
