// The six built-in models, in the one table the import, the help screens and the
// model set-up read; their equation texts over P1.., X1.., C1..; and the two
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

// One built-in model.
struct Model {
  int number;             // 1..6: line 1 of a data file
  std::string_view name;  // upper case, as the import and the help screens print it
  int np;                 // parameters P1..Pnp
  int nx;                 // independent-variable columns X1..Xnx, before Y on a data line
  int nc;                 // constants C1..Cnc of the values vector
  std::array<std::string_view, 4> parameters;  // what P1..Pnp stand for
  std::string_view equation;                   // the text the engine evaluates
  std::string_view enzyme_form;                // the model help screen's two forms
  std::string_view parameter_form;
};

inline constexpr std::array<Model, 6> model_table = {{
    {1,
     "ONE SITE MICHAELIS-MENTEN MODEL",
     2,
     1,
     1,
     {"Km", "Vmax"},
     "y = P2*X1 / (X1 + P1)",
     "Y = Vmax / (1 + (Km/S))",
     "Y = P2 / ( 1.0 + P1/X1 )"},
    {2,
     "ONE SITE SIGMOIDAL HILL MODEL",
     3,
     1,
     1,
     {"K", "Vmax", "n"},
     "y = P2*(X1^P3) / ( X1^P3 + P1^P3 )",
     "Y = Vmax / (1 + (IC50 / S)^n)",
     "Y = ( P2 / ( 1.0 + ( P1/X1 )^P3 ))"},
    {3,
     "COMPETITIVE INHIBITION MODEL",
     3,
     2,
     1,
     {"Km", "Vmax", "Ki"},
     "y = (P2*X1/(C1 + X2 / P3)) / (P1 + X1/(C1 + X2 / P3))",
     "Y = Vmax / (1 + Km/S * (1 + I/Ki))",
     "Y = P2 / (1.0 + P1 / X1 * (1.0 + X2 / P3))"},
    {4,
     "NONCOMPETITIVE INHIBITION MODEL",
     3,
     2,
     1,
     {"Km", "Vmax", "Ki"},
     "y = (P2*X1/(C1 + X2 / P3)) / (X1 + P1)",
     "Y = Vmax / ((1 + Km/S) * (1 + I/aKI))",
     "Y = P2 / ((1.0 + P1 / X1) * (1.0 + X2 / P3))"},
    {5,
     "UNCOMPETITIVE INHIBITION MODEL",
     3,
     2,
     1,
     {"Km", "Vmax", "Ki"},
     "y = (P2*X1/(C1 + X2 / P3)) / (P1/(C1 + X2 / P3) + X1)",
     "Y = Vmax / ((Km/S) + (1 + I/Ki))",
     "Y = P2 / ((P1 / X1) + (1.0 + X2 / P3))"},
    {6,
     "MIXED NONCOMPETITIVE MODEL",
     4,
     2,
     1,
     {"Km", "Vmax", "Ki1", "Ki2"},
     "y = P2 * X1 / (P1 * (C1 + X2 / P3) + X1*(C1 + X2 / P4))",
     "Y = Vmax / ((Km/S)*(1 + I/Ki1) + (1 + I/Ki2))",
     "Y = P2 / ((P1/X1)*(1.0 + X2/P3) + (1.0 + X2/P4))"},
}};

// The model of number 1..6; nullptr for any other number.
constexpr const Model* find_model(int number) {
  return number >= 1 && number <= static_cast<int>(model_table.size()) ? &model_table[number - 1]
                                                                       : nullptr;
}

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
