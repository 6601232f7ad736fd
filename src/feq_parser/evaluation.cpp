#include "feq_parser/evaluation.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

#include "feq_parser/messages.h"
#include "numerics/exact_math.h"
#include "textio/charconv.h"
#include "textio/console.h"
#include "textio/error.h"

namespace quillon::feq_parser::detail {

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
    return numerics::exact_math::exp(limit);
  const double clamped = std::clamp(x, -limit, limit);
  if (std::fabs(clamped) <= std::numeric_limits<double>::min())
    return 1.0;
  return numerics::exact_math::exp(clamped);
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
  case Op::log: return numerics::exact_math::log(x);
  case Op::log10: return std::log10(x);
  case Op::acos: return std::acos(x);
  case Op::asin: return std::asin(x);
  case Op::atan: return numerics::exact_math::atan(x);
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
  // Digits and at most one point: read_double reads this as a correctly rounded decimal.
  const auto result =
      textio::read_double(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
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

// A text of one non-blank character and blanks, tested a word at a time.
bool single_character(const FixedText<token_text_length>& text) {
  static_assert(std::endian::native == std::endian::little);
  constexpr std::uint64_t blanks = 0x2020202020202020ULL;
  std::uint64_t words[token_text_length / 8];
  std::memcpy(words, text.chars.data(), token_text_length);
  std::uint64_t differs = (words[0] ^ blanks) & ~std::uint64_t{0xFF};  // all but the first
  for (std::size_t k = 1; k < token_text_length / 8; ++k)
    differs |= words[k] ^ blanks;
  return differs == 0 && text[0] != ' ';
}

// Offset from a binary operator to its fused form with a value or a variable.
std::optional<Op> fused(Op push, Op binary) {
  const int at = static_cast<int>(binary) - static_cast<int>(Op::add);
  if (at < 0 || at > static_cast<int>(Op::power) - static_cast<int>(Op::add))
    return std::nullopt;
  const Op first = push == Op::push_value ? Op::add_value : Op::add_variable;
  return static_cast<Op>(static_cast<int>(first) + at);
}

void fuse(Program& program) {
  std::int32_t out = 0;
  for (std::int32_t k = 0; k < program.count; ++k) {
    Instruction in = program.code[k];
    if ((in.op == Op::push_value || in.op == Op::push_variable) && k + 1 < program.count) {
      if (const auto op = fused(in.op, program.code[k + 1].op)) {
        in.op = *op;
        ++k;
      }
    }
    program.code[out++] = in;
  }
  program.count = out;
}

}  // namespace

Program compile(const TokenStack& postfix, std::string_view names) {
  Program program;
  bool bad_number_seen = false;
  auto emit = [&](Op op, std::int32_t index, double value) {
    program.code[program.count++] = Instruction{op, index, value};
  };

  for (std::int32_t k = 0; k < postfix.top; ++k) {
    const Token& token = postfix.stack[k];
    switch (token.kind) {
    case kind::number: {
      double value = 0.0;
      if (number_value(token.text.view(), value)) {
        emit(Op::push_value, 0, value);
      } else {
        emit(Op::bad_number, k, 0.0);
        bad_number_seen = true;
      }
      break;
    }
    case kind::variable: {
      // Names are one character: the token text is that character and blanks.
      const std::size_t at =
          single_character(token.text) ? names.find(token.text[0]) : std::string_view::npos;
      if (at != std::string_view::npos) {
        emit(Op::push_variable, static_cast<std::int32_t>(at), 0.0);
        program.values_needed = std::max(program.values_needed, static_cast<std::int32_t>(at) + 1);
      }
      break;
    }
    case kind::binary_operator:
      emit(single_character(token.text) ? binary_code(token.text[0]) : Op::binary_other, 0, 0.0);
      break;
    case kind::function: emit(function_code(token.text.view()), 0, 0.0); break;
    case kind::unary_operator:
      // Only a minus acts; any other unary operator leaves the stack alone.
      if (single_character(token.text) && token.text[0] == '-')
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
  if (!program.checked)
    fuse(program);
  return program;
}

namespace {

[[noreturn]] void stop_bad_number(const TokenStack& postfix, std::int32_t index) {
  std::string text(messages::bad_number);
  if (index >= 0 && index < postfix.top)
    text += postfix.stack[index].text.trimmed();
  text += "'";
  throw quillon::textio::FatalError(text);
}

// Used when an operand may be missing: every pop tests the stack, and a missing
// operand counts as 0.0 after one warning line.
template <typename Value>
double execute_checked(const Program& program, const Value* values, const TokenStack& postfix,
                       quillon::textio::Console* console) {
  double stack[max_stack_capacity];
  int top = 0;
  auto push = [&](double v) {
    if (top >= max_stack_capacity) {
      print_line(console, messages::push_full_numberstack);
      return;
    }
    stack[top++] = v;
  };
  auto pop = [&]() -> double {
    if (top < 1) {
      print_line(console, messages::pop_empty_numberstack);
      return 0.0;
    }
    return stack[--top];
  };

  for (std::int32_t k = 0; k < program.count; ++k) {
    const Instruction& in = program.code[k];
    double b = 0.0;
    switch (in.op) {
    case Op::push_value: push(in.value); break;
    case Op::push_variable: push(static_cast<double>(values[in.index])); break;
    case Op::add:
      b = pop();
      push(pop() + b);
      break;
    case Op::subtract:
      b = pop();
      push(pop() - b);
      break;
    case Op::multiply:
      b = pop();
      push(pop() * b);
      break;
    case Op::divide:
      b = pop();
      push(pop() / b);
      break;
    case Op::power:
      b = pop();
      push(numerics::exact_math::pow(pop(), b));
      break;
    case Op::binary_other:
      pop();
      pop();
      push(0.0);
      break;
    case Op::negate: push(-pop()); break;
    case Op::function_other:
      pop();
      push(0.0);
      break;
    case Op::bad_number: stop_bad_number(postfix, in.index);
    default: push(apply_function(in.op, pop())); break;
    }
  }
  return pop();
}

// Used when the compiler has proved every operand present. The top of the stack
// lives in `tos`; stack[] holds the items below it (and, at the bottom, the
// meaningless `tos` of the empty stack).
template <typename Value>
double execute_fast(const Program& program, const Value* values) {
  double stack[max_stack_capacity];
  int top = 0;
  double tos = 0.0;
  for (std::int32_t k = 0; k < program.count; ++k) {
    const Instruction& in = program.code[k];
    switch (in.op) {
    case Op::push_value:
      stack[top++] = tos;
      tos = in.value;
      break;
    case Op::push_variable:
      stack[top++] = tos;
      tos = static_cast<double>(values[in.index]);
      break;
    case Op::add: tos = stack[--top] + tos; break;
    case Op::subtract: tos = stack[--top] - tos; break;
    case Op::multiply: tos = stack[--top] * tos; break;
    case Op::divide: tos = stack[--top] / tos; break;
    case Op::power: tos = numerics::exact_math::pow(stack[--top], tos); break;
    case Op::add_value: tos = tos + in.value; break;
    case Op::subtract_value: tos = tos - in.value; break;
    case Op::multiply_value: tos = tos * in.value; break;
    case Op::divide_value: tos = tos / in.value; break;
    case Op::power_value: tos = numerics::exact_math::pow(tos, in.value); break;
    case Op::add_variable: tos = tos + static_cast<double>(values[in.index]); break;
    case Op::subtract_variable: tos = tos - static_cast<double>(values[in.index]); break;
    case Op::multiply_variable: tos = tos * static_cast<double>(values[in.index]); break;
    case Op::divide_variable: tos = tos / static_cast<double>(values[in.index]); break;
    case Op::power_variable:
      tos = numerics::exact_math::pow(tos, static_cast<double>(values[in.index]));
      break;
    case Op::binary_other:
      --top;
      tos = 0.0;
      break;
    case Op::negate: tos = -tos; break;
    case Op::cos: tos = std::cos(tos); break;
    case Op::sin: tos = std::sin(tos); break;
    case Op::tan: tos = std::tan(tos); break;
    case Op::tanh: tos = std::tanh(tos); break;
    case Op::sqrt: tos = std::sqrt(tos); break;
    case Op::abs: tos = std::fabs(tos); break;
    case Op::guarded_exp: tos = guarded_exp(tos); break;
    case Op::log: tos = numerics::exact_math::log(tos); break;
    case Op::log10: tos = std::log10(tos); break;
    case Op::acos: tos = std::acos(tos); break;
    case Op::asin: tos = std::asin(tos); break;
    case Op::atan: tos = numerics::exact_math::atan(tos); break;
    case Op::function_other: tos = 0.0; break;
    case Op::bad_number: break;  // never in fast code
    }
  }
  return tos;
}

void require_values(const Program& program, std::size_t available) {
  if (available < static_cast<std::size_t>(program.values_needed))
    throw std::out_of_range("feq_parser: fewer values than the equation's variables");
}

template <typename Value>
double run_any(const Program& program, std::span<const Value> values, const TokenStack& postfix,
               quillon::textio::Console* console) {
  require_values(program, values.size());
  return program.checked ? execute_checked(program, values.data(), postfix, console)
                         : execute_fast(program, values.data());
}

// One block of rows on a stack of items (see Item); a result made by the block
// goes to its own storage (item t writes to store[t]).
constexpr std::size_t block_rows = 128;

template <typename F>
Item binary(Item a, Item b, double* out, std::size_t m, F f) {
  if (a.column == nullptr && b.column == nullptr)
    return {nullptr, f(a.value, b.value)};
  if (b.column == nullptr) {
    const double* x = a.column;  // may be out itself
    const double y = b.value;
    for (std::size_t j = 0; j < m; ++j)
      out[j] = f(x[j], y);
  } else if (a.column == nullptr) {
    const double x = a.value;
    const double* y = b.column;
    for (std::size_t j = 0; j < m; ++j)
      out[j] = f(x, y[j]);
  } else {
    const double* x = a.column;  // may be out itself
    const double* y = b.column;
    for (std::size_t j = 0; j < m; ++j)
      out[j] = f(x[j], y[j]);
  }
  return {out, 0.0};
}

template <typename F>
Item unary(Item a, double* out, std::size_t m, F f) {
  if (a.column == nullptr)
    return {nullptr, f(a.value)};
  const double* x = a.column;
  for (std::size_t j = 0; j < m; ++j)
    out[j] = f(x[j]);
  return {out, 0.0};
}

}  // namespace

Item apply_binary(Op op, Item a, Item b, double* out, std::size_t m, Width width) {
  if (op >= Op::add && op <= Op::divide && (a.column != nullptr || b.column != nullptr)) {
    constexpr char symbol[] = {'+', '-', '*', '/'};
    arithmetic_rows(symbol[static_cast<int>(op) - static_cast<int>(Op::add)], a.column, a.value,
                    b.column, b.value, out, m, width);
    return {out, 0.0};
  }
  switch (op) {
  case Op::add: return {nullptr, a.value + b.value};
  case Op::subtract: return {nullptr, a.value - b.value};
  case Op::multiply: return {nullptr, a.value * b.value};
  case Op::divide: return {nullptr, a.value / b.value};
  case Op::power:
    return binary(a, b, out, m, [](double x, double y) { return numerics::exact_math::pow(x, y); });
  default: return {nullptr, 0.0};  // binary_other
  }
}

Item apply_unary(Op op, Item a, double* out, std::size_t m) {
  switch (op) {
  case Op::negate: return unary(a, out, m, [](double x) { return -x; });
  case Op::function_other: return {nullptr, 0.0};
  default: return unary(a, out, m, [op](double x) { return apply_function(op, x); });
  }
}

Op unfused(Op op) {
  if (op >= Op::add_variable)
    return static_cast<Op>(static_cast<int>(Op::add) + static_cast<int>(op) -
                           static_cast<int>(Op::add_variable));
  if (op >= Op::add_value)
    return static_cast<Op>(static_cast<int>(Op::add) + static_cast<int>(op) -
                           static_cast<int>(Op::add_value));
  return op;
}

namespace {

void execute_block(const Program& program, std::span<const RowValues> values, std::size_t first,
                   std::size_t m, double* out, Width width) {
  alignas(64) double store[max_stack_capacity][block_rows];
  Item items[max_stack_capacity];
  int top = 0;  // items on the stack; the top item is items[top - 1]
  // The bottom item, which ends as the result, is made in `out` itself.
  auto slot = [&](int t) { return t == 0 ? out : store[t]; };
  auto variable = [&](std::int32_t index) -> Item {
    const RowValues& v = values[static_cast<std::size_t>(index)];
    return v.column != nullptr ? Item{v.column + first, 0.0} : Item{nullptr, v.value};
  };
  for (std::int32_t k = 0; k < program.count; ++k) {
    const Instruction& in = program.code[k];
    switch (in.op) {
    case Op::push_value: items[top++] = {nullptr, in.value}; break;
    case Op::push_variable: items[top++] = variable(in.index); break;
    case Op::add:
    case Op::subtract:
    case Op::multiply:
    case Op::divide:
    case Op::power:
    case Op::binary_other:
      items[top - 2] = apply_binary(in.op, items[top - 2], items[top - 1], slot(top - 2), m, width);
      --top;
      break;
    case Op::add_value:
    case Op::subtract_value:
    case Op::multiply_value:
    case Op::divide_value:
    case Op::power_value:
      items[top - 1] = apply_binary(unfused(in.op), items[top - 1], Item{nullptr, in.value},
                                    slot(top - 1), m, width);
      break;
    case Op::add_variable:
    case Op::subtract_variable:
    case Op::multiply_variable:
    case Op::divide_variable:
    case Op::power_variable:
      items[top - 1] =
          apply_binary(unfused(in.op), items[top - 1], variable(in.index), slot(top - 1), m, width);
      break;
    case Op::bad_number: break;  // never in unchecked code
    default: items[top - 1] = apply_unary(in.op, items[top - 1], slot(top - 1), m); break;
    }
  }
  const Item result = items[top - 1];
  if (result.column == nullptr) {
    std::fill_n(out, m, result.value);
  } else if (result.column != out) {
    std::copy_n(result.column, m, out);
  }
}

}  // namespace

bool run_rows(const Program& program, std::span<const RowValues> values, std::size_t n,
              double* out) {
  if (program.checked)
    return false;
  require_values(program, values.size());
  const Width width = widest_width();
  for (std::size_t first = 0; first < n; first += block_rows)
    execute_block(program, values, first, std::min(block_rows, n - first), out + first, width);
  return true;
}

double run(const Program& program, std::span<const double> values, const TokenStack& postfix,
           quillon::textio::Console* console) {
  return run_any(program, values, postfix, console);
}

double run(const Program& program, std::span<const float> values, const TokenStack& postfix,
           quillon::textio::Console* console) {
  return run_any(program, values, postfix, console);
}

}  // namespace quillon::feq_parser::detail
