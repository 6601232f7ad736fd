#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_test_support.h"
#include "feq_parser/equation_parser.h"
#include "support/test_support.h"
#include "textio/error.h"

namespace quillon::feq_parser {
namespace {

using quillon::testing::crlf_lines;
using quillon::testing::StringConsole;
using testing::token_texts;

constexpr std::string_view five_names = "abcde";
const std::vector<double> five_values = {2, 10, 0, 0, 4};

TEST(ConstructEquationParser, FillsEveryField) {
  StringConsole io;
  const EquationParser p = construct_equationparser("y = b/(1.0 + a/e)", five_names, io.console);
  EXPECT_EQ(io.output(), "");
  EXPECT_EQ(p.equation.trimmed(), "y = b/(1.0 + a/e)");
  EXPECT_EQ(p.name.trimmed(), "y");
  EXPECT_EQ(p.expression.trimmed(), "b/(1.0+a/e)");
  EXPECT_EQ(p.variables.view(), "abcde");
  EXPECT_EQ(token_texts(p.infix), "b / ( 1.0 + a / e )");
  EXPECT_EQ(token_texts(p.postfix), "b 1.0 a e / + /");
  EXPECT_EQ(p.evaluate_real64(five_values), 10.0 / (1.0 + 2.0 / 4.0));
}

TEST(ConstructEquationParser, TakesA512CharacterText) {
  StringConsole io;
  std::string text = "Y=b*c/(c+a)";
  text.resize(512, ' ');
  const EquationParser p = construct_equationparser(text, std::string_view("abc"), io.console);
  EXPECT_EQ(p.evaluate_real64(std::vector<double>{2, 10, 2}), 5.0);
}

TEST(ConstructEquationParser, EmptyNameList) {
  StringConsole io;
  const EquationParser p = construct_equationparser("y=2*pi", {}, io.console);
  EXPECT_EQ(p.evaluate_real64({}), 2.0 * 3.1415927410125732);
}

TEST(EquationParser, CopiesAreDeep) {
  StringConsole io;
  EquationParser original =
      construct_equationparser("y=a-b-c", std::string_view("abc"), io.console);
  const EquationParser copy = original;
  const std::vector<double> values = {10, 4, 3};
  original.destruct_equationparser();
  EXPECT_EQ(original.evaluate_real64(values), 0.0);
  EXPECT_EQ(copy.evaluate_real64(values), 9.0);
  EXPECT_EQ(copy.expression.trimmed(), "a-b-c");
  EXPECT_EQ(token_texts(copy.postfix), "a b c - -");

  // Assigning a rebuilt parser over a used one replaces everything.
  original = construct_equationparser("y=a*b", std::string_view("ab"), io.console);
  EXPECT_EQ(original.evaluate_real64(values), 40.0);
  EXPECT_EQ(copy.evaluate_real64(values), 9.0);
  EXPECT_EQ(io.output(), "");
}

TEST(EquationParser, DestructionClearsAndASecondOneStops) {
  StringConsole io;
  EquationParser p = construct_equationparser("y = b/(1.0 + a/e)", five_names, io.console);
  p.destruct_equationparser();
  EXPECT_EQ(p.equation.trimmed(), "");
  EXPECT_EQ(p.expression.trimmed(), "");
  EXPECT_EQ(p.name.trimmed(), "y");
  EXPECT_FALSE(p.infix.has_array());
  EXPECT_FALSE(p.postfix.has_array());
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(p.evaluate_real64(five_values), 0.0);
    EXPECT_EQ(p.evaluate_real32(std::vector<float>{2, 10, 0, 0, 4}), 0.0f);
  }
  try {
    p.destruct_equationparser();
    ADD_FAILURE() << "no stop";
  } catch (const quillon::textio::FatalError& stop) {
    EXPECT_STREQ(stop.what(), "Attempt to DEALLOCATE unallocated 'parser'");
  }
  EquationParser never_built;
  EXPECT_THROW(never_built.destruct_equationparser(), quillon::textio::FatalError);
  EXPECT_EQ(never_built.evaluate_real64({}), 0.0);
  EXPECT_EQ(io.output(), "");
}

// The way the model evaluation uses the engine: one saved parser, destructed and
// rebuilt at the start of every pass.
TEST(EquationParser, RebuildCycle) {
  StringConsole io;
  EquationParser saved;
  bool built = false;
  const std::string_view equation = "Y=b*e/(a*(g+f/c)+e*(g+f/d))";
  const std::vector<double> values = {0.3, 7, 0.9, 1.7, 1.1, 0.5, 1};
  double first = 0.0;
  for (int pass = 0; pass < 3; ++pass) {
    if (built)
      saved.destruct_equationparser();
    saved = construct_equationparser(equation, std::string_view("abcdefg"), io.console);
    built = true;
    const double value = saved.evaluate_real64(values);
    if (pass == 0)
      first = value;
    EXPECT_EQ(testing::bits(value), testing::bits(first));
  }
  EXPECT_EQ(io.output(), "");
}

TEST(ConstructEquationParser, FailureLinesAndTheFailedParser) {
  struct Row {
    const char* equation;
    const char* names;
    const char* line;
  };
  std::string many = "y=a";
  for (int k = 0; k < 64; ++k)
    many += "+a";
  const std::string long_number = "y=" + std::string(49, '1');
  const Row rows[] = {
      {"a+b", "ab", " CleanEquation failed: No equal sign found in equation string"},
      {"y=2a", "a", " Tokenization failed: Missing operator or ')' after number: 2"},
      {"y=a(b)", "ab", " Tokenization failed: Missing operator or ')' after variable: a"},
      {"y=U", "", " Tokenization failed: Missing '(' after function: U"},
      {"y=a+$", "a", " Tokenization failed: Invalid token: '$'"},
      {"y=a", "", " Tokenization failed: Invalid token: 'a'"},
      {many.c_str(), "a", " Tokenization failed: Expression has more than 128 tokens"},
      {long_number.c_str(), "",
       " Tokenization failed: Number longer than 48 characters: "
       "111111111111111111111111111111111111111111111111"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.equation);
    StringConsole io;
    const EquationParser p =
        construct_equationparser(row.equation, std::string_view(row.names), io.console);
    EXPECT_EQ(io.output(), crlf_lines({row.line}));
    EXPECT_FALSE(p.postfix.has_array());
    for (int call = 0; call < 2; ++call) {
      EXPECT_EQ(p.evaluate_real64(std::vector<double>{1.0, 2.0}), 0.0);
    }
    EXPECT_EQ(io.output(), crlf_lines({row.line}));  // no message from evaluation
  }
}

TEST(ConstructEquationParser, FailedParserKeepsWhatWasMade) {
  StringConsole io;
  const EquationParser p =
      construct_equationparser("y = a + 2a", std::string_view("a"), io.console);
  EXPECT_EQ(p.expression.trimmed(), "a+2a");
  EXPECT_EQ(token_texts(p.infix), "a + 2");
  const EquationParser q = construct_equationparser("no equals", std::string_view("a"), io.console);
  EXPECT_EQ(q.expression.trimmed(), "");
  EXPECT_FALSE(q.infix.has_array());
}

TEST(EquationParser, PrintsTokenLists) {
  StringConsole io;
  const EquationParser p = construct_equationparser("y = b/(1.0 + a/e)", five_names, io.console);
  p.print_infixtokens();
  p.print_postfixtokens();
  const EquationParser failed =
      construct_equationparser("y=a+2a", std::string_view("a"), io.console);
  failed.print_infixtokens();
  failed.print_postfixtokens();
  EXPECT_EQ(io.output(),
            crlf_lines({" f=b/(1.0+a/e)", " f=b1.0ae/+/",
                        " Tokenization failed: Missing operator or ')' after number: 2", " f=a+2",
                        " f="}));
}

TEST(EquationParser, UnmatchedRightParenthesisWarnsWhileBuilding) {
  StringConsole io;
  const EquationParser p = construct_equationparser("y=a+b))", std::string_view("ab"), io.console);
  EXPECT_EQ(io.output(), crlf_lines({" WARNING: attempt to pop from empty TokenStack",
                                     " WARNING: attempt to pop from empty TokenStack"}));
  EXPECT_EQ(p.evaluate_real64(std::vector<double>{1.0, 2.0}), 3.0);
}

}  // namespace
}  // namespace quillon::feq_parser
