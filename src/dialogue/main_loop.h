// The cycles of the program: one data file each, from the opening text to the
// continue prompt, and the closing screen after the last one.
#pragma once

#include "dialogue/console.h"
#include "dialogue/fit_state.h"
#include "dialogue/settings.h"

namespace quillon {

// Runs cycles until the user quits, then shows the closing screen.
void main_loop(Console& console, const ProgramSettings& settings);

// Copies the imported observations into the working arrays sorted by ascending X1
// and fills the values vector. False, after saying so, when the file holds more
// observations than a fit can take.
bool prepare_data(Console& console, FitState& state);

}  // namespace quillon
