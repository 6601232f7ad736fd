#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "report/criteria_block.h"
#include "report/fit_report.h"
#include "support/test_support.h"

namespace quillon::report {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

TEST(InformationCriteria, ValuesAndClamps) {
  const std::vector<double> ten{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // SST = 82.5
  const std::vector<double> flat(10, 4.0);
  const std::vector<double> pair{1, 3};  // SST = 2
  const struct {
    const char* name;
    int n, p;
    double ssq0;
    const std::vector<double>* y;
    double aic, aicc, msc;
  } cases[] = {
      {"n=10 p=2 ssq0=1", 10, 2, 1.0, &ten, 4 + 10 * std::log(0.1),
       4 + 10 * std::log(0.1) + 12.0 / 7, std::log(1 / 82.5) + 4.0 / 7},
      {"exact fit", 10, 2, 0.0, &ten, -inf, -inf, -1.0e20},
      {"no degrees of freedom left", 3, 2, 1.0, &ten, 4 + 3 * std::log(1.0 / 3), inf, 1.0e20},
      {"all Y equal", 10, 2, 1.0, &flat, 4 + 10 * std::log(0.1), 4 + 10 * std::log(0.1) + 12.0 / 7,
       1.0e20},
      {"all Y equal and exact", 10, 2, 0.0, &flat, -inf, -inf, 1.0e20},
      {"zero MSC lifted", 2, 0, 2.0, &pair, 0.0, 0.0, 1.0e-20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto ic = information_criteria(c.n, c.p, c.ssq0, *c.y);
    EXPECT_DOUBLE_EQ(ic.aic, c.aic);
    EXPECT_DOUBLE_EQ(ic.aicc, c.aicc);
    EXPECT_DOUBLE_EQ(ic.msc, c.msc);
  }
}

// MSC's total sum of squares is weighted about the weighted mean: y = 1, 3 with
// weights 1, 3 have mean 2.5 and total 1 * 1.5^2 + 3 * 0.5^2 = 3.
TEST(InformationCriteria, WeightedTotalIsAboutTheWeightedMean) {
  const std::vector<double> y{1, 3};
  const auto ic = information_criteria(2, 0, 1.5, y, y);
  EXPECT_DOUBLE_EQ(ic.aic, 2 * std::log(0.75));
  EXPECT_DOUBLE_EQ(ic.msc, std::log(0.5));
}

TEST(InformationCriteria, PrintedBlock) {
  testing::StringConsole sc;
  const std::vector<double> ten{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  write_information_criteria(sc.console, information_criteria(10, 2, 1.0, ten));
  EXPECT_EQ(sc.output(), testing::crlf_lines(testing::criteria_lines_ten_points()));
}

TEST(InformationCriteria, NonFiniteValuesPrintAsWords) {
  testing::StringConsole sc;
  const std::vector<double> ten{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  write_information_criteria(sc.console, information_criteria(10, 2, 0.0, ten));
  const std::string out = sc.output();
  EXPECT_NE(out.find("  AIC          =    -Infinity\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find(" AICc          =    -Infinity\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  MSC          =  -1.0000E+20\r\n"), std::string::npos) << out;
}

}  // namespace
}  // namespace quillon::report
