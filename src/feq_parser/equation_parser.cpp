#include "feq_parser/equation_parser.h"

#include <algorithm>
#include <string>

#include "feq_parser/messages.h"
#include "textio/console.h"
#include "textio/error.h"

namespace quillon::feq_parser {

EquationParser construct_equationparser(std::string_view equation, std::span<const char> names,
                                        quillon::textio::Console& console) {
  EquationParser parser;
  parser.console_ = &console;
  parser.variables.allocate(names);
  // The one scan of the text: from its end back over the blank padding.
  const std::size_t length =
      trimmed_length(equation.data(), std::min(equation.size(), equation_length));
  parser.equation.assign(equation.substr(0, length));

  ErrorText errmsg;
  std::int32_t ok = 0;
  parser.clean_trimmed(length, ok, errmsg);
  if (ok == 0) {
    console.list(std::string(messages::clean_equation_failed).append(errmsg.trimmed()));
    return parser;
  }
  parser.tokenize(ok, errmsg);
  if (ok == 0) {
    console.list(std::string(messages::tokenization_failed).append(errmsg.trimmed()));
    return parser;
  }
  parser.converttopostfix();
  return parser;
}

void EquationParser::destruct_equationparser() {
  if (!variables.allocated())
    throw quillon::textio::FatalError(std::string(messages::deallocate_unallocated));
  variables.deallocate();
  expression.fill_blank();
  equation.fill_blank();
  infix.destruct_tokenstack();
  postfix.destruct_tokenstack();
  program_ = detail::Program();
}

double EquationParser::evaluate_real64(std::span<const double> values) const {
  if (!postfix.has_array())
    return 0.0;
  return detail::run(program_, values, postfix, console_);
}

bool EquationParser::evaluate_real64_rows(std::span<const detail::RowValues> values, std::size_t n,
                                          double* out) const {
  if (!postfix.has_array()) {
    std::fill_n(out, n, 0.0);
    return true;
  }
  return detail::run_rows(program_, values, n, out);
}

bool EquationParser::evaluate_real64_rows(std::span<const detail::RowValues> values, std::size_t n,
                                          double* out, detail::RowCache& cache,
                                          bool same_columns) const {
  if (!postfix.has_array()) {
    std::fill_n(out, n, 0.0);
    return true;
  }
  return cache.evaluate(program_, values, n, out, same_columns);
}

float EquationParser::evaluate_real32(std::span<const float> values) const {
  if (!postfix.has_array())
    return 0.0f;
  return static_cast<float>(detail::run(program_, values, postfix, console_));
}

// "f=" and the token texts without their trailing blanks, cut to 1024 characters.
void EquationParser::print_tokens(const TokenStack& list) const {
  std::string line = "f=";
  for (std::int32_t k = 0; k < list.top; ++k) {
    line.resize(trimmed_length(line.data(), line.size()));
    line += list.stack[k].text.view();
    if (line.size() > equation_length)
      line.resize(equation_length);
  }
  detail::print_line(console_,
                     std::string_view(line).substr(0, trimmed_length(line.data(), line.size())));
}

void EquationParser::print_infixtokens() const {
  print_tokens(infix);
}
void EquationParser::print_postfixtokens() const {
  print_tokens(postfix);
}

}  // namespace quillon::feq_parser
