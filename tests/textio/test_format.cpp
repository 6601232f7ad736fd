// Expected fields were produced by gfortran with the same descriptors, except the
// rows marked "by the rounding rule" where gfortran's G rounds the decimal text twice.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "textio/format.h"

namespace quillon::textio {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

using Kind = FormatItem::Kind;

TEST(ParseFormat, CaseAndBlanksCarryNoMeaning) {
  const Format a = parse_format("(1x, a5, 28x, a5, 27x, a5)");
  const Format b = parse_format("(1X,A5,28X,A5,27X,A5)");
  ASSERT_EQ(a.items.size(), b.items.size());
  for (std::size_t i = 0; i < a.items.size(); ++i) {
    EXPECT_EQ(a.items[i].kind, b.items[i].kind);
    EXPECT_EQ(a.items[i].width, b.items[i].width);
  }
  EXPECT_EQ(a.items[2].kind, Kind::skip);
  EXPECT_EQ(a.items[2].width, 28);
}

TEST(ParseFormat, ItemsCountsAndReversion) {
  const Format f = parse_format("(2X,A2,I1,5ES17.6)");
  ASSERT_EQ(f.items.size(), 4u);
  EXPECT_EQ(f.items[3].kind, Kind::scientific);
  EXPECT_EQ(f.items[3].repeat, 5);
  EXPECT_EQ(f.items[3].width, 17);
  EXPECT_EQ(f.items[3].digits, 6);
  EXPECT_EQ(f.reversion, 0u);
  EXPECT_FALSE(f.keep_open);

  const Format g = parse_format("(A, 3(A5,3X), 1X,A)");
  ASSERT_EQ(g.items.size(), 4u);
  EXPECT_EQ(g.items[1].kind, Kind::group);
  EXPECT_EQ(g.items[1].repeat, 3);
  ASSERT_EQ(g.items[1].items.size(), 2u);
  EXPECT_EQ(g.reversion, 1u);

  EXPECT_TRUE(parse_format("(2X,A$)").keep_open);
  EXPECT_EQ(parse_format("(/a/)").items.size(), 3u);
  EXPECT_EQ(parse_format("(A)").items[0].width, -1);
  EXPECT_EQ(parse_format("(tr68, a)").items[0].width, 68);
  FormatCache cache;
  EXPECT_EQ(&cache.get("(A,I0,A)"), &cache.get("(A,I0,A)"));
}

TEST(ParseFormat, MalformedFormatsNameTheColumn) {
  struct Row {
    const char* format;
    const char* column;
  };
  const std::vector<Row> rows = {
      {"A5", "column 1"},           {"(A5", "column 4"},  {"(A5,)", "column 5"},
      {"(Q5)", "column 2"},         {"(F5)", "column 4"}, {"(F5.)", "column 5"},
      {"(ES5.2,E5.2)", "column 9"}, {"(I)", "column 3"},  {"(A0)", "column 3"},
      {"(A5 I3)", "column 5"},      {"(0A)", "column 3"}, {"(A)x", "column 4"},
      {"(G12.0)", "column 7"},      {"(2$)", "column 3"}, {"(99999A)", "column 6"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    try {
      parse_format(row.format);
      ADD_FAILURE() << "no error";
    } catch (const std::logic_error& e) {
      EXPECT_NE(std::string(e.what()).find(std::string(row.column) + ":"), std::string::npos)
          << e.what();
    }
  }
}

struct RealRow {
  double value;
  int width;
  int digits;
  const char* expected;
};

void check_rows(const char* name, std::string (*render)(double, int, int),
                const std::vector<RealRow>& rows) {
  for (const RealRow& row : rows) {
    SCOPED_TRACE(std::string(name) + std::to_string(row.width) + "." + std::to_string(row.digits) +
                 " of " + std::to_string(row.value));
    EXPECT_EQ(render(row.value, row.width, row.digits), row.expected);
  }
}

TEST(RenderFixed, Values) {
  check_rows("F", render_fixed,
             {
                 {0.0, 5, 1, "  0.0"},
                 {2.5, 5, 1, "  2.5"},
                 {99.5, 5, 1, " 99.5"},
                 {-1234.5, 12, 4, "  -1234.5000"},
                 {123456.0, 12, 4, " 123456.0000"},
                 {0.05, 12, 4, "      0.0500"},
                 {-0.0005, 12, 4, "     -0.0005"},
                 {1e-100, 5, 2, " 0.00"},
                 {3.6, 4, 0, "  4."},
                 {0.5, 2, 0, "0."},
                 {0.999995, 2, 0, "1."},
             });
}

TEST(RenderFixed, RoundingTiesAndCarries) {
  check_rows("F", render_fixed,
             {
                 {0.125, 5, 2, " 0.12"},  // exact tie: to even
                 {0.375, 5, 2, " 0.38"},
                 {2.5, 4, 0, "  2."},
                 {99.5, 4, 0, "100."},
                 {0.05, 5, 1, "  0.1"},  // binary value lies above the tie
                 {0.15, 5, 1, "  0.1"},  // binary value lies below the tie
                 {9.9999995, 5, 1, " 10.0"},
                 {9.9999995, 12, 4, "     10.0000"},
                 {-9.9999995, 12, 4, "    -10.0000"},
                 {0.999995, 5, 2, " 1.00"},
             });
}

TEST(RenderFixed, SignsOfZeroAndTheOptionalLeadingZero) {
  check_rows("F", render_fixed,
             {
                 {-0.04, 5, 1, " -0.0"},
                 {-0.0, 5, 1, " -0.0"},
                 {-0.0005, 5, 2, "-0.00"},
                 {-0.0, 4, 0, " -0."},
                 {0.5, 3, 1, "0.5"},
                 {-0.5, 3, 1, "-.5"},
                 {-0.04, 3, 1, "-.0"},
                 {-0.5, 2, 0, "**"},
                 {0.0, 1, 0, "*"},
             });
}

TEST(RenderFixed, Overflow) {
  check_rows("F", render_fixed,
             {
                 {1234.5, 5, 1, "*****"},
                 {-9.9999995, 5, 2, "*****"},
                 {99.5, 3, 1, "***"},
                 {1e100, 12, 4, "************"},
                 {-1e300, 5, 1, "*****"},
                 {std::numeric_limits<double>::max(), 12, 4, "************"},
             });
}

TEST(RenderScientific, Values) {
  check_rows("ES", render_scientific,
             {
                 {123.456, 14, 6, "  1.234560E+02"},
                 {0.0, 14, 6, "  0.000000E+00"},
                 {0.0, 12, 4, "  0.0000E+00"},
                 {-0.0, 12, 4, " -0.0000E+00"},
                 {-1234.5, 12, 4, " -1.2345E+03"},
                 {-0.04, 14, 6, " -4.000000E-02"},
                 {123456.0, 12, 4, "  1.2346E+05"},
                 {0.0999996, 12, 4, "  1.0000E-01"},
                 {99.5, 10, 0, "    1.E+02"},
                 {-0.0005, 10, 0, "   -5.E-04"},
             });
}

TEST(RenderScientific, RoundingEdgesAndExponentWidths) {
  check_rows("ES", render_scientific,
             {
                 {9.9999995, 14, 6, "  9.999999E+00"},  // binary value lies below the tie
                 {9.9999995, 12, 4, "  1.0000E+01"},
                 {99999.5, 12, 4, "  1.0000E+05"},
                 {0.125, 10, 1, "   1.2E-01"},
                 {1e-100, 14, 6, "  1.000000-100"},
                 {1e100, 12, 4, "  1.0000+100"},
                 {-1e300, 12, 4, " -1.0000+300"},
                 {2.2250738585072014e-308, 14, 6, "  2.225074-308"},
                 {std::numeric_limits<double>::max(), 12, 4, "  1.7977+308"},
                 {1e99, 12, 4, "  1.0000E+99"},
                 {1e100, 10, 4, "1.0000+100"},
                 {-1e300, 10, 4, "**********"},
                 {-0.5, 10, 4, "**********"},
             });
}

TEST(RenderGeneral, FixedAndExponentForms) {
  check_rows("G", render_general,
             {
                 {1234.5, 12, 5, "  1234.5    "},
                 {-1234.5, 12, 5, " -1234.5    "},
                 {0.0, 12, 5, "  0.0000    "},
                 {-0.0, 12, 5, " -0.0000    "},
                 {123456.0, 12, 5, " 0.12346E+06"},
                 {0.125, 12, 5, " 0.12500    "},
                 {-0.5, 12, 5, "-0.50000    "},
                 {2.5, 12, 5, "  2.5000    "},
                 {99.5, 12, 5, "  99.500    "},
                 {-0.04, 12, 5, "-0.40000E-01"},
                 {-0.0005, 15, 7, " -0.5000000E-03"},
                 {123456.0, 15, 7, "   123456.0    "},
                 {1e-100, 12, 5, " 0.10000E-99"},
                 {1e100, 12, 5, " 0.10000+101"},
                 {-1e300, 12, 5, "-0.10000+301"},
                 {std::numeric_limits<double>::max(), 12, 5, " 0.17977+309"},
             });
}

TEST(RenderGeneral, SwitchAfterRounding) {
  check_rows("G", render_general,
             {
                 {0.1, 12, 5, " 0.10000    "},
                 {0.099999, 12, 5, " 0.99999E-01"},
                 {0.0999996, 12, 5, " 0.10000    "},  // rounds up into [0.1, 1)
                 {0.09999949, 12, 5, " 0.99999E-01"},
                 {99999.49, 12, 5, "  99999.    "},
                 {99999.5, 12, 5, " 0.10000E+06"},  // rounds up to 10**5
                 {9.9999995, 12, 5, "  10.000    "},
                 // By the rounding rule: the binary values lie just below the ties, so
                 // five (seven) significant digits give 0.99999 (9.999999); gfortran
                 // writes 1.0000 and 10.00000.
                 {0.999995, 12, 5, " 0.99999    "},
                 {9.9999995, 15, 7, "   9.999999    "},
             });
}

TEST(RenderGeneral, NarrowFields) {
  check_rows("G", render_general,
             {
                 {123456.0, 10, 5, ".12346E+06"},
                 {0.125, 10, 5, ".12500    "},
                 {-0.0, 10, 5, "-.0000    "},
                 {-0.5, 10, 5, "**********"},
                 {-1234.5, 10, 5, "**********"},
                 {0.0, 8, 5, "********"},
                 {99999.4, 8, 5, "********"},
                 {-1e300, 10, 5, "**********"},
             });
}

TEST(RenderReal, NonFiniteByWidth) {
  struct Row {
    double value;
    int width;
    const char* expected;
  };
  const std::vector<Row> rows = {
      {inf, 2, "**"},
      {inf, 3, "Inf"},
      {inf, 7, "    Inf"},
      {inf, 8, "Infinity"},
      {inf, 12, "    Infinity"},
      {-inf, 3, "***"},
      {-inf, 4, "-Inf"},
      {-inf, 8, "    -Inf"},
      {-inf, 9, "-Infinity"},
      {-inf, 12, "   -Infinity"},
      {nan, 2, "**"},
      {nan, 3, "NaN"},
      {nan, 12, "         NaN"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.value) + " in width " + std::to_string(row.width));
    EXPECT_EQ(render_fixed(row.value, row.width, 1), row.expected);
    if (row.width > 1) {
      EXPECT_EQ(render_scientific(row.value, row.width, 1), row.expected);
      EXPECT_EQ(render_general(row.value, row.width, 1), row.expected);
    }
  }
}

TEST(RenderOther, TextIntegerLogical) {
  EXPECT_EQ(render_text("abcdefgh", 5), "abcde");
  EXPECT_EQ(render_text("abc", 8), "     abc");
  EXPECT_EQ(render_text("abc  ", -1), "abc  ");
  EXPECT_EQ(render_text("", 3), "   ");
  EXPECT_EQ(render_integer(123, 2), "**");
  EXPECT_EQ(render_integer(-12345, 6), "-12345");
  EXPECT_EQ(render_integer(-123456, 6), "******");
  EXPECT_EQ(render_integer(-5, 0), "-5");
  EXPECT_EQ(render_integer(0, 0), "0");
  EXPECT_EQ(render_integer(7, 5), "    7");
  EXPECT_EQ(render_logical(false, 3), "  F");
  EXPECT_EQ(render_logical(true, 1), "T");
}

TEST(RenderList, IntegersAndReals) {
  EXPECT_EQ(render_list_integer(5), "          5");
  EXPECT_EQ(render_list_integer(-2147483647), "-2147483647");
  EXPECT_EQ(render_list_integer(-12345678901), "-12345678901");
  struct Row {
    double value;
    const char* expected;
  };
  const std::vector<Row> rows = {
      {1.5, "  1.5000000000000000     "},   {-1.5, " -1.5000000000000000     "},
      {0.0, "  0.0000000000000000     "},   {-0.0, " -0.0000000000000000     "},
      {0.1, " 0.10000000000000001     "},   {0.099999, "  9.9999000000000005E-002"},
      {1e15, "  1000000000000000.0     "},  {1e16, "  10000000000000000.     "},
      {1e17, "  1.0000000000000000E+017"},  {123456789.123, "  123456789.12300000     "},
      {1e300, "  1.0000000000000001E+300"}, {1e-300, "  1.0000000000000000E-300"},
      {inf, "                 Infinity"},   {-inf, "                -Infinity"},
      {nan, "                      NaN"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    EXPECT_EQ(render_list_real(row.value), row.expected);
  }
}

}  // namespace
}  // namespace quillon::textio
