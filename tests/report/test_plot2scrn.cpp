#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "report/plot2scrn.h"
#include "support/test_support.h"

namespace quillon::report::plot2scrn_mod {
namespace {

std::vector<std::string> draw(const std::string& title, const std::vector<double>& x,
                              const std::vector<double>& yobs, const std::vector<double>& ycalc) {
  testing::StringConsole sc;
  plot2scrn(sc.console, title, x, yobs, ycalc);
  return testing::split_crlf(sc.output());
}

// Lines 4..34 hold grid rows 30 down to 0.
const std::string& grid_row(const std::vector<std::string>& lines, int row) {
  return lines.at(4 + (30 - row));
}

TEST(Real2str, ShortensTheGeneralForm) {
  const struct {
    double v;
    const char* expected;
  } cases[] = {
      {0.0, "0"},         {105, "105"},         {52.5, "52.5"},
      {0.525, ".525"},    {0.0525, ".525E-1"},  {123456, ".12346E6"},
      {100000, ".1E6"},   {-52.5, "-52.5"},     {-0.0525, "-0.525E-1"},
      {1234.5, "1234.5"}, {367.5, "367.5"},     {735, "735"},
      {61740, "61740"},   {123480, ".12348E6"}, {0.138872, ".13887"},
      {1.0e-5, ".1E-4"},  {2.5e12, ".25E13"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.v);
    const std::string s = real2str(c.v);
    ASSERT_EQ(s.size(), 25u);
    EXPECT_EQ(s.substr(0, s.find_last_not_of(' ') + 1), c.expected);
  }
}

TEST(Plot2scrn, WholePlotOfASmallDataSet) {
  // Also covers points on the frame (column 0, the middle line) and on the dotted lines.
  const std::vector<double> x{0, 1, 2, 2.2, 3, 4};
  const std::vector<double> yobs{0, 1.0, 2.1, 2.3, 2.9, 4.0};
  const std::vector<double> ycalc{0.5, 1.0, 2.0, 2.2, 3.0, 4.0};
  testing::StringConsole sc;
  plot2scrn(sc.console, "SMALL TEST MODEL", x, yobs, ycalc);
  EXPECT_EQ(sc.output(),
            testing::crlf_lines(
                {" ",
                 "",
                 "                 SMALL TEST MODEL                                        ",
                 "                                                                    Y-VALUE",
                 " |.................................................................| 4.2      ",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                           *   |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |            x                  |",
                 " |                                 |            o                  |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |.................................o...............................| 2.1      ",
                 " |                                 x                               |",
                 " |                              *  |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |               *                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " x                                 |                               |",
                 " |                                 |                               |",
                 " |                                 |                               |",
                 " o.................................................................| 0        ",
                 "     0                              2.1                             4.2",
                 "",
                 "                                X-VALUE",
                 "",
                 "  Legend: o = observed    x = fitted    * = overlap"}));
}

TEST(Plot2scrn, OverlapMarksAndLabels) {
  // Two observations in one cell, a fitted point on an observed one, a label cut to five.
  const std::vector<double> x{100000, 100100, 117600};
  const std::vector<double> yobs{10, 10, 20};
  const std::vector<double> ycalc{5, 6, 20};
  const auto lines = draw(std::string(60, 'T') + "END", x, yobs, ycalc);
  ASSERT_EQ(lines.size(), 40u);
  EXPECT_EQ(lines[2], std::string(17, ' ') + std::string(56, 'T'));
  const std::string& top = grid_row(lines, 27);
  EXPECT_EQ(top[1 + 62], '*');  // observed then fitted at the largest X1
  int col = static_cast<int>((100000 + 0.01 * 123480) * 65 / 123480);
  EXPECT_EQ(grid_row(lines, 14)[1 + col], '*');  // the two observations at Y = 10
  EXPECT_EQ(lines[35], "     0" + std::string(28, ' ') + "61740" + std::string(27, ' ') + ".1234");
}

TEST(Plot2scrn, NoPositiveExtentDrawsFrameOnly) {
  const std::vector<double> x{1, 2, 3};
  const std::vector<double> zeros{0, 0, 0};
  const auto lines = draw("FLAT", x, zeros, zeros);
  ASSERT_EQ(lines.size(), 40u);
  EXPECT_EQ(grid_row(lines, 30),
            " |.................................................................| 0        ");
  EXPECT_EQ(grid_row(lines, 16),
            " |.................................|...............................| 0        ");
  EXPECT_EQ(grid_row(lines, 0),
            " |.................................................................| 0        ");
  const auto negative_x = draw("NEG", {-1, -2}, {1, 2}, {1, 2});
  for (int row = 0; row <= 30; ++row) {
    EXPECT_EQ(grid_row(negative_x, row).find_first_of("ox*"), std::string::npos) << row;
  }
}

TEST(Plot2scrn, NotANumberIsSkippedAndValuesBelowZeroStayInTheFirstCell) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<double> x{-0.001, 1, 2};
  const std::vector<double> yobs{nan, 1, -0.01};
  const std::vector<double> ycalc{nan, 1, -5};
  const auto lines = draw("T", x, yobs, ycalc);
  EXPECT_EQ(grid_row(lines, 30).substr(68), " 1.05     ");
  // (2, -0.01) is drawn in row 0; (2, -5) is not drawn at all.
  const int col = static_cast<int>((2 + 0.021) * 65 / 2.1);
  EXPECT_EQ(grid_row(lines, 0)[1 + col], 'o');
  int marks = 0;
  for (int row = 0; row <= 30; ++row) {
    for (char c : grid_row(lines, row))
      marks += c == 'o' || c == 'x' || c == '*';
  }
  EXPECT_EQ(marks, 2);  // the point at X = 1 (overlap) and the one just below zero
}

}  // namespace
}  // namespace quillon::report::plot2scrn_mod
