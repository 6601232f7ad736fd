// Output statements and console reads. Expected transcripts of the writing rules
// were produced by gfortran with the same formats and values.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "textio/console.h"

namespace quillon::textio {
namespace {

using testing::crlf_lines;
using testing::StringConsole;

std::vector<double> halves(int n) {
  std::vector<double> v;
  for (int i = 1; i <= n; ++i)
    v.push_back(i * 1.5);
  return v;
}

struct StatementRow {
  const char* name;
  std::function<void(Console&)> run;
  std::string expected;
};

TEST(ConsoleWrite, WritingRules) {
  const std::vector<StatementRow> rows = {
      {"reversion to the start ends the line",
       [](Console& c) { c.write("(10ES14.6)", halves(12)); },
       crlf_lines({"  1.500000E+00  3.000000E+00  4.500000E+00  6.000000E+00  7.500000E+00  "
                   "9.000000E+00  1.050000E+01  1.200000E+01  1.350000E+01  1.500000E+01",
                   "  1.650000E+01  1.800000E+01"})},
      {"fewer values than fields", [](Console& c) { c.write("(A,10F12.4)", "lab", halves(3)); },
       crlf_lines({"lab      1.5000      3.0000      4.5000"})},
      {"slash after the text", [](Console& c) { c.write("(A,/)", "text"); },
       crlf_lines({"text", ""})},
      {"slash before the text", [](Console& c) { c.write("(/,A)", "text"); },
       crlf_lines({"", "text"})},
      {"slash glued to descriptors", [](Console& c) { c.write("(10X,A/)", "text"); },
       crlf_lines({"          text", ""})},
      {"slashes on both sides", [](Console& c) { c.write("(/a/)", "mid"); },
       crlf_lines({"", "mid", ""})},
      {"field too narrow", [](Console& c) { c.write("(I2,1X,A)", 123, "text"); },
       crlf_lines({"** text"})},
      {"reversion to the last group with its count, then the rest",
       [](Console& c) { c.write("(3(A5,3X), 1X,A)", "a", "b", "c", "d", "e", "f", "g"); },
       crlf_lines({"    a       b       c    d", "    e       f       g"})},
      {"trailing skips are not written",
       [](Console& c) { c.write("(3(A5,3X))", "a", "b", "c", "d", "e", "f", "g"); },
       crlf_lines({"    a       b       c", "    d       e       f", "    g"})},
      {"repeated A1 stops at the first missing value",
       [](Console& c) { c.write("(1x, 100a1, a10)", "x", "y"); }, crlf_lines({" xy"})},
      {"TR moves right", [](Console& c) { c.write("(tr5, a)", "tr"); }, crlf_lines({"     tr"})},
      {"mixed descriptors",
       [](Console& c) {
         c.write("(A,ES14.6,A,I5,A,L1,A)", "v=", 1.25, " n=", 42, " ok=", true, ".");
       },
       crlf_lines({"v=  1.250000E+00 n=   42 ok=T."})},
      {"I0", [](Console& c) { c.write("(A,I0,A)", "w ", 64, " b"); }, crlf_lines({"w 64 b"})},
      {"group repeated, reversion within the group",
       [](Console& c) { c.write("(A,2(A,I2))", "h", "a", 1, "b", 2, "c", 3, "d", 4); },
       crlf_lines({"ha 1b 2", "c 3d 4"})},
      {"no values: an empty line", [](Console& c) { c.write("(A)"); }, crlf_lines({""})},
      {"no values: the slash still acts", [](Console& c) { c.write("(/,A)"); },
       crlf_lines({"", ""})},
      {"blanks written only before a later field", [](Console& c) { c.write("(A,3X)", "trail"); },
       crlf_lines({"trail"})},
      {"a skip over an empty text leaves nothing", [](Console& c) { c.write("(1X,A)", ""); },
       crlf_lines({""})},
      {"CR LF inside a text starts a new line",
       [](Console& c) { c.write("(2X,A,I3)", "one\r\ntwo", 7); }, crlf_lines({"  one", "two  7"})},
      {"an open line is continued by the next statement",
       [](Console& c) {
         c.write("(2X,A$)", "prompt:");
         c.write("(A)", "cont");
       },
       crlf_lines({"  prompt:cont"})},
      {"a line left open explicitly",
       [](Console& c) {
         c.write_open("(A,A)", "Enter name", " ");
         c.write("(A)", "x");
       },
       crlf_lines({"Enter name x"})},
      {"a leading slash closes an open line",
       [](Console& c) {
         c.write("(a$)", "ask");
         c.write("(/A)", "after");
       },
       crlf_lines({"ask", "after"})},
      {"a statement without values ends an open line",
       [](Console& c) {
         c.write("(a$)", "ask");
         c.list();
         c.list();
       },
       crlf_lines({"ask", ""})},
      {"skips continue an open line from its cursor",
       [](Console& c) {
         c.write("(A$)", "ab");
         c.write("(2X,A$)", "cd");
         c.write("(tr1,A)", "e");
       },
       crlf_lines({"ab  cd e"})},
  };
  for (const StatementRow& row : rows) {
    SCOPED_TRACE(row.name);
    StringConsole sc;
    row.run(sc.console);
    EXPECT_EQ(sc.output(), row.expected);
    EXPECT_FALSE(sc.console.line_open());
  }
}

TEST(ConsoleWrite, ProgrammingErrorsThrow) {
  StringConsole sc;
  EXPECT_THROW(sc.console.write("(I5)", "text"), std::logic_error);
  EXPECT_THROW(sc.console.write("(A)", 1.5), std::logic_error);
  EXPECT_THROW(sc.console.write("(F5.1)", 3), std::logic_error);
  EXPECT_THROW(sc.console.write("(2X)", 3), std::logic_error);             // never takes a value
  EXPECT_THROW(sc.console.write("(A,(2X))", "a", "b"), std::logic_error);  // cannot revert
  EXPECT_THROW(sc.console.write("(A"), std::logic_error);
}

TEST(ConsoleList, LayoutMatchesListDirectedOutput) {
  struct Row {
    const char* name;
    std::function<void(Console&)> run;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"text then integer", [](Console& c) { c.list("abc", 5); }, " abc           5"},
      {"integer then text", [](Console& c) { c.list(5, "x"); }, "           5 x"},
      {"texts run together", [](Console& c) { c.list("a", "b"); }, " ab"},
      {"one real", [](Console& c) { c.list(1.5); }, "   1.5000000000000000     "},
      {"text then exponent form", [](Console& c) { c.list("x", 1.0e300); },
       " x   1.0000000000000001E+300"},
      {"two reals", [](Console& c) { c.list(1.0, 2.0); },
       "   1.0000000000000000        2.0000000000000000     "},
      {"two integers", [](Console& c) { c.list(5, 6); }, "           5           6"},
      {"logical", [](Console& c) { c.list(true); }, " T"},
      {"empty text keeps the leading blank", [](Console& c) { c.list(""); }, " "},
      {"text with trailing blanks at full length", [](Console& c) { c.list("ab  ", "c"); },
       " ab  c"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    StringConsole sc;
    row.run(sc.console);
    EXPECT_EQ(sc.output(), row.expected + "\r\n");
  }
}

TEST(ConsoleList, NoValuesWritesAnEmptyLine) {
  StringConsole sc;
  sc.console.list();
  EXPECT_EQ(sc.output(), "\r\n");
}

TEST(ConsoleRead, ReadDoesNotCloseAnOpenLine) {
  StringConsole sc("answer\r\n");
  sc.console.write("(2X,A$)", "Name?");
  std::string line;
  EXPECT_EQ(sc.console.read_line(line), ReadStatus::ok);
  EXPECT_EQ(line, "answer");
  EXPECT_TRUE(sc.console.line_open());
  sc.console.write("(A)");
  EXPECT_EQ(sc.output(), "  Name?\r\n");
}

TEST(ConsoleRead, ReadTextPadsAndCuts) {
  struct Row {
    const char* input;
    std::size_t length;
    const char* expected;
  };
  const std::vector<Row> rows = {
      {"abc\n", 5, "abc  "}, {"abcdefgh\n", 5, "abcde"}, {"\n", 3, "   "},
      {"ab\r\n", 4, "ab  "}, {"last", 6, "last  "},      {"  x \n", 4, "  x "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input);
    StringConsole sc(row.input);
    std::string text = "old";
    EXPECT_EQ(sc.console.read_text(text, row.length), ReadStatus::ok);
    EXPECT_EQ(text, row.expected);
  }
  StringConsole sc("one\n");
  std::string text;
  EXPECT_EQ(sc.console.read_text(text, 3), ReadStatus::ok);
  EXPECT_EQ(sc.console.read_text(text, 3), ReadStatus::end_of_input);
  EXPECT_EQ(sc.console.read_text(text, 3), ReadStatus::end_of_input);
}

TEST(ConsoleRead, ReadI3) {
  // Statuses agree with gfortran reading "(i3)" from the same lines.
  struct Row {
    const char* input;
    ReadStatus status;
    int value;
  };
  const std::vector<Row> rows = {
      {"7\n", ReadStatus::ok, 7},
      {"1 2\n", ReadStatus::ok, 12},
      {" -5\n", ReadStatus::ok, -5},
      {"- 3\n", ReadStatus::ok, -3},
      {"\n", ReadStatus::ok, 0},
      {"12345\n", ReadStatus::ok, 123},
      {"12 x\n", ReadStatus::ok, 12},
      {"-\n", ReadStatus::bad_value, -999},
      {"+\n", ReadStatus::bad_value, -999},
      {"5-\n", ReadStatus::bad_value, -999},
      {"1.0\n", ReadStatus::bad_value, -999},
      {"  x\n", ReadStatus::bad_value, -999},
      {"\t5\n", ReadStatus::bad_value, -999},
      {"1e2\n", ReadStatus::bad_value, -999},
      {"", ReadStatus::end_of_input, -999},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input);
    StringConsole sc(row.input);
    int value = -999;
    EXPECT_EQ(sc.console.read_i3(value), row.status);
    EXPECT_EQ(value, row.value);
  }
}

}  // namespace
}  // namespace quillon::textio
