// The block of lines printed about the model before every fit. It also sets up
// the fit's equation text (display form with function names encoded) and makes
// the first parser build.
#pragma once

#include "dialogue/console.h"
#include "dialogue/fit_state.h"
#include "models/model_evaluator.h"

namespace quillon::models {

void print_model_block(Console& console, FitState& fit, ModelEvaluator& ev);

}  // namespace quillon::models
