#include "feq_parser/evaluation.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "dialogue/program_stop.h"
#include "feq_parser/messages.h"

namespace feq_parser::detail {

void Program::copy_from(const Program& other) {
  count = other.count;
  checked = other.checked;
  values_needed = other.values_needed;
  std::copy_n(other.code, std::clamp(other.count, 0, max_stack_capacity), code);
}

// e^x for x clamped to [-80, 80]; NaN gives 1 and both infinities e^80.
double guarded_exp(double x) {
  constexpr double limit = 80.0;
  if (std::isnan(x))
    return 1.0;
  if (std::isinf(x))
    return std::exp(limit);
  const double clamped = std::clamp(x, -limit, limit);
  if (std::fabs(clamped) <= std::numeric_limits<double>::min())
    return 1.0;
  return std::exp(clamped);
}

Op function_code(std::string_view name) {
  name = name.substr(0, trimmed_length(name.data(), name.size()));
  if (name.size() != 1)
    return Op::function_other;
  switch (std::toupper(static_cast<unsigned char>(name[0]))) {
  case 'O': return Op::cos;
  case 'P': return Op::sin;
  case 'Q': return Op::tan;
  case 'R': return Op::tanh;
  case 'S': return Op::sqrt;
  case 'T': return Op::abs;
  case 'U': return Op::guarded_exp;
  case 'V': return Op::log;
  case 'W': return Op::log10;
  case 'X': return Op::acos;
  case 'Y': return Op::asin;
  case 'Z': return Op::atan;
  default: return Op::function_other;
  }
}

double apply_function(Op code, double x) {
  switch (code) {
  case Op::cos: return std::cos(x);
  case Op::sin: return std::sin(x);
  case Op::tan: return std::tan(x);
  case Op::tanh: return std::tanh(x);
  case Op::sqrt: return std::sqrt(x);
  case Op::abs: return std::fabs(x);
  case Op::guarded_exp: return guarded_exp(x);
  case Op::log: return std::log(x);
  case Op::log10: return std::log10(x);
  case Op::acos: return std::acos(x);
  case Op::asin: return std::asin(x);
  case Op::atan: return std::atan(x);
  default: return 0.0;
  }
}

double f_of_x(std::string_view name, double x) {
  return apply_function(function_code(name), x);
}

bool number_value(std::string_view text, double& value) {
  text = text.substr(0, trimmed_length(text.data(), text.size()));
  if (text == "pi" || text == "PI") {
    value = pi;
    return true;
  }
  int digits = 0;
  int points = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return false;
    }
  }
  if (digits == 0 || points > 1)
    return false;
  // Digits and at most one point: from_chars reads this as a correctly rounded decimal.
  const auto result =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

namespace {

Op binary_code(char c) {
  switch (c) {
  case '+': return Op::add;
  case '-': return Op::subtract;
  case '*': return Op::multiply;
  case '/': return Op::divide;
  case '^': return Op::power;
  default: return Op::binary_other;
  }
}

// Operands each instruction takes from the stack.
int operands(Op op) {
  switch (op) {
  case Op::push_value:
  case Op::push_variable:
  case Op::bad_number: return 0;
  case Op::add:
  case Op::subtract:
  case Op::multiply:
  case Op::divide:
  case Op::power:
  case Op::binary_other: return 2;
  default: return 1;
  }
}

}  // namespace

Program compile(const TokenStack& postfix, std::string_view names) {
  Program program;
  program.count = 0;
  program.values_needed = 0;
  bool bad_number_seen = false;
  auto emit = [&](Op op, std::int32_t index, double value) {
    program.code[program.count++] = Instruction{op, index, value};
  };

  for (std::int32_t k = 0; k < postfix.top; ++k) {
    const Token& token = postfix.stack[k];
    const std::string_view text = token.text.view();
    switch (token.kind) {
    case kind::number: {
      double value = 0.0;
      if (number_value(text, value)) {
        emit(Op::push_value, 0, value);
      } else {
        emit(Op::bad_number, k, 0.0);
        bad_number_seen = true;
      }
      break;
    }
    case kind::variable: {
      // Names are one character: the token text is that character and blanks.
      const std::size_t at = text.substr(1).find_first_not_of(' ') == std::string_view::npos
                                 ? names.find(text[0])
                                 : std::string_view::npos;
      if (at != std::string_view::npos) {
        emit(Op::push_variable, static_cast<std::int32_t>(at), 0.0);
        program.values_needed = std::max(program.values_needed, static_cast<std::int32_t>(at) + 1);
      }
      break;
    }
    case kind::binary_operator:
      emit(text.substr(1).find_first_not_of(' ') == std::string_view::npos ? binary_code(text[0])
                                                                           : Op::binary_other,
           0, 0.0);
      break;
    case kind::function: emit(function_code(text), 0, 0.0); break;
    case kind::unary_operator:
      // Only a minus acts; any other unary operator leaves the stack alone.
      if (token.text.trimmed() == "-")
        emit(Op::negate, 0, 0.0);
      break;
    default: break;
    }
  }

  // The stack depth at every step is fixed by the instructions, so whether an operand
  // can ever be missing is known now.
  int depth = 0;
  bool underflow = false;
  for (std::int32_t k = 0; k < program.count; ++k) {
    const int needed = operands(program.code[k].op);
    if (depth < needed)
      underflow = true;
    depth = std::max(depth - needed, 0) + 1;
  }
  program.checked = bad_number_seen || underflow || depth < 1;
  return program;
}

namespace {

[[noreturn]] void stop_bad_number(const TokenStack& postfix, std::int32_t index) {
  std::string text(messages::bad_number);
  if (index >= 0 && index < postfix.top)
    text += postfix.stack[index].text.trimmed();
  text += "'";
  throw quillon::ProgramStop(1, text);
}

// With Checked false the compiler has proved every operand present, so the stack
// needs no tests; the arithmetic is the same in both forms.
template <bool Checked, typename Value>
double execute(const Program& program, const Value* values, const TokenStack& postfix,
               quillon::Console* console) {
  double stack[max_stack_capacity];
  int top = 0;
  auto push = [&](double v) {
    if constexpr (Checked) {
      if (top >= max_stack_capacity) {
        print_line(console, messages::push_full_numberstack);
        return;
      }
    }
    stack[top++] = v;
  };
  auto pop = [&]() -> double {
    if constexpr (Checked) {
      if (top < 1) {
        print_line(console, messages::pop_empty_numberstack);
        return 0.0;
      }
    }
    return stack[--top];
  };

  for (std::int32_t k = 0; k < program.count; ++k) {
    const Instruction& in = program.code[k];
    switch (in.op) {
    case Op::push_value: push(in.value); break;
    case Op::push_variable: push(static_cast<double>(values[in.index])); break;
    case Op::add: {
      const double b = pop();
      const double a = pop();
      push(a + b);
      break;
    }
    case Op::subtract: {
      const double b = pop();
      const double a = pop();
      push(a - b);
      break;
    }
    case Op::multiply: {
      const double b = pop();
      const double a = pop();
      push(a * b);
      break;
    }
    case Op::divide: {
      const double b = pop();
      const double a = pop();
      push(a / b);
      break;
    }
    case Op::power: {
      const double b = pop();
      const double a = pop();
      push(std::pow(a, b));
      break;
    }
    case Op::binary_other:
      pop();
      pop();
      push(0.0);
      break;
    case Op::negate: push(-pop()); break;
    case Op::cos: push(std::cos(pop())); break;
    case Op::sin: push(std::sin(pop())); break;
    case Op::tan: push(std::tan(pop())); break;
    case Op::tanh: push(std::tanh(pop())); break;
    case Op::sqrt: push(std::sqrt(pop())); break;
    case Op::abs: push(std::fabs(pop())); break;
    case Op::guarded_exp: push(guarded_exp(pop())); break;
    case Op::log: push(std::log(pop())); break;
    case Op::log10: push(std::log10(pop())); break;
    case Op::acos: push(std::acos(pop())); break;
    case Op::asin: push(std::asin(pop())); break;
    case Op::atan: push(std::atan(pop())); break;
    case Op::function_other:
      pop();
      push(0.0);
      break;
    case Op::bad_number: stop_bad_number(postfix, in.index);
    }
  }
  return pop();
}

template <typename Value>
double run_any(const Program& program, std::span<const Value> values, const TokenStack& postfix,
               quillon::Console* console) {
  if (values.size() < static_cast<std::size_t>(program.values_needed)) {
    throw std::out_of_range("feq_parser: fewer values than the equation's variables");
  }
  return program.checked ? execute<true>(program, values.data(), postfix, console)
                         : execute<false>(program, values.data(), postfix, console);
}

}  // namespace

double run(const Program& program, std::span<const double> values, const TokenStack& postfix,
           quillon::Console* console) {
  return run_any(program, values, postfix, console);
}

double run(const Program& program, std::span<const float> values, const TokenStack& postfix,
           quillon::Console* console) {
  return run_any(program, values, postfix, console);
}

}  // namespace feq_parser::detail
