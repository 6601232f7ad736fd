// List-directed reading of numbers from a text stream, as the data files need it:
// values separated by blanks, tabs, commas or a mix, a read continuing onto further
// lines until it has all its values, and the rest of its last line ignored.
#pragma once

#include <cstddef>
#include <istream>
#include <span>
#include <string>
#include <string_view>

#include "textio/console.h"

namespace quillon::textio {

// Where and why the last read failed, for the caller's message.
struct ListReadIssue {
  std::size_t line = 0;  // 1-based line of the stream; for an end of input, the line after the last
  std::string text;      // the item that could not be read; empty at an end of input
  std::size_t values_read = 0;  // values stored before the failure
};

class ListReader {
 public:
  explicit ListReader(std::istream& in) : in_(in) {}

  // One read statement: fills all of `values` in order, each value stored as soon
  // as it is read, so a failed read leaves the first values_read of them set.
  ReadStatus read(std::span<double> values);
  ReadStatus read(double& value) { return read(std::span<double>(&value, 1)); }
  // One integer (the model line): "4" and "+4" read, "4.5" and "x" are bad values.
  ReadStatus read(int& value);

  const ListReadIssue& issue() const { return issue_; }
  std::size_t lines_read() const { return line_number_; }
  // The line the last read ended on, whole.
  std::string_view last_line() const { return line_; }

 private:
  ReadStatus next_item(std::string_view& item);
  void start_statement();
  ReadStatus fail(ReadStatus status, std::string_view text, std::size_t values_read);

  std::istream& in_;
  std::string line_;
  std::size_t cursor_ = 0;
  std::size_t line_number_ = 0;
  ListReadIssue issue_;
};

// A real in Fortran notation: [sign] digits [. digits] [exponent], where the exponent
// is E or D (either case) with an optional sign, or a sign alone ("1.5+3"). A value
// beyond the double range, and the words Inf and NaN, are refused; a value too small
// for a double reads as zero.
bool parse_list_real(std::string_view item, double& value);
// The numbers on a line before its remark (an item starting with '!'), separated as
// a read separates them: what a data line offers.
int count_list_reals(std::string_view line);
// [sign] digits, within the range of int.
bool parse_list_integer(std::string_view item, int& value);

}  // namespace quillon::textio
