// Weights of the observations for a weighted least-squares fit (the batch's
// --weight): the objective becomes the sum of w (y - f)^2. The interactive program
// never weights.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillon::models {

enum class Weighting {
  none,              // every weight 1
  inverse_y,         // 1 / |y|
  inverse_y2,        // 1 / y^2: relative errors
  inverse_variance,  // 1 / SD^2 of the replicates at the observation's level
};

// As the command line and the summary write it: "none", "1/y", "1/y2", "1/sd2".
std::string_view weighting_name(Weighting w);
std::optional<Weighting> find_weighting(std::string_view name);

// The weight of each of n observations (x2 empty for one-X models), in their order;
// empty for Weighting::none. A level is the observations of equal X1 and X2. Every
// weight returned is finite and positive; otherwise the message says which
// observation or level has none.
std::variant<std::vector<double>, std::string> observation_weights(Weighting w,
                                                                   std::span<const double> x1,
                                                                   std::span<const double> x2,
                                                                   std::span<const double> y);

}  // namespace quillon::models
