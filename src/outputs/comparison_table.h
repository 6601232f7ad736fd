// A model comparison as text: the ranking table with its verdict, and the rows of
// comparison.csv.
#pragma once

#include <string>

#include "file_analysis/compare.h"

namespace quillon::outputs {

// The ranking table and the verdict, at 80 columns, CR LF.
std::string compare_text(const std::string& file, const file_analysis::Comparison& comparison);

std::string comparison_header();
// One CSV row per candidate, each ending in CR LF.
std::string comparison_rows(const std::string& shown, const file_analysis::Comparison& comparison);

}  // namespace quillon::outputs
