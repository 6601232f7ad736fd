#include <gtest/gtest.h>

#include "engine_test_support.h"

namespace quillon::feq_parser {
namespace {

using testing::quiet_parser;
using testing::token_texts;

TEST(ConvertToPostfix, Orders) {
  struct Row {
    const char* equation;
    const char* postfix;
  };
  const Row rows[] = {
      {"y=b/(1.0+a/e)", "b 1.0 a e / + /"},
      {"y=a-b-c", "a b c - -"},
      {"y=a/b*c", "a b c * /"},
      {"y=a*b/c", "a b c / *"},
      {"y=a^b^c", "a b c ^ ^"},
      {"y=a+b*c", "a b c * +"},
      {"y=a*b+c", "a b * c +"},
      {"y=-a+b", "a b + -"},
      {"y=-a-b", "a b - -"},
      {"y=-a*b", "a b * -"},
      {"y=-a^2", "a 2 ^ -"},
      {"y=(-a)+b", "a - b +"},
      {"y=U(a)^2", "a U 2 ^"},
      {"y=a^U(b)", "a b U ^"},
      {"y=U(a+b)", "a b + U"},
      {"y=2*U(a)", "2 a U *"},
      {"y=a+b)", "a b +"},
      {"y=(a+b", "a b + ("},
      {"y=a*-b", "a * b -"},
      {"y=(a)(b)", "a b"},
      {"y=()", ""},
      {"y=", ""},
      {"y=b*c/(c+a)", "b c c a + / *"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.equation);
    const EquationParser p = quiet_parser(row.equation, "abce");
    EXPECT_TRUE(p.postfix.has_array());
    EXPECT_EQ(token_texts(p.postfix), row.postfix);
  }
}

TEST(ConvertToPostfix, KeepsKindsAndRepeats) {
  EquationParser p = quiet_parser("y=-a+b", "ab");
  ASSERT_EQ(p.postfix.top, 4);
  EXPECT_EQ(p.postfix.stack[3].kind, kind::unary_operator);
  EXPECT_EQ(p.postfix.stack[2].kind, kind::binary_operator);
  p.converttopostfix();
  EXPECT_EQ(token_texts(p.postfix), "a b + -");
  EXPECT_EQ(p.evaluate_real64(std::vector<double>{1.0, 2.0}), -3.0);
}

}  // namespace
}  // namespace quillon::feq_parser
