// Every text the expression engine prints or raises, in one place.
#pragma once

#include <string_view>

namespace quillon::feq_parser::messages {

inline constexpr std::string_view pop_empty_tokenstack =
    "WARNING: attempt to pop from empty TokenStack";
inline constexpr std::string_view peek_empty_tokenstack =
    "WARNING: attempt to peek from empty TokenStack";
inline constexpr std::string_view push_full_tokenstack =
    "WARNING: attempt to push onto full TokenStack";
inline constexpr std::string_view pop_empty_numberstack =
    "WARNING: attempt to pop from empty NumberStack";
inline constexpr std::string_view peek_empty_numberstack =
    "WARNING: attempt to peek from empty NumberStack";
inline constexpr std::string_view push_full_numberstack =
    "WARNING: attempt to push onto full NumberStack";

inline constexpr std::string_view no_equal_sign = "No equal sign found in equation string";
inline constexpr std::string_view missing_after_variable =
    "Missing operator or ')' after variable: ";
inline constexpr std::string_view missing_after_number = "Missing operator or ')' after number: ";
inline constexpr std::string_view missing_paren_after_function = "Missing '(' after function: ";
inline constexpr std::string_view invalid_token = "Invalid token: '";
inline constexpr std::string_view too_many_tokens = "Expression has more than 128 tokens";
inline constexpr std::string_view number_too_long = "Number longer than 48 characters: ";

inline constexpr std::string_view tokenization_failed = "Tokenization failed: ";
inline constexpr std::string_view clean_equation_failed = "CleanEquation failed: ";

inline constexpr std::string_view bad_number = "Bad real number in equation: '";
inline constexpr std::string_view deallocate_unallocated =
    "Attempt to DEALLOCATE unallocated 'parser'";

}  // namespace quillon::feq_parser::messages
