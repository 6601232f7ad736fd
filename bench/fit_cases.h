// The two data sets of the fit benchmarks, loaded and prepared as the program does,
// and each model's sum of squares written in C++ in the engine's arithmetic order.
#pragma once

#include <span>
#include <sstream>
#include <string>

#include "models/fit_state.h"
#include "models/model_evaluator.h"
#include "textio/console.h"

namespace quillon::bench {

struct FitCase {
  const char* label;
  const char* file;  // relative to the source tree
};

inline constexpr FitCase fit_cases[] = {
    {"help_example_m4 (35 obs, model 4)", "examples/help_example_m4.dat"},
    {"mixed_inhibition_1004 (1004 obs, model 6)", "bench/data/mixed_inhibition_1004.dat"},
    {"hill_sigmoidal (12 obs, model 2)", "examples/hill_sigmoidal.dat"},
};

struct Quiet {
  std::istringstream in;
  std::ostringstream out;
  textio::Console console{in, out};
};

// Imported, prepared and with the model set up, as a fit stands before its search.
models::FitState load_fit(const std::string& path, textio::Console& console,
                          models::ModelEvaluator& ev);

// The hand-written objective of the fit's model; throws for a model without one.
// Same arithmetic as the engine: operators of equal precedence group from the
// right, so a*b/c is a*(b/c).
double hand_ssq(models::FitState& fit, std::span<const double> p);

}  // namespace quillon::bench
