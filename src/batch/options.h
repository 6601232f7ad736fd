// The batch program's command line.
#pragma once

#include <ostream>
#include <variant>

#include "batch/batch.h"

namespace quillon::batch {

// The options of a run, or the exit status when the run ends with parsing: 0 after
// --help or --version, usage_error (with its message on `err`) for anything wrong.
std::variant<Options, int> parse_command_line(int argc, const char* const* argv, std::ostream& out,
                                              std::ostream& err);

}  // namespace quillon::batch
