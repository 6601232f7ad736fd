// Character classes of the tokenizer.
#pragma once

#include <string_view>

namespace feq_parser::detail {

inline constexpr std::string_view separators = "+-*/()^";
inline constexpr std::string_view operators = "+-*/^";
inline constexpr std::string_view numbers = "0123456789";
inline constexpr std::string_view functions = "OPQRSTUVWXYZ";

inline bool is_in(std::string_view table, char c) {
  return table.find(c) != std::string_view::npos;
}

}  // namespace feq_parser::detail
