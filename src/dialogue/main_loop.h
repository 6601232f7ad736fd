// The cycles of the program: one data file each, from the opening text to the
// continue prompt, and the closing screen after the last one.
#pragma once

#include "dialogue/settings.h"
#include "textio/console.h"

namespace quillon::dialogue {

// Runs cycles until the user quits, then shows the closing screen.
void main_loop(textio::Console& console, const ProgramSettings& settings);

}  // namespace quillon::dialogue
