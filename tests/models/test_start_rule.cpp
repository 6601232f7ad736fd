#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "batch/table_data.h"
#include "batch/table_expected.h"
#include "models/start_rule.h"

namespace quillon::models {
namespace {

Starts starts_of(int model, const std::vector<double>& x1, const std::vector<double>& x2,
                 const std::vector<double>& y) {
  auto result = automatic_starts(model, x1, x2, y);
  if (const auto* message = std::get_if<std::string>(&result))
    ADD_FAILURE() << *message;
  return std::holds_alternative<Starts>(result) ? std::get<Starts>(result) : Starts{};
}

TEST(StartRule, RsOptimumOfEveryTableLiesWellInsideTheBounds) {
  for (const auto& table : testing::table_expected) {
    SCOPED_TRACE(std::string(table.file));
    const auto data = testing::read_table_data(
        QUILLON_SOURCE_DIR "/tests/batch/data/tables/" + std::string(table.file),
        table.model <= 2 ? 1 : 2);
    ASSERT_EQ(data.y.size(), static_cast<std::size_t>(table.n));
    const Starts starts = starts_of(table.model, data.x1, data.x2, data.y);
    for (int k = 0; k < table.np; ++k) {
      SCOPED_TRACE(parameter_name(table.model, k));
      const Start& s = starts[static_cast<std::size_t>(k)];
      const double best = table.p[static_cast<std::size_t>(k)];
      EXPECT_LE(s.lower, s.initial);
      EXPECT_LE(s.initial, s.upper);
      // Same sign as the optimum: a Hill start on the wrong side of 0 cannot reach it.
      EXPECT_GT(s.initial * best, 0.0);
      EXPECT_GT(best - s.lower, 1e-3 * std::abs(best));
      EXPECT_GT(s.upper - best, 1e-3 * std::abs(best));
    }
  }
}

TEST(StartRule, HalfSaturationAndMaxRateFromTheLevelMeans) {
  const struct {
    const char* what;
    int model;
    std::vector<double> x1, x2, y;
    double km, vmax;
  } rows[] = {
      // Means 2, 8, 10: half of 10 is crossed halfway from 1 to 4 in log X1.
      {"log crossing", 1, {1, 1, 4, 16}, {}, {1, 3, 8, 10}, 2, 10},
      {"saturated: smallest X1", 1, {0, 2, 4, 8}, {}, {0, 9, 10, 9.5}, 2, 10},
      {"inhibited levels ignored", 3, {1, 4, 1, 4, 16}, {0, 0, 5, 5, 0}, {2, 8, 0.1, 6, 10}, 2, 10},
      {"falling Hill: largest X1", 2, {1, 2, 4, 8}, {}, {10, 9, 8, 7}, 8, 10},
      {"falling Hill crossing",
       2,
       {1, 10, 100, 1000},
       {},
       {100, 80, 20, 5},
       31.622776601683793,
       100},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const Starts s = starts_of(row.model, row.x1, row.x2, row.y);
    EXPECT_NEAR(s[0].initial, row.km, 1e-12 * row.km);
    EXPECT_EQ(s[1].initial, row.vmax);
  }
}

TEST(StartRule, HillSignFollowsTheRankCorrelation) {
  const struct {
    std::vector<double> x1, y;
    double n;
  } rows[] = {
      {{1, 2, 3, 4}, {1, 3, 2, 4}, 1},
      {{1, 2, 3, 4}, {1, 2, 2, 1}, 1},  // no correlation: rising
      {{1, 1, 2, 2}, {2, 3, 1, 1}, -1},
  };
  for (const auto& row : rows)
    EXPECT_EQ(starts_of(2, row.x1, {}, row.y)[2].initial, row.n);
}

TEST(StartRule, InhibitionConstantsFromThePositiveX2) {
  // X2 1 three times, 3 and 10: the median of the levels, not of the observations.
  const Starts s =
      starts_of(6, {1, 2, 1, 2, 1, 2, 1}, {0, 0, 1, 1, 1, 3, 10}, {5, 8, 4, 3, 3, 1, 1});
  const Start expected[] = {{1, 1e-3, 2e3}, {8, 0, 80}, {3, 1e-3, 1e4}, {3, 1e-3, 1e4}};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(s[k].initial, expected[k].initial);
    EXPECT_EQ(s[k].lower, expected[k].lower);
    EXPECT_EQ(s[k].upper, expected[k].upper);
  }
}

TEST(StartRule, DataThatCannotGiveStartsIsRefused) {
  const struct {
    int model;
    std::vector<double> x1, x2, y;
  } rows[] = {
      {1, {0, -1, 0}, {}, {1, 2, 3}},                 // no positive X1
      {1, {1, 2, 3}, {}, {0, 0, 0}},                  // all rates zero
      {2, {1, 2, 3, 4}, {}, {-1, -2, -3, 0}},         // largest mean not positive
      {3, {1, 2, 3, 4}, {0, 0, 0, 0}, {1, 2, 3, 4}},  // no positive X2
      {3, {1, 2, 3}, {0, 1, 1}, {1, 2, 3}},           // 3 parameters need 4 observations
      {7, {1, 2, 3}, {}, {1, 2, 3}},
  };
  for (const auto& row : rows) {
    const auto result = automatic_starts(row.model, row.x1, row.x2, row.y);
    ASSERT_TRUE(std::holds_alternative<std::string>(result));
    const auto& message = std::get<std::string>(result);
    EXPECT_EQ(message.find(';'), std::string::npos) << message;
    EXPECT_EQ(message.back(), '.') << message;
  }
}

// The roles beyond Km and Vmax, each by its model's shape: a falling curve's baseline is
// its last level, substrate inhibition shows at the top of [S], a tight binder falls.
TEST(StartRule, BaselineSubstrateInhibitionAndTightBinding) {
  const auto model = [](std::string_view key) { return find_model(key)->number; };
  const struct {
    const char* what;
    int model;
    std::vector<double> x1, y;
    std::vector<Start> starts;
  } rows[] = {
      {"falling 4pl",
       model("4pl"),
       {1, 10, 100, 1000, 1000},
       {100, 80, 30, 11, 13},
       {{12, -1000, 1000}, {100, 0, 1000}, {30.199517204020164, 1e-3, 1e6}, {-1, -10, -0.1}}},
      {"rising 4pl",
       model("4pl"),
       {1, 10, 100, 1000, 1000},
       {5, 20, 70, 90, 90},
       {{5, -900, 900}, {90, 0, 900}, {35.481338923357555, 1e-3, 1e6}, hill_neutral_n}},
      {"substrate inhibition",
       model("substrate-inhibition"),
       {0.5, 1, 2, 4, 8},
       {5, 8, 10, 9, 7},
       {{0.5, 5e-4, 8000}, {10, 0, 100}, {8, 5e-4, 8000}}},
      {"tight binding",
       model("tight-binding"),
       {0, 1, 2, 4, 8},
       {10, 8, 6, 5, 2},
       {{10, 0, 100}, {4, 1e-3, 8000}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const Starts s = starts_of(row.model, row.x1, {}, row.y);
    for (std::size_t k = 0; k < row.starts.size(); ++k) {
      SCOPED_TRACE(k);
      EXPECT_NEAR(s[k].initial, row.starts[k].initial, 1e-12 * std::abs(row.starts[k].initial));
      EXPECT_DOUBLE_EQ(s[k].lower, row.starts[k].lower);
      EXPECT_DOUBLE_EQ(s[k].upper, row.starts[k].upper);
    }
  }
}

}  // namespace
}  // namespace quillon::models
