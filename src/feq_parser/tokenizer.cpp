// Cleaning of an equation text and tokenizing of its right-hand side.
#include "feq_parser/tokenizer.h"

#include <array>
#include <cstring>
#include <initializer_list>

#include "feq_parser/equation_parser.h"
#include "feq_parser/messages.h"

namespace quillon::feq_parser {

namespace {

void set_error(ErrorText& errmsg, std::initializer_list<std::string_view> parts) {
  errmsg.fill_blank();
  std::size_t at = 0;
  for (std::string_view part : parts) {
    const std::size_t n = std::min(part.size(), errmsg.size() - at);
    std::memcpy(errmsg.chars.data() + at, part.data(), n);
    at += n;
  }
}

bool is_number_char(char c) {
  return detail::has_class(c, detail::char_class::number_char);
}

}  // namespace

// Splits at the first "=": the left side, cut to 12 characters, is the name; the
// right side without its blanks is the expression. Only the space counts as a blank.
void EquationParser::cleanequation(std::int32_t& ok, ErrorText& errmsg) {
  clean_trimmed(trimmed_length(equation.data(), equation.size()), ok, errmsg);
}

// `length` is the trimmed length of `equation`, known to the constructor without a scan.
void EquationParser::clean_trimmed(std::size_t length, std::int32_t& ok, ErrorText& errmsg) {
  ok = 0;
  name.assign("#noname");
  const char* text = equation.data();
  const void* found = std::memchr(text, '=', length);
  if (found == nullptr) {
    set_error(errmsg, {messages::no_equal_sign});
    return;
  }
  const std::size_t equals_at = static_cast<std::size_t>(static_cast<const char*>(found) - text);
  name.assign(std::string_view(text, equals_at));
  expression.fill_blank();
  std::size_t out = 0;
  for (std::size_t k = equals_at + 1; k < length; ++k) {
    if (text[k] != ' ')
      expression.set(out++, text[k]);
  }
  ok = 1;
}

// expression := item { item }, read left to right up to the first blank, where an item is
//   a variable name (one character, first match), followed by an operator, ")" or the end;
//   a number: "p" or "P" and the next character, or a run of digits, "." "p" "P",
//     followed by an operator, ")" or the end;
//   one of + - * / ( ) ^;
//   a function: a letter O..Z and up to three more characters before "(", then "(".
// Afterwards an operator at the start or right after "(" becomes unary.
void EquationParser::tokenize(std::int32_t& ok, ErrorText& errmsg) {
  ok = 0;
  errmsg.fill_blank();
  infix.construct_tokenstack(max_stack_capacity);

  const std::size_t length = expression.size();
  auto at = [&](std::size_t k) { return k < length ? expression[k] : ' '; };
  auto ends_operand = [&](char c) {
    return c == ' ' || c == ')' || detail::has_class(c, detail::char_class::operator_char);
  };
  auto append = [&](std::string_view text, std::int32_t token_kind) {
    if (infix.top >= infix.capacity()) {
      set_error(errmsg, {messages::too_many_tokens});
      return false;
    }
    Token& token = infix.stack[infix.top++];
    token.text.assign(text);
    token.kind = token_kind;
    return true;
  };
  auto last_text = [&]() { return infix.stack[infix.top - 1].text.view(); };

  // Which characters are variable names, looked up once per character.
  std::array<bool, 256> is_variable{};
  for (char c : variables.view())
    is_variable[static_cast<unsigned char>(c)] = true;

  std::size_t pos = 0;
  while (at(pos) != ' ') {
    const char c = at(pos);
    if (is_variable[static_cast<unsigned char>(c)]) {
      if (!append(std::string_view(&c, 1), kind::variable))
        return;
      ++pos;
      if (!ends_operand(at(pos))) {
        set_error(errmsg, {messages::missing_after_variable, last_text()});
        return;
      }
    } else if (is_number_char(c)) {
      std::size_t end = pos + 1;
      if (c == 'p' || c == 'P') {
        end = pos + 2;
      } else {
        while (end < length && is_number_char(expression[end]))
          ++end;
      }
      char pair[2] = {c, at(pos + 1)};
      const std::string_view text = (c == 'p' || c == 'P')
                                        ? std::string_view(pair, 2)
                                        : std::string_view(expression.data() + pos, end - pos);
      if (text.size() > token_text_length) {
        set_error(errmsg, {messages::number_too_long, text.substr(0, token_text_length)});
        return;
      }
      if (!append(text, kind::number))
        return;
      pos = end;
      if (!ends_operand(at(pos))) {
        set_error(errmsg, {messages::missing_after_number, last_text()});
        return;
      }
    } else if (detail::has_class(c, detail::char_class::separator)) {
      const std::int32_t token_kind = c == '('   ? kind::left_parenthesis
                                      : c == ')' ? kind::right_parenthesis
                                                 : kind::binary_operator;
      if (!append(std::string_view(&c, 1), token_kind))
        return;
      ++pos;
    } else if (detail::has_class(c, detail::char_class::function_letter)) {
      std::size_t letters = 1;
      for (std::size_t k = 1; k <= 4; ++k) {
        if (at(pos + k) == '(') {
          letters = k;
          break;
        }
      }
      if (!append(std::string_view(expression.data() + pos, letters), kind::function)) {
        return;
      }
      pos += letters;
      if (at(pos) != '(') {
        set_error(errmsg, {messages::missing_paren_after_function, last_text()});
        return;
      }
    } else {
      set_error(errmsg, {messages::invalid_token, std::string_view(&c, 1), "'"});
      return;
    }
  }

  if (infix.top >= 1) {
    Token& first = infix.stack[0];
    const char op = first.text[0];
    if (first.kind == kind::binary_operator && (op == '+' || op == '-')) {
      first.kind = kind::unary_operator;
    }
  }
  for (std::int32_t j = 1; j < infix.top; ++j) {
    if (infix.stack[j].kind == kind::binary_operator &&
        infix.stack[j - 1].kind == kind::left_parenthesis) {
      infix.stack[j].kind = kind::unary_operator;
    }
  }
  ok = 1;
}

}  // namespace quillon::feq_parser
