#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/weighting.h"

namespace quillon::models {
namespace {

TEST(ObservationWeights, WeightsOfEachKindInTheObservationsOrder) {
  const struct {
    Weighting weighting;
    std::vector<double> x1, x2, y, expected;
  } cases[] = {
      {Weighting::none, {1, 2}, {}, {3, 4}, {}},
      {Weighting::inverse_y, {1, 2, 3}, {}, {2, -4, 0.5}, {0.5, 0.25, 2}},
      {Weighting::inverse_y2, {1, 2, 3}, {}, {2, -4, 0.5}, {0.25, 0.0625, 4}},
      // Levels interleaved: variance 2 at X1 = 1, 4 at X1 = 2 (n - 1 in the divisor).
      {Weighting::inverse_variance,
       {1, 2, 1, 2, 2},
       {},
       {1, 2, 3, 4, 6},
       {0.5, 0.25, 0.5, 0.25, 0.25}},
      // Equal X1 but another X2 is another level.
      {Weighting::inverse_variance,
       {1, 1, 1, 1},
       {0, 5, 0, 5},
       {1, 2, 3, 6},
       {0.5, 0.125, 0.5, 0.125}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(weighting_name(c.weighting)));
    const auto weights = observation_weights(c.weighting, c.x1, c.x2, c.y);
    ASSERT_TRUE(std::holds_alternative<std::vector<double>>(weights))
        << std::get<std::string>(weights);
    EXPECT_EQ(std::get<std::vector<double>>(weights), c.expected);
  }
}

TEST(ObservationWeights, DataWithoutWeightsAreRefusedNamingTheObservation) {
  const struct {
    Weighting weighting;
    std::vector<double> x1, x2, y;
    const char* message;
  } cases[] = {
      {Weighting::inverse_y2, {0.5, 1, 2}, {}, {1, 0, 2}, "the rate at [S] = 1 is 0"},
      {Weighting::inverse_y, {0.5, 1, 2}, {}, {1, -0.0, 2}, "the rate at [S] = 1 is 0"},
      {Weighting::inverse_y2, {0.5, 1}, {}, {1e-200, 2}, "rate 1e-200 at [S] = 0.5 is too small"},
      {Weighting::inverse_variance,
       {1, 1, 2},
       {},
       {1, 3, 2},
       "at least two replicates at every level, but [S] = 2 has one rate"},
      {Weighting::inverse_variance,
       {1, 1, 1},
       {0, 0, 5},
       {1, 3, 2},
       "but [S] = 1, [I] = 5 has one rate"},
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

TEST(ObservationWeights, NamesReadBack) {
  for (const Weighting w :
       {Weighting::none, Weighting::inverse_y, Weighting::inverse_y2, Weighting::inverse_variance})
    EXPECT_EQ(find_weighting(weighting_name(w)), w);
  EXPECT_EQ(find_weighting("1/x"), std::nullopt);
}

}  // namespace
}  // namespace quillon::models
