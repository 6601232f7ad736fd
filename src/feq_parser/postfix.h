// Operator precedence of the infix-to-postfix conversion.
#pragma once

#include "feq_parser/tokenizer.h"

namespace quillon::feq_parser::detail {

// By the first character of a token's text.
inline int precedence(char c) {
  if (has_class(c, char_class::function_letter))
    return 4;
  switch (c) {
  case '^': return 3;
  case '*':
  case '/': return 2;
  case '+':
  case '-': return 1;
  default: return 0;
  }
}

}  // namespace quillon::feq_parser::detail
