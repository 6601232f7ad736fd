// The standard analysis of one fit as a short plain-text table (the .stats.txt
// file), readable at 80 columns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/lack_of_fit.h"
#include "analysis/standard_analysis.h"
#include "file_analysis/derived.h"
#include "report/uncertainty.h"

namespace quillon::outputs {

// `names` are the model's parameter names and `units` their units (empty where none
// is known); `sampling` the report's uncertainty rows (may be empty); `replicates`
// the lack-of-fit test, shown where there is one; `weighting` the weights' name
// ("1/y2"), empty when unweighted; `derived` the derived constants' sentences
// (derived_lines); `notes` more warnings, listed as notes after the analysis's own.
// Lines end with CR LF, as the reports' do.
std::string stats_text(const std::string& file, const std::string& model_name,
                       const std::vector<std::string>& names, int n,
                       const analysis::StandardAnalysis& a,
                       const std::vector<report::ParameterUncertainty>& sampling,
                       const std::vector<std::string>& units = {},
                       const analysis::LackOfFit* replicates = nullptr,
                       std::string_view weighting = {},
                       const std::vector<std::string>& derived = {},
                       const std::vector<std::string>& notes = {});

// A sentence for each derived constant that has a value: how it is made, its value,
// standard error, unit and 95 % interval. `x1_unit` is Km's and IC50's, when known.
std::vector<std::string> derived_lines(const file_analysis::DerivedConstants& d,
                                       std::string_view x1_unit);

}  // namespace quillon::outputs
