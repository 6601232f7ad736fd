#pragma once

#include <istream>
#include <ostream>

#include "dialogue/settings.h"

namespace quillon::dialogue {

// Runs the whole program on the given streams and returns the exit status.
int run_program(std::istream& in, std::ostream& out, std::ostream& err,
                const ProgramSettings& settings = {});

}  // namespace quillon::dialogue
