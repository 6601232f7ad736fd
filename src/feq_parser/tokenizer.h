// Character classes of the tokenizer.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quillon::feq_parser::detail {

inline constexpr std::string_view separators = "+-*/()^";
inline constexpr std::string_view operators = "+-*/^";
inline constexpr std::string_view numbers = "0123456789";
inline constexpr std::string_view functions = "OPQRSTUVWXYZ";

// The tables above as bits of one lookup per character.
namespace char_class {
inline constexpr std::uint8_t separator = 1;
inline constexpr std::uint8_t operator_char = 2;
inline constexpr std::uint8_t digit = 4;
inline constexpr std::uint8_t function_letter = 8;
inline constexpr std::uint8_t number_char = 16;  // digits, ".", "p" and "P"
}  // namespace char_class

inline constexpr std::array<std::uint8_t, 256> char_classes = [] {
  std::array<std::uint8_t, 256> table{};
  auto mark = [&](std::string_view chars, std::uint8_t bit) {
    for (char c : chars)
      table[static_cast<unsigned char>(c)] |= bit;
  };
  mark(separators, char_class::separator);
  mark(operators, char_class::operator_char);
  mark(numbers, char_class::digit);
  mark(functions, char_class::function_letter);
  mark(numbers, char_class::number_char);
  mark(".pP", char_class::number_char);
  return table;
}();

inline bool has_class(char c, std::uint8_t bits) {
  return (char_classes[static_cast<unsigned char>(c)] & bits) != 0;
}

}  // namespace quillon::feq_parser::detail
