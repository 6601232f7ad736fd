#pragma once

#include "textio/console.h"

namespace quillon::dialogue {

// Prints the platform banner.
void check_system_bitwidth(textio::Console& console);

}  // namespace quillon::dialogue
