// summary.csv: one row per input file (RFC 4180, every row one line).
#pragma once

#include <string>
#include <string_view>

#include "file_analysis/fit_file.h"

namespace quillon::outputs {

// The header row, without its line end.
std::string summary_header();

// The row of one input, shown as `shown`, without its line end.
std::string summary_row(const std::string& shown, const file_analysis::FileFit& fit);

// A name as a table shows it on one line: control characters (a newline in a file
// name, say) become '?'.
std::string one_line_name(std::string_view name);

}  // namespace quillon::outputs
