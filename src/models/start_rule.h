// Start values and bounds found from the data, for inputs that carry none (tables):
// deterministic, one rule per parameter role.
#pragma once

#include <array>
#include <span>
#include <string>
#include <variant>

#include "models/catalogue.h"

namespace quillon::models {

using Starts = std::array<Start, max_params>;

// Starts and bounds of model 1..6's parameters from its observations (x2 ignored by
// the models that read no X2), or a message saying why the data cannot give them.
std::variant<Starts, std::string> automatic_starts(int model, std::span<const double> x1,
                                                   std::span<const double> x2,
                                                   std::span<const double> y);

}  // namespace quillon::models
