// The steps of a fit after its data are prepared: model set-up and block, search,
// and report (residual table, plot, uncertainty section), in that order.
#pragma once

#include "dialogue/settings.h"
#include "models/fit_state.h"
#include "models/model_evaluator.h"
#include "textio/console.h"

namespace quillon::dialogue {

void run_fit_stages(textio::Console& console, models::FitState& state,
                    models::ModelEvaluator& evaluator, const ProgramSettings& settings = {});

}  // namespace quillon::dialogue
