// The six built-in models, in the one table that everything knowing a model reads
// (import, help screens, set-up, warnings, analysis, comparison, pictures); their
// equation texts over P1.., X1.., C1..; and the two encodings that turn such a text into what the
// expression engine parses: function names into single upper-case letters, variable names into
// single lower-case letters of `indepvars`.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// What a parameter stands for: how a start value can be found from the data, and
// which parameter of another model of the group carries the same meaning.
enum class Role {
  half_saturation,      // Km, K, IC50: in X1's units
  max_rate,             // Vmax: in Y's units
  inhibition_constant,  // Ki, Ki1, Ki2: in X2's units
  hill_coefficient,     // n: no units
};

// A start value with its bounds.
struct Start {
  double initial = 0.0;
  double lower = 0.0;
  double upper = 0.0;
};

struct Parameter {
  std::string_view name;  // "Km", "Vmax", ...
  Role role;
  // 1-based position of this parameter in the group's most general model: a
  // candidate takes its start and bounds from the parameter of the same position,
  // else from the first of the same role, else `neutral`.
  int general_position;
  Start neutral{};  // where no other model of the group has it (Hill's n: the MM curve)
};

// One built-in model.
struct Model {
  int number;              // 1..6: line 1 of a data file
  std::string_view name;   // upper case, as the import and the help screens print it
  std::string_view label;  // lower case, as the comparison names it
  int np;                  // parameters P1..Pnp
  int nx;                  // independent-variable columns X1..Xnx, before Y on a data line
  int nc;                  // constants C1..Cnc of the values vector
  std::array<Parameter, 4> parameters;  // P1..Pnp
  std::string_view equation;            // the text the engine evaluates
  std::string_view enzyme_form;         // the model help screen's two forms
  std::string_view parameter_form;
  int general;           // the most general model of its comparison group: the group is the
                         // models of the same `general`, which nest in it
  std::string_view key;  // its name on the batch's command line (--model)
};

inline constexpr Start hill_neutral_n = {1.0, 0.1, 10.0};

inline constexpr std::array<Model, 6> model_table = {{
    {1,
     "ONE SITE MICHAELIS-MENTEN MODEL",
     "Michaelis-Menten",
     2,
     1,
     1,
     {{{"Km", Role::half_saturation, 1}, {"Vmax", Role::max_rate, 2}}},
     "y = P2*X1 / (X1 + P1)",
     "Y = Vmax / (1 + (Km/S))",
     "Y = P2 / ( 1.0 + P1/X1 )",
     2,
     "mm"},
    {2,
     "ONE SITE SIGMOIDAL HILL MODEL",
     "Hill",
     3,
     1,
     1,
     {{{"K", Role::half_saturation, 1},
       {"Vmax", Role::max_rate, 2},
       {"n", Role::hill_coefficient, 3, hill_neutral_n}}},
     "y = P2*(X1^P3) / ( X1^P3 + P1^P3 )",
     "Y = Vmax / (1 + (IC50 / S)^n)",
     "Y = ( P2 / ( 1.0 + ( P1/X1 )^P3 ))",
     2,
     "hill"},
    {3,
     "COMPETITIVE INHIBITION MODEL",
     "competitive",
     3,
     2,
     1,
     {{{"Km", Role::half_saturation, 1},
       {"Vmax", Role::max_rate, 2},
       {"Ki", Role::inhibition_constant, 3}}},
     "y = (P2*X1/(C1 + X2 / P3)) / (P1 + X1/(C1 + X2 / P3))",
     "Y = Vmax / (1 + Km/S * (1 + I/Ki))",
     "Y = P2 / (1.0 + P1 / X1 * (1.0 + X2 / P3))",
     6,
     "competitive"},
    {4,
     "NONCOMPETITIVE INHIBITION MODEL",
     "noncompetitive",
     3,
     2,
     1,
     {{{"Km", Role::half_saturation, 1},
       {"Vmax", Role::max_rate, 2},
       {"Ki", Role::inhibition_constant, 3}}},
     "y = (P2*X1/(C1 + X2 / P3)) / (X1 + P1)",
     "Y = Vmax / ((1 + Km/S) * (1 + I/aKI))",
     "Y = P2 / ((1.0 + P1 / X1) * (1.0 + X2 / P3))",
     6,
     "noncompetitive"},
    {5,
     "UNCOMPETITIVE INHIBITION MODEL",
     "uncompetitive",
     3,
     2,
     1,
     {{{"Km", Role::half_saturation, 1},
       {"Vmax", Role::max_rate, 2},
       {"Ki", Role::inhibition_constant, 4}}},
     "y = (P2*X1/(C1 + X2 / P3)) / (P1/(C1 + X2 / P3) + X1)",
     "Y = Vmax / ((Km/S) + (1 + I/Ki))",
     "Y = P2 / ((P1 / X1) + (1.0 + X2 / P3))",
     6,
     "uncompetitive"},
    {6,
     "MIXED NONCOMPETITIVE MODEL",
     "mixed",
     4,
     2,
     1,
     {{{"Km", Role::half_saturation, 1},
       {"Vmax", Role::max_rate, 2},
       {"Ki1", Role::inhibition_constant, 3},
       {"Ki2", Role::inhibition_constant, 4}}},
     "y = P2 * X1 / (P1 * (C1 + X2 / P3) + X1*(C1 + X2 / P4))",
     "Y = Vmax / ((Km/S)*(1 + I/Ki1) + (1 + I/Ki2))",
     "Y = P2 / ((P1/X1)*(1.0 + X2/P3) + (1.0 + X2/P4))",
     6,
     "mixed"},
}};

// The model of number 1..6; nullptr for any other number.
constexpr const Model* find_model(int number) {
  return number >= 1 && number <= static_cast<int>(model_table.size()) ? &model_table[number - 1]
                                                                       : nullptr;
}

// The most parameters any model of the table has: the summary's parameter columns.
constexpr int most_parameters() {
  int most = 0;
  for (const Model& m : model_table)
    most = m.np > most ? m.np : most;
  return most;
}

// The model of a --model key ("mm") or number ("1"), case ignored; nullptr for none.
const Model* find_model(std::string_view key_or_number);

// The highest model number.
inline constexpr int max_model = static_cast<int>(model_table.size());

// The name of parameter k (0-based) of a model: "Km", or "P3" for an unknown model.
std::string parameter_name(int model, int k);

// The 0-based parameter of a model that `name` names (its name, letter case ignored,
// or P1, P2, ...), or -1.
int parameter_index(int model, std::string_view name);

// The unit of parameter k (0-based) of a model from its role: X1's for a
// half-saturation constant, X2's for an inhibition constant, the rate's for a maximum
// rate, none for a Hill coefficient.
std::string parameter_unit(int model, int k, std::string_view x1_unit, std::string_view x2_unit,
                           std::string_view y_unit);

// "mixed (6)": a model as the comparison names it.
std::string short_name(int model);

// The models compared with a model of this number: its group, in model order.
std::vector<int> group_of(int model);

// Starts and bounds of `to`'s parameters from those of `from`, a model of the same
// group, through the nesting of the models (see Parameter).
void map_starts(int from, int to, std::span<const double> initial, std::span<const double> lower,
                std::span<const double> upper, std::span<double> to_initial,
                std::span<double> to_lower, std::span<double> to_upper);

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
