// List-directed reads from a data file: each read starts on a new line, takes values
// separated by blanks, tabs or commas, continues onto further lines until it has all
// it needs, and ignores the rest of the last line it read.
#pragma once

#include <istream>
#include <span>
#include <string>

#include "dialogue/console.h"

namespace quillon {

struct ValueRead {
  ReadStatus status = ReadStatus::ok;
  int line = 0;      // 1-based line of the failure
  std::string text;  // the text that could not be read
};

class ValueReader {
 public:
  explicit ValueReader(std::istream& in) : in_(in) {}
  ValueRead reals(std::span<double> values);
  ValueRead integer(int& value);

 private:
  std::istream& in_;
  int line_ = 0;  // lines consumed so far
};

}  // namespace quillon
