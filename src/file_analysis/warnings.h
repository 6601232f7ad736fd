// Notes on a fit that a careful analyst wants and the console report does not give.
#pragma once

#include <string>
#include <vector>

#include "analysis/standard_analysis.h"
#include "file_analysis/compare.h"
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

// Half-saturation constants above the highest X1 and inhibition constants above the
// highest X2, at the standard analysis's best fit: the data do not reach them, so they
// are extrapolated. With the profile interval, which shows how far.
std::vector<std::string> beyond_data_warnings(const models::FitState& fit,
                                              const analysis::StandardAnalysis& standard);

// The file's own model (`model`) ranked more than 2 units of the criterion behind the
// preferred candidate.
std::vector<std::string> comparison_warnings(int model, const Comparison& comparison);

}  // namespace quillon::file_analysis
