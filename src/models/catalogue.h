// The six built-in models as equation texts over P1.., X1.., C1.., and the two
// encodings that turn such a text into what the expression engine parses:
// function names into single upper-case letters, variable names into single
// lower-case letters of `indepvars`.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quillon::models {

inline constexpr std::size_t equation_length = 512;

inline constexpr int max_params = 8;
inline constexpr int max_indep = 3;
inline constexpr int max_consts = 3;
inline constexpr int max_names = 14;

// Two characters per name.
inline constexpr std::string_view pchar = "P1P2P3P4P5P6P7P8";
inline constexpr std::string_view xchar = "X1X2X3";
inline constexpr std::string_view cchar = "C1C2C3X1X2X3";  // the constants are its first half
// Entry k of the values vector is the k-th of these letters in an encoded equation.
inline constexpr std::string_view indepvars = "abcdefghijklmn";

// C1, C2, C3; a model with nc constants uses the first nc.
inline constexpr std::array<double, max_consts> constant_values = {1.0, 2.0, 3.0};

struct FunctionName {
  std::string_view name;  // four characters, blank-padded
  char letter;
};

// In encoding order: a longer name before the shorter one it contains.
inline constexpr std::array<FunctionName, 12> function_names = {{
    {"TANH", 'R'},
    {"ACOS", 'X'},
    {"ASIN", 'Y'},
    {"ATAN", 'Z'},
    {"COS ", 'O'},
    {"SIN ", 'P'},
    {"TAN ", 'Q'},
    {"SQRT", 'S'},
    {"ABS ", 'T'},
    {"EXP ", 'U'},
    {"LN  ", 'V'},
    {"LOG ", 'W'},
}};

// The equation text of model 1..6, blank-filled to 512 characters; any other
// number gives an all-blank text.
void funchar(std::string& text, int model);

// Overwrites every occurrence of the (blank-padded) function name by a blank,
// its letter and blanks, keeping the text's length. found = 1 if any occurred.
void replace_1_to_4(std::string_view old, std::string_view letter, std::string& text, int& found);

// Replaces every occurrence of a two-character name by one letter; the text
// after it moves left and a blank is added at the end. found = 1 if any occurred.
void replace(std::string_view old, std::string_view letter, std::string& text, int& found);

// Removes blanks and control characters and upper-cases a..z: the display form.
void display_form(std::string& text);

// Encodes every function name of the display form in place (once per fit).
void encode_function_names(std::string& text);

}  // namespace quillon::models
