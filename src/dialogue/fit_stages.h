// The stages between data preparation and the continue prompt: model block,
// search, residual table, plot and uncertainty section, in that order.
#pragma once

#include "dialogue/console.h"
#include "dialogue/fit_state.h"
#include "dialogue/settings.h"
#include "models/model_evaluator.h"

namespace quillon {

void run_fit_stages(Console& console, FitState& state, models::ModelEvaluator& evaluator,
                    const ProgramSettings& settings = {});

}  // namespace quillon
