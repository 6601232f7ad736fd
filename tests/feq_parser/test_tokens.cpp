#include <gtest/gtest.h>

#include "feq_parser/tokens.h"
#include "support/test_support.h"

namespace quillon::feq_parser {
namespace {

using quillon::testing::crlf_lines;
using quillon::testing::StringConsole;

TEST(TokenStack, PopsInReverseOrderOfPushes) {
  TokenStack s;
  s.construct_tokenstack(128);
  s.push_tokenstack(Token("a", kind::variable), nullptr);
  s.push_tokenstack(Token("+", kind::binary_operator), nullptr);
  s.push_tokenstack(Token("1.5", kind::number), nullptr);
  Token t;
  s.peek_tokenstack(t, nullptr);
  EXPECT_EQ(t.text.trimmed(), "1.5");
  EXPECT_EQ(s.top, 3);
  for (auto [text, k] :
       {std::pair{"1.5", kind::number}, {"+", kind::binary_operator}, {"a", kind::variable}}) {
    s.pop_tokenstack(t, nullptr);
    EXPECT_EQ(t.text.trimmed(), text);
    EXPECT_EQ(t.kind, k);
  }
  EXPECT_TRUE(s.isempty_tokenstack());
}

TEST(TokenStack, EmptyStackLeavesCallersTokenAlone) {
  TokenStack s;
  s.construct_tokenstack(128);
  Token t("keep", kind::function);
  s.pop_tokenstack(t, nullptr);
  s.peek_tokenstack(t, nullptr);
  EXPECT_EQ(t.text, FixedText<48>("keep"));
  EXPECT_EQ(t.kind, kind::function);
  EXPECT_EQ(s.top, 0);

  const Token top = s.toptoken();
  EXPECT_EQ(top.text.view(), std::string(48, ' '));
  EXPECT_EQ(top.kind, kind::none);
}

TEST(TokenStack, ConstructingAgainEmptiesAndFullStackRefuses) {
  TokenStack s;
  EXPECT_FALSE(s.has_array());
  s.construct_tokenstack(2);
  s.push_tokenstack(Token("a", kind::variable), nullptr);
  s.push_tokenstack(Token("b", kind::variable), nullptr);
  s.push_tokenstack(Token("c", kind::variable), nullptr);  // refused
  EXPECT_EQ(s.top, 2);
  EXPECT_EQ(s.toptoken().text.trimmed(), "b");

  s.construct_tokenstack(128);
  EXPECT_TRUE(s.isempty_tokenstack());
  EXPECT_EQ(s.capacity(), 128);
  s.destruct_tokenstack();
  EXPECT_FALSE(s.has_array());
  s.push_tokenstack(Token("a", kind::variable), nullptr);  // no array: refused
  EXPECT_EQ(s.top, 0);
}

TEST(TokenStack, CopyIsIndependent) {
  TokenStack s;
  s.construct_tokenstack(128);
  s.push_tokenstack(Token("a", kind::variable), nullptr);
  TokenStack copy = s;
  s.push_tokenstack(Token("b", kind::variable), nullptr);
  Token t;
  s.pop_tokenstack(t, nullptr);
  s.pop_tokenstack(t, nullptr);
  s.construct_tokenstack(128);
  ASSERT_EQ(copy.top, 1);
  EXPECT_EQ(copy.toptoken().text.trimmed(), "a");
}

TEST(NumberStack, EmptyPopAndPeekGiveZero) {
  NumberStack s;
  EXPECT_TRUE(s.isempty_numberstack());  // never constructed
  s.construct_numberstack(128);
  double x = 7.0;
  s.pop_numberstack(x, nullptr);
  EXPECT_EQ(x, 0.0);
  x = 7.0;
  s.peek_numberstack(x, nullptr);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(s.top, 0);
}

TEST(NumberStack, PushPopPeekAndCopies) {
  NumberStack s;
  s.construct_numberstack(3);
  for (double v : {1.0, 2.0, 3.0, 4.0})
    s.push_numberstack(v, nullptr);  // 4.0 is refused
  EXPECT_EQ(s.top, 3);
  NumberStack copy = s;
  double x = 0.0;
  s.pop_numberstack(x, nullptr);
  EXPECT_EQ(x, 3.0);
  s.peek_numberstack(x, nullptr);
  EXPECT_EQ(x, 2.0);
  s.destruct_numberstack();
  EXPECT_TRUE(s.isempty_numberstack());
  ASSERT_EQ(copy.top, 3);
  copy.pop_numberstack(x, nullptr);
  EXPECT_EQ(x, 3.0);
}

TEST(FixedText, TrimmedLengthAcrossWordBoundaries) {
  for (std::size_t n : {0u, 1u, 7u, 8u, 9u, 16u, 17u, 1023u}) {
    FixedText<1024> t(std::string(n, 'x'));
    EXPECT_EQ(t.trimmed().size(), n);
  }
  FixedText<12> inner(" a b ");
  EXPECT_EQ(inner.trimmed(), " a b");
}

TEST(StackWarnings, OneListDirectedLineEach) {
  StringConsole io;
  NumberStack numbers;
  numbers.construct_numberstack(1);
  double x = 5.0;
  numbers.pop_numberstack(x, &io.console);
  numbers.peek_numberstack(x, &io.console);
  numbers.push_numberstack(1.0, &io.console);
  numbers.push_numberstack(2.0, &io.console);  // full
  TokenStack tokens;
  tokens.construct_tokenstack(1);
  Token t("keep", kind::variable);
  tokens.pop_tokenstack(t, &io.console);
  tokens.peek_tokenstack(t, &io.console);
  (void)tokens.toptoken();  // silent
  tokens.push_tokenstack(t, &io.console);
  tokens.push_tokenstack(t, &io.console);  // full
  EXPECT_EQ(io.output(), crlf_lines({" WARNING: attempt to pop from empty NumberStack",
                                     " WARNING: attempt to peek from empty NumberStack",
                                     " WARNING: attempt to push onto full NumberStack",
                                     " WARNING: attempt to pop from empty TokenStack",
                                     " WARNING: attempt to peek from empty TokenStack",
                                     " WARNING: attempt to push onto full TokenStack"}));
  EXPECT_EQ(t.text.trimmed(), "keep");
  EXPECT_EQ(numbers.top, 1);
  EXPECT_EQ(tokens.top, 1);
}

}  // namespace
}  // namespace quillon::feq_parser
