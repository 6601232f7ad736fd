// Helpers shared by the tests.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "models/fit_state.h"
#include "textio/console.h"

namespace quillon::testing {

// A console over string streams: feed input, read back what was printed.
struct StringConsole {
  explicit StringConsole(std::string input = {}) : in(std::move(input)), console(in, out) {}
  std::string output() const { return out.str(); }
  std::istringstream in;
  std::ostringstream out;
  textio::Console console;
};

// A data file imported and prepared as the program does (what those steps print
// goes to `console`); after a test failure, an empty state when the file is refused.
models::FitState prepared_fit(textio::Console& console, const std::string& path);

// Joins lines with CR LF, the console's line end, and ends the last one too.
std::string crlf_lines(const std::vector<std::string>& lines);

// The whole file, bytes unchanged ("" when it cannot be read).
std::string read_file(const std::string& path);

// Lines of a CR LF text; a last line without its CR LF is marked so that a compare shows it.
std::vector<std::string> split_crlf(const std::string& text);

}  // namespace quillon::testing
