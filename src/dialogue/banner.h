#pragma once

#include "dialogue/console.h"

namespace quillon {

// Prints the platform banner and sets status to 1.
void check_system_bitwidth(Console& console, int& status);

}  // namespace quillon
