// Helpers shared by the expression-engine tests.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "feq_parser/equation_parser.h"

namespace quillon::feq_parser::testing {

// A parser built stage by stage without a console: warnings are dropped, so rows
// that print can be checked for their values alone.
inline EquationParser quiet_parser(std::string_view equation, std::string_view names,
                                   std::int32_t* ok_out = nullptr, ErrorText* err_out = nullptr) {
  EquationParser parser;
  parser.variables.allocate(names);
  parser.equation.assign(equation);
  std::int32_t ok = 0;
  ErrorText errmsg;
  parser.cleanequation(ok, errmsg);
  if (ok == 1)
    parser.tokenize(ok, errmsg);
  if (ok == 1)
    parser.converttopostfix();
  if (ok_out != nullptr)
    *ok_out = ok;
  if (err_out != nullptr)
    *err_out = errmsg;
  return parser;
}

// "text:kind" of each token, separated by blanks.
inline std::string token_list(const TokenStack& list) {
  std::string out;
  for (std::int32_t k = 0; k < list.top; ++k) {
    if (!out.empty())
      out += ' ';
    out += list.stack[k].text.trimmed();
    out += ':';
    out += std::to_string(list.stack[k].kind);
  }
  return out;
}

// Token texts only, separated by blanks.
inline std::string token_texts(const TokenStack& list) {
  std::string out;
  for (std::int32_t k = 0; k < list.top; ++k) {
    if (!out.empty())
      out += ' ';
    out += list.stack[k].text.trimmed();
  }
  return out;
}

inline std::uint64_t bits(double x) {
  return std::bit_cast<std::uint64_t>(x);
}

}  // namespace quillon::feq_parser::testing
