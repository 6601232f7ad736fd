#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "textio/list_read.h"

namespace quillon::textio {
namespace {

TEST(ParseListReal, Notations) {
  struct Row {
    const char* text;
    double expected;
  };
  const std::vector<Row> rows = {
      {"100", 100.0},     {"0.10", 0.10},    {"1.0E3", 1000.0},
      {"1.0e3", 1000.0},  {"1d3", 1000.0},   {"1D3", 1000.0},
      {"1.5d-3", 1.5e-3}, {"1.5+3", 1500.0}, {"2.5-1", 0.25},
      {".5", 0.5},        {"5.", 5.0},       {"+.5e1", 5.0},
      {"-7.25", -7.25},   {"+3", 3.0},       {"1e-400", 0.0},
      {"-1e-400", -0.0},  {"0e999999", 0.0}, {"0.000001e-320", 0.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    double v = -999.0;
    ASSERT_TRUE(parse_list_real(row.text, v));
    EXPECT_EQ(v, row.expected);
    EXPECT_EQ(std::signbit(v), std::signbit(row.expected));
  }
}

TEST(ParseListReal, Refused) {
  // Overflow and the non-finite words would feed infinities into a fit: refused.
  for (const char* text : {"abc",  "1.0x",    "1.0e",  "1e+",   ".",      "-",   "+",   "",
                           "1..2", "1.0e3.5", "--1",   "1e400", "-1e400", "NaN", "Inf", "-Infinity",
                           "3*2",  "1/",      "\"1\"", "!",     "0x10",   "1,0"}) {
    SCOPED_TRACE(text);
    double v = -999.0;
    EXPECT_FALSE(parse_list_real(text, v));
    EXPECT_EQ(v, -999.0);
  }
}

TEST(ParseListInteger, AcceptsOnlyWholeNumbers) {
  int v = 0;
  EXPECT_TRUE(parse_list_integer("4", v));
  EXPECT_EQ(v, 4);
  EXPECT_TRUE(parse_list_integer("+4", v));
  EXPECT_EQ(v, 4);
  EXPECT_TRUE(parse_list_integer("-12", v));
  EXPECT_EQ(v, -12);
  for (const char* text : {"4.5", "4.", "x", "", "+", "-", "++4", "4e1", "99999999999"}) {
    SCOPED_TRACE(text);
    v = -999;
    EXPECT_FALSE(parse_list_integer(text, v));
    EXPECT_EQ(v, -999);
  }
}

struct ReadRow {
  const char* name;
  std::string input;
  std::size_t count;
  std::vector<double> expected;
};

TEST(ListReader, SeparatorsContinuationAndTheRestOfTheLine) {
  const std::vector<ReadRow> rows = {
      {"commas and blanks", "100.0, 100.0, 100.0\n", 3, {100.0, 100.0, 100.0}},
      {"remark after a tab",
       "100.0, 100.0, 100.0\t ! INITIAL P1, P2, P3 ESTIMATES\n",
       3,
       {100.0, 100.0, 100.0}},
      {"glued commas", "100.0,100.0,100.0\n", 3, {100.0, 100.0, 100.0}},
      {"tabs and mixed runs", "\t1\t,\t2 ,, 3   \n", 3, {1.0, 2.0, 3.0}},
      {"CR LF line end", "1 2\r\n", 2, {1.0, 2.0}},
      {"too few on a line: continue", "1.5\n2.5 9\n", 2, {1.5, 2.5}},
      {"blank lines are passed over", "\n   \n7\n", 1, {7.0}},
      {"last line without its end", "0.10 1.0E3", 2, {0.10, 1000.0}},
  };
  for (const ReadRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::istringstream in(row.input);
    ListReader reader(in);
    std::vector<double> values(row.count, -1.0);
    EXPECT_EQ(reader.read(values), ReadStatus::ok);
    EXPECT_EQ(values, row.expected);
    EXPECT_EQ(reader.issue().values_read, row.count);
  }
}

TEST(ListReader, EachReadStartsOnTheNextLine) {
  std::istringstream in("4   remark\n1, 2, 3 ! three\n0.1 0.2 0.3\n5 6\n7\n8\n");
  ListReader reader(in);
  int model = 0;
  ASSERT_EQ(reader.read(model), ReadStatus::ok);
  EXPECT_EQ(model, 4);
  std::vector<double> two(2);
  ASSERT_EQ(reader.read(two), ReadStatus::ok);  // the third value of line 2 is dropped
  EXPECT_EQ(two, (std::vector<double>{1.0, 2.0}));
  std::vector<double> three(3);
  ASSERT_EQ(reader.read(three), ReadStatus::ok);
  EXPECT_EQ(three, (std::vector<double>{0.1, 0.2, 0.3}));
  double x = 0.0;
  double y = 0.0;
  ASSERT_EQ(reader.read(x), ReadStatus::ok);
  EXPECT_EQ(x, 5.0);
  ASSERT_EQ(reader.read(y), ReadStatus::ok);
  EXPECT_EQ(y, 7.0);
  EXPECT_EQ(reader.lines_read(), 5u);
}

TEST(ListReader, EndOfInputStopsAndKeepsWhatWasRead) {
  std::istringstream in("1 2\n\n");
  ListReader reader(in);
  std::vector<double> values(3, -1.0);
  EXPECT_EQ(reader.read(values), ReadStatus::end_of_input);
  EXPECT_EQ(values, (std::vector<double>{1.0, 2.0, -1.0}));
  EXPECT_EQ(reader.issue().values_read, 2u);
  EXPECT_EQ(reader.issue().line, 3u);
  EXPECT_TRUE(reader.issue().text.empty());
  // Further reads keep reporting the end; nothing loops or throws.
  for (int k = 0; k < 3; ++k) {
    double x = 0.0;
    int n = 0;
    EXPECT_EQ(reader.read(x), ReadStatus::end_of_input);
    EXPECT_EQ(reader.read(n), ReadStatus::end_of_input);
  }
  std::istringstream empty("");
  ListReader empty_reader(empty);
  int model = -1;
  EXPECT_EQ(empty_reader.read(model), ReadStatus::end_of_input);
  EXPECT_EQ(model, -1);
  EXPECT_EQ(empty_reader.issue().line, 1u);
}

TEST(ListReader, BadValuesNameTheLineAndText) {
  struct Row {
    const char* name;
    const char* input;
    std::size_t line;
    const char* text;
    std::size_t values_read;
  };
  const std::vector<Row> rows = {
      {"letter", "abc 1 2\n", 1, "abc", 0},
      {"glued remark", "1.0 2.0!remark\n", 1, "2.0!remark", 1},
      {"remark where a value is missing", "1.0 ! two values wanted\n2.0\n", 1, "!", 1},
      {"on a continuation line", "1.0\n\n2.0 1.0x\n", 3, "1.0x", 2},
      {"overflow", "1e400 1\n", 1, "1e400", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::istringstream in(row.input);
    ListReader reader(in);
    std::vector<double> values(3);
    EXPECT_EQ(reader.read(values), ReadStatus::bad_value);
    EXPECT_EQ(reader.issue().line, row.line);
    EXPECT_EQ(reader.issue().text, row.text);
    EXPECT_EQ(reader.issue().values_read, row.values_read);
  }
  std::istringstream in("4.5\n");
  ListReader reader(in);
  int model = 0;
  EXPECT_EQ(reader.read(model), ReadStatus::bad_value);
  EXPECT_EQ(reader.issue().text, "4.5");
}

TEST(ListReader, LongLines) {
  std::string line;
  for (int k = 0; k < 20000; ++k)
    line += "1.25, ";
  line += "9\n";
  std::istringstream in(line + "3\n");
  ListReader reader(in);
  std::vector<double> values(20001);
  ASSERT_EQ(reader.read(values), ReadStatus::ok);
  EXPECT_EQ(values.front(), 1.25);
  EXPECT_EQ(values.back(), 9.0);
  double next = 0.0;
  ASSERT_EQ(reader.read(next), ReadStatus::ok);
  EXPECT_EQ(next, 3.0);
}

}  // namespace
}  // namespace quillon::textio
