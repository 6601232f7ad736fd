#include "support/test_support.h"

namespace quillon::testing {

std::string crlf_lines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace quillon::testing
