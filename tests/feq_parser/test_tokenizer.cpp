#include <gtest/gtest.h>

#include <string>

#include "engine_test_support.h"

namespace quillon::feq_parser {
namespace {

using testing::quiet_parser;
using testing::token_list;

struct TokenRow {
  const char* equation;
  const char* names;
  const char* tokens;  // "text:kind ..."
};

TEST(Tokenize, TokenListsWithKinds) {
  const TokenRow rows[] = {
      {"y = b/(1.0 + a/e)", "abcde", "b:2 /:3 (:5 1.0:1 +:3 a:2 /:3 e:2 ):6"},
      {"y=-a+b", "ab", "-:7 a:2 +:3 b:2"},
      {"y=+a", "a", "+:7 a:2"},
      {"y=*a", "a", "*:3 a:2"},  // only + and - are unary at the start
      {"y=(-a)", "a", "(:5 -:7 a:2 ):6"},
      {"y=(*a)", "a", "(:5 *:7 a:2 ):6"},
      {"y=a*-b", "ab", "a:2 *:3 -:3 b:2"},
      {"y=pi*a", "a", "pi:1 *:3 a:2"},
      {"y=PI", "", "PI:1"},
      {"y=p", "", "p:1"},
      {"y=U(a)", "a", "U:4 (:5 a:2 ):6"},
      {"y=Uab(a)", "ab", "Uab:4 (:5 a:2 ):6"},
      {"y=Uabc(a)", "abc", "Uabc:4 (:5 a:2 ):6"},
      {"y=5.+.5", "", "5.:1 +:3 .5:1"},
      {"y=1.2.3+2p", "", "1.2.3:1 +:3 2p:1"},  // taken whole, fails at evaluation
      {"y=(a)(b)", "ab", "(:5 a:2 ):6 (:5 b:2 ):6"},
      {"y=a+*b", "ab", "a:2 +:3 *:3 b:2"},
      {"y=a+", "a", "a:2 +:3"},
      {"y=", "a", ""},
      {"y=   ", "a", ""},
      {"y=U(a)^2", "a", "U:4 (:5 a:2 ):6 ^:3 2:1"},
      {"y = b * c / ( c + a )", "abc", "b:2 *:3 c:2 /:3 (:5 c:2 +:3 a:2 ):6"},
      // Variables come first: a name may shadow a function letter or a digit.
      {"y=U+1", "U1", "U:2 +:3 1:2"},
  };
  for (const TokenRow& row : rows) {
    SCOPED_TRACE(row.equation);
    std::int32_t ok = 0;
    ErrorText err;
    const EquationParser p = quiet_parser(row.equation, row.names, &ok, &err);
    EXPECT_EQ(ok, 1) << err.trimmed();
    EXPECT_EQ(token_list(p.infix), row.tokens);
  }
}

struct ErrorRow {
  const char* equation;
  const char* names;
  std::string message;
  const char* kept;  // tokens left in the infix list
};

TEST(Tokenize, FailureMessages) {
  const ErrorRow rows[] = {
      {"y=2a", "a", "Missing operator or ')' after number: 2", "2:1"},
      {"y=a(b)", "ab", "Missing operator or ')' after variable: a", "a:2"},
      {"y=1.5E+3", "", "Missing operator or ')' after number: 1.5", "1.5:1"},
      {"y=pi2", "", "Missing operator or ')' after number: pi", "pi:1"},
      {"y=p+a", "a", "Missing operator or ')' after number: p+", "p+:1"},
      {"y=U", "", "Missing '(' after function: U", "U:4"},
      {"y=Uabcd(a)", "abcd", "Missing '(' after function: U", "U:4"},
      {"y=a+u(a)", "a", "Invalid token: 'u'", "a:2 +:3"},
      {"y=a+$", "a", "Invalid token: '$'", "a:2 +:3"},
      {"y=a+=b", "ab", "Invalid token: '='", "a:2 +:3"},
      {"y=a=b", "ab", "Missing operator or ')' after variable: a", "a:2"},
      {"y=a\t+b", "ab", "Missing operator or ')' after variable: a", "a:2"},
      {"y=\tb", "b", "Invalid token: '\t'", ""},
      {"y=x", "", "Invalid token: 'x'", ""},
  };
  for (const ErrorRow& row : rows) {
    SCOPED_TRACE(row.equation);
    std::int32_t ok = 1;
    ErrorText err;
    const EquationParser p = quiet_parser(row.equation, row.names, &ok, &err);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(err.trimmed(), row.message);
    EXPECT_EQ(token_list(p.infix), row.kept);
    EXPECT_FALSE(p.postfix.has_array());
  }
}

// Lists and texts have fixed room: what does not fit is refused, never written past.
TEST(Tokenize, RefusesWhatDoesNotFit) {
  std::string sum = "y=a";
  for (int k = 0; k < 63; ++k)
    sum += "+a";  // 127 tokens
  std::int32_t ok = 0;
  ErrorText err;
  EquationParser p = quiet_parser(sum + "+1", "a", &ok, &err);  // 129 tokens
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(err.trimmed(), "Expression has more than 128 tokens");
  EXPECT_EQ(p.infix.top, 128);

  p = quiet_parser(sum + ")", "a", &ok, &err);  // exactly 128
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(p.infix.top, 128);

  const std::string digits48(48, '7');
  p = quiet_parser("y=" + digits48, "", &ok, &err);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(p.infix.stack[0].text.view(), digits48);

  p = quiet_parser("y=a+" + digits48 + "7", "a", &ok, &err);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(err.trimmed(), "Number longer than 48 characters: " + digits48);
  EXPECT_EQ(token_list(p.infix), "a:2 +:3");
}

TEST(CleanEquation, NameAndExpression) {
  std::int32_t ok = 0;
  ErrorText err;
  EquationParser p = quiet_parser("y = b/(1.0 + a/e)", "abcde", &ok, &err);
  EXPECT_EQ(p.name.view(), "y           ");
  EXPECT_EQ(p.expression.trimmed(), "b/(1.0+a/e)");
  EXPECT_EQ(p.expression.view().size(), 1024u);

  p = quiet_parser(" y =a", "a", &ok, &err);
  EXPECT_EQ(p.name.view(), " y          ");

  p = quiet_parser("a_long_left_hand_side = a", "a", &ok, &err);
  EXPECT_EQ(p.name.view(), "a_long_left_");
  EXPECT_EQ(ok, 1);

  p = quiet_parser("a+b", "ab", &ok, &err);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(err.trimmed(), "No equal sign found in equation string");
  EXPECT_EQ(p.name.trimmed(), "#noname");
  EXPECT_EQ(p.expression.trimmed(), "");
  EXPECT_FALSE(p.infix.has_array());
}

TEST(CleanEquation, OnlyFirst1024CharactersCount) {
  // The "=" at position 1025 is cut off with the rest of the text.
  std::int32_t ok = 1;
  ErrorText err;
  EquationParser p = quiet_parser(std::string(1024, ' ') + "=a", "a", &ok, &err);
  EXPECT_EQ(ok, 0);

  const std::string text = "y=" + std::string(1021, ' ') + "ab";  // "b" is cut off
  p = quiet_parser(text, "ab", &ok, &err);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(token_list(p.infix), "a:2");
}

TEST(Tokenize, RepeatingGivesTheSameList) {
  EquationParser p = quiet_parser("y=(a+b)*c", "abc");
  const std::string first = token_list(p.infix);
  std::int32_t ok = 0;
  ErrorText err;
  p.tokenize(ok, err);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(token_list(p.infix), first);
  EXPECT_EQ(p.infix.top, 7);
}

}  // namespace
}  // namespace quillon::feq_parser
