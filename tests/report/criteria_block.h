// The information-criteria block for ten observations y = 1..10, two parameters and
// SSQ0 = 1: printed on its own and inside the uncertainty section.
#pragma once

#include <string>
#include <vector>

namespace quillon::testing {

inline std::vector<std::string> criteria_lines_ten_points() {
  return {" Akaike information criterion and corrected AIC:",
          " The lowest value, including negative values, is the best curve-fit.",
          "  AIC          =  -1.9026E+01",
          " AICc          =  -1.7312E+01",
          "",
          " Model Selection criterion MSC:",
          " The MSC is a normalized algebraic transformation of the",
          " Akaike Information Criterion (AIC). MSC acts as an information",
          " loss metric standardized to the total variance of your dataset",
          " and penalized for small sample sizes.",
          " The lowest value, including negative values, is the best curve-fit.",
          "  MSC          =  -3.8414E+00",
          ""};
}

}  // namespace quillon::testing
