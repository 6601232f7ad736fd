// Evaluation of a parsed equation and the function library.
//
// The postfix list is compiled once, when the parser is built, into a flat list of
// instructions: numbers already converted, variables bound to their index, each
// operator and function its own op code, and a push that feeds the next operator
// fused with it. Evaluating is one switch loop over that list on a local array of
// 128 doubles with the top value kept in a register. The instructions are the
// postfix tokens in their order, so the arithmetic is exactly that of walking the
// tokens one by one: nothing is regrouped or folded.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "feq_parser/row_kernels.h"
#include "feq_parser/tokens.h"

namespace quillon::feq_parser::detail {

enum class Op : std::uint8_t {
  push_value,
  push_variable,
  add,
  subtract,
  multiply,
  divide,
  power,
  binary_other,  // an operator text outside + - * / ^: pops two, pushes 0.0
  negate,
  cos,
  sin,
  tan,
  tanh,
  sqrt,
  abs,
  guarded_exp,
  log,
  log10,
  acos,
  asin,
  atan,
  function_other,  // a function name outside the library: pops one, pushes 0.0
  bad_number,      // a number text that is not a number: stops the program when reached
  // A push directly followed by a binary operator, fused: the new operand is the
  // operator's right-hand side and the stack top its left-hand side, as before.
  add_value,
  subtract_value,
  multiply_value,
  divide_value,
  power_value,
  add_variable,
  subtract_variable,
  multiply_variable,
  divide_variable,
  power_variable,
};

struct Instruction {
  Op op;
  std::int32_t index;  // variable index, or postfix position of a bad number
  double value;        // value of push_value
};

struct Program {
  Program() {}
  Program(const Program& other) { copy_from(other); }
  Program& operator=(const Program& other) {
    if (this != &other)
      copy_from(other);
    return *this;
  }

  Instruction code[max_stack_capacity];  // entries from count on are never read
  std::int32_t count = 0;
  // Set when some operand can be missing or a number text is bad: the loop then
  // tests the stack and is ready to warn, and the code holds no fused instructions.
  bool checked = true;
  std::int32_t values_needed = 0;  // one more than the highest variable index used

 private:
  void copy_from(const Program& other);
};

// The single-precision value of pi widened to double precision.
inline constexpr double pi = 3.1415927410125732;

// `names` holds the variable names; the first match gives the index.
Program compile(const TokenStack& postfix, std::string_view names);

// The postfix list is needed only for the message of a bad number.
double run(const Program& program, std::span<const double> values, const TokenStack& postfix,
           quillon::textio::Console* console);
double run(const Program& program, std::span<const float> values, const TokenStack& postfix,
           quillon::textio::Console* console);

// The values of one variable over a run of rows: `column[r]` for row r, or `value`
// in every row when column is null.
struct RowValues {
  const double* column = nullptr;
  double value = 0.0;
};

// The values of an operand or a result over a run of rows: `column[r]` for row r,
// or `value` in every row when column is null.
struct Item {
  const double* column;
  double value;
};

// One operation over rows 0..m-1, each row as the single-row loop makes it, operand
// for operand. A result that varies by row is written to out (which may be an
// operand's column) and returned as that column; binary_other and function_other
// give 0.0 in every row.
Item apply_binary(Op op, Item a, Item b, double* out, std::size_t m, Width width);
Item apply_unary(Op op, Item a, double* out, std::size_t m);

// The binary operator of a fused instruction; any other op as it is.
Op unfused(Op op);

// Evaluates rows 0..n-1 into out[0..n-1], each exactly as `run` would with that
// row's values: the instructions are applied a block of rows at a time, so the
// dispatch is paid once per block. Returns false, and does nothing, when the
// program needs the checked evaluation (its warnings belong to each single run).
bool run_rows(const Program& program, std::span<const RowValues> values, std::size_t n,
              double* out);

// Library function by name (trimmed; case ignored); Op::function_other when unknown.
Op function_code(std::string_view name);
double apply_function(Op code, double x);
double f_of_x(std::string_view name, double x);
double guarded_exp(double x);

// A number token's value: "pi" or "PI", or one or more digits with at most one point.
// Returns false for any other text.
bool number_value(std::string_view text, double& value);

}  // namespace quillon::feq_parser::detail
