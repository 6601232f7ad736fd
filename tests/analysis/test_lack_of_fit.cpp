#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/lack_of_fit.h"
#include "batch/table_data.h"
#include "batch/table_expected.h"

namespace quillon::analysis {
namespace {

TEST(LackOfFit, AgreesWithRsPureErrorModel) {
  int tested = 0;
  for (const auto& table : testing::table_expected) {
    SCOPED_TRACE(std::string(table.file));
    const auto data = testing::read_table_data(
        QUILLON_SOURCE_DIR "/tests/batch/data/tables/" + std::string(table.file),
        table.model <= 2 ? 1 : 2);
    const auto test = lack_of_fit(data.x1, data.x2, data.y, table.ssq, table.np);
    EXPECT_EQ(test.levels, table.levels);
    EXPECT_EQ(test.df_pure, table.n - table.levels);
    EXPECT_EQ(test.df_lack, table.levels - table.np);
    EXPECT_NEAR(test.pure_error, table.pure_error, 1e-12 * table.ssq);
    ASSERT_EQ(test.p.has_value(), !std::isnan(table.lack_of_fit_p));
    if (!test.p)
      continue;
    ++tested;
    EXPECT_NEAR(*test.f, table.lack_of_fit_f, 1e-9 * table.lack_of_fit_f);
    EXPECT_NEAR(*test.p, table.lack_of_fit_p, 1e-9 * table.lack_of_fit_p);
  }
  EXPECT_EQ(tested, 3);  // mm, puromycin, and the two-X replicates
}

TEST(LackOfFit, NoTestWithoutDegreesOfFreedomOrScatter) {
  const double none = testing::nan;
  const struct {
    const char* what;
    std::vector<double> x1, x2, y;
    double ssq;
    int replicates, levels;
    double p;
  } rows[] = {
      {"no replicates", {1, 2, 3, 4}, {}, {1, 2, 3, 4}, 1, 1, 4, none},
      {"X2 tells levels apart", {1, 1, 2, 2}, {0, 5, 0, 5}, {1, 2, 3, 4}, 1, 1, 4, none},
      {"as many levels as parameters", {1, 1, 2, 2}, {}, {1, 2, 3, 4}, 1, 2, 2, none},
      {"replicates agree exactly", {1, 1, 2, 2, 3, 3}, {}, {1, 1, 3, 3, 4, 4}, 1, 2, 3, none},
      // Pure error 2.5: a smaller sum of squares is no lack of fit.
      {"tested", {1, 1, 2, 3, 3, 3}, {}, {1, 2, 3, 4, 6, 5}, 1, 3, 3, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const auto test = lack_of_fit(row.x1, row.x2, row.y, row.ssq, 2);
    EXPECT_EQ(test.replicates, row.replicates);
    EXPECT_EQ(test.levels, row.levels);
    EXPECT_EQ(test.f.has_value(), !std::isnan(row.p));
    EXPECT_EQ(test.p.value_or(none) == row.p, !std::isnan(row.p));
  }
}

}  // namespace
}  // namespace quillon::analysis
