// Setting up the fit's model equation, and the block of lines printed about the
// model before every fit.
#pragma once

#include <string>

#include "models/fit_state.h"
#include "models/model_evaluator.h"
#include "textio/console.h"

namespace quillon::models {

// The model equation as the fit uses it.
struct ModelSetup {
  std::string equation;  // display form: no blanks, upper case
  std::string encoded;   // the same with the variables as the engine's letters
};

// Puts the equation of fit.model into fit.eq (display form, function names encoded)
// and makes the first parser build, which gives the encoded text.
ModelSetup set_up_model(FitState& fit, ModelEvaluator& ev);

void print_model_block(textio::Console& console, const FitState& fit, const ModelSetup& setup);

}  // namespace quillon::models
