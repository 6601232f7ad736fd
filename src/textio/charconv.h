// std::from_chars and std::to_chars for doubles on every standard library: some (the
// WebAssembly build's) have only the integer ones. Both give exactly the bits and
// characters the full library gives, so every build reads and writes the same numbers.
#pragma once

#include <charconv>

namespace quillon::textio {

// As std::from_chars(first, last, value, format): correctly rounded; a value beyond the
// largest double, or a nonzero one below the smallest, is result_out_of_range with
// `value` untouched.
std::from_chars_result read_double(const char* first, const char* last, double& value,
                                   std::chars_format format = std::chars_format::general);

// As std::to_chars(first, last, value): the shortest digits that read back to `value`
// (the nearest such when several), in fixed or exponent notation, whichever is shorter
// (fixed on a tie). 25 characters always suffice.
std::to_chars_result write_shortest(char* first, char* last, double value);

}  // namespace quillon::textio
