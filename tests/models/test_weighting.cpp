#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/weighting.h"

namespace quillon::models {
namespace {

// What the fits of tests/batch/data/weights do not meet: a negative rate, and
// levels interleaved and told apart by X2 alone (variances 2 and 8, n - 1).
TEST(ObservationWeights, NegativeRatesAndLevelsOfX2) {
  const auto of = [](Weighting w, std::vector<double> x1, std::vector<double> x2,
                     std::vector<double> y) {
    return std::get<std::vector<double>>(observation_weights(w, x1, x2, y));
  };
  EXPECT_EQ(of(Weighting::inverse_y, {1, 2}, {}, {2, -4}), (std::vector<double>{0.5, 0.25}));
  EXPECT_EQ(of(Weighting::inverse_variance, {1, 1, 1, 1}, {0, 5, 0, 5}, {1, 2, 3, 6}),
            (std::vector<double>{0.5, 0.125, 0.5, 0.125}));
}

TEST(ObservationWeights, DataWithoutWeightsAreRefusedNamingTheObservation) {
  const struct {
    Weighting weighting;
    std::vector<double> x1, x2, y;
    const char* message;
  } cases[] = {
      {Weighting::inverse_y2, {0.5, 1, 2}, {}, {1, 0, 2}, "the rate at [S] = 1 is 0"},
      {Weighting::inverse_y2, {0.5, 1}, {}, {1e-200, 2}, "rate 1e-200 at [S] = 0.5 is too small"},
      {Weighting::inverse_variance,
       {1, 1, 1},
       {0, 0, 5},
       {1, 3, 2},
       "at least two replicates at every level, but [S] = 1, [I] = 5 has one rate"},
      {Weighting::inverse_variance,
       {1, 1, 2, 2},
       {},
       {1, 3, 2, 2},
       "the replicates at [S] = 2 are all equal"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const auto weights = observation_weights(c.weighting, c.x1, c.x2, c.y);
    ASSERT_TRUE(std::holds_alternative<std::string>(weights));
    EXPECT_NE(std::get<std::string>(weights).find(c.message), std::string::npos)
        << std::get<std::string>(weights);
  }
}

}  // namespace
}  // namespace quillon::models
