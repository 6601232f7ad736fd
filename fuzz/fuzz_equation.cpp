// The expression engine on arbitrary texts: the first byte gives the number of
// variable names that follow, the rest is the equation. Each parser is built,
// evaluated in both precisions at ordinary and at hostile values, copied and destructed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string_view>
#include <vector>

#include "feq_parser/equation_parser.h"
#include "fuzz_support.h"
#include "textio/console.h"
#include "textio/error.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const std::size_t nnames = std::min<std::size_t>(data[0], size - 1);
  const auto* chars = reinterpret_cast<const char*>(data + 1);
  const std::vector<char> names(chars, chars + nnames);
  const std::string_view equation(chars + nnames, size - 1 - nnames);

  std::istringstream in;
  std::ostringstream out;
  quillon::textio::Console console(in, out);
  try {
    quillon::feq_parser::EquationParser parser =
        quillon::feq_parser::construct_equationparser(equation, names, console);
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    for (double v : {1.5, 0.0, -2.0, 1.0e300, -1.0e-300, inf, nan}) {
      // Value k is v scaled by k, so the variables differ.
      std::vector<double> values(names.size());
      std::vector<float> values32(names.size());
      for (std::size_t k = 0; k < names.size(); ++k) {
        values[k] = v * static_cast<double>(k + 1);
        values32[k] = static_cast<float>(values[k]);
      }
      (void)parser.evaluate_real64(values);
      (void)parser.evaluate_real32(values32);
    }
    parser.print_infixtokens();
    parser.print_postfixtokens();
    quillon::feq_parser::EquationParser copy = parser;
    parser.destruct_equationparser();
    (void)parser.evaluate_real64(std::vector<double>(names.size(), 1.0));
    (void)copy.evaluate_real64(std::vector<double>(names.size(), 1.0));
    copy.destruct_equationparser();
  } catch (const quillon::textio::FatalError&) {
    // The engine's stops are normal ends.
  }
  return 0;
}
