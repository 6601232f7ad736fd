// Infix-to-postfix conversion with an operator stack.
#include "feq_parser/postfix.h"

#include "feq_parser/equation_parser.h"

namespace quillon::feq_parser {

// A stacked operator is released only by an incoming one of strictly lower
// precedence, so operators of equal precedence group from the right: a-b-c is
// a-(b-c), and a leading unary minus covers the following run of + and - terms.
// A function stays stacked after its ")" until the next operator or the end.
void EquationParser::converttopostfix() {
  postfix.construct_tokenstack(max_stack_capacity);
  TokenStack operators;
  operators.construct_tokenstack(max_stack_capacity);
  Token removed;
  // Moves the top operator to the output; the stack is known not to be empty.
  auto release_top = [&] {
    postfix.push_tokenstack(operators.stack[operators.top - 1], console_);
    --operators.top;
  };

  for (std::int32_t k = 0; k < infix.top; ++k) {
    const Token& token = infix.stack[k];
    switch (token.kind) {
    case kind::number:
    case kind::variable: postfix.push_tokenstack(token, console_); break;
    case kind::function:
    case kind::left_parenthesis: operators.push_tokenstack(token, console_); break;
    case kind::binary_operator:
    case kind::unary_operator: {
      const int incoming = detail::precedence(token.text[0]);
      while (!operators.isempty_tokenstack()) {
        const Token& stacked = operators.stack[operators.top - 1];
        if (stacked.text[0] == '(' || incoming >= detail::precedence(stacked.text[0]))
          break;
        release_top();
      }
      operators.push_tokenstack(token, console_);
      break;
    }
    case kind::right_parenthesis:
      while (!operators.isempty_tokenstack()) {
        const Token& stacked = operators.stack[operators.top - 1];
        if (stacked.text[0] == '(')
          break;
        release_top();
      }
      // Removes the "("; warns when there was none.
      operators.pop_tokenstack(removed, console_);
      break;
    default: break;
    }
  }
  while (!operators.isempty_tokenstack()) {
    release_top();
  }
  program_ = detail::compile(postfix, variables.view());
}

}  // namespace quillon::feq_parser
