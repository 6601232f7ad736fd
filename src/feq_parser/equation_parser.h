// The expression engine's public face: an equation text and a list of one-letter
// variable names become an EquationParser, which is then evaluated with an array of
// values in the order of the names. The parser is a plain value: all its lists have
// fixed capacity inside the object, copies are deep, and building one allocates
// nothing on the heap.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "feq_parser/evaluation.h"
#include "feq_parser/row_cache.h"
#include "feq_parser/tokens.h"

namespace quillon::feq_parser {

inline constexpr std::size_t equation_length = 1024;
inline constexpr std::size_t name_length = 12;
inline constexpr std::size_t errmsg_length = 256;

using ErrorText = FixedText<errmsg_length>;

// The variable names of a parser. Only the first 256 are stored: with 256 possible
// characters any later name repeats an earlier one, and the first match always wins.
class VariableNames {
 public:
  static constexpr std::size_t max_stored = 256;

  void allocate(std::span<const char> names) {
    stored_ = std::min(names.size(), max_stored);
    std::copy_n(names.begin(), stored_, chars_.begin());
    allocated_ = true;
  }
  void deallocate() {
    allocated_ = false;
    stored_ = 0;
  }
  bool allocated() const { return allocated_; }
  std::string_view view() const { return {chars_.data(), stored_}; }
  // 0-based index of the first name equal to c, or -1.
  int find(char c) const {
    for (std::size_t k = 0; k < stored_; ++k) {
      if (chars_[k] == c)
        return static_cast<int>(k);
    }
    return -1;
  }

 private:
  std::array<char, max_stored> chars_{};
  std::size_t stored_ = 0;
  bool allocated_ = false;
};

class EquationParser {
 public:
  PaddedText<equation_length> equation;
  FixedText<name_length> name;
  PaddedText<equation_length> expression;
  VariableNames variables;
  TokenStack infix;
  TokenStack postfix;

  // ok is 1 on success, 0 on failure with the message in errmsg.
  void cleanequation(std::int32_t& ok, ErrorText& errmsg);
  float evaluate_real32(std::span<const float> values) const;
  void print_infixtokens() const;
  void tokenize(std::int32_t& ok, ErrorText& errmsg);
  void print_postfixtokens() const;
  // 0.0 without a message when the parser has no postfix list (failed or destructed).
  double evaluate_real64(std::span<const double> values) const;
  // evaluate_real64 for rows 0..n-1 at once (see detail::run_rows); false, with
  // nothing done, when the equation must be evaluated one row at a time.
  bool evaluate_real64_rows(std::span<const detail::RowValues> values, std::size_t n,
                            double* out) const;
  // The same through `cache`, which keeps subexpressions' rows from call to call.
  bool evaluate_real64_rows(std::span<const detail::RowValues> values, std::size_t n, double* out,
                            detail::RowCache& cache, bool same_columns) const;
  // A second destruction stops the program.
  void destruct_equationparser();
  void converttopostfix();

 private:
  friend EquationParser construct_equationparser(std::string_view equation,
                                                 std::span<const char> names,
                                                 quillon::textio::Console& console);
  void print_tokens(const TokenStack& list) const;
  void clean_trimmed(std::size_t length, std::int32_t& ok, ErrorText& errmsg);

  quillon::textio::Console* console_ = nullptr;  // warnings and diagnostics
  // Compiled form of `postfix` as converttopostfix left it: what evaluation runs.
  detail::Program program_;
};

// Builds a parser; a failure is reported by one console line and leaves a parser
// that evaluates to 0.0.
EquationParser construct_equationparser(std::string_view equation, std::span<const char> names,
                                        quillon::textio::Console& console);

}  // namespace quillon::feq_parser
