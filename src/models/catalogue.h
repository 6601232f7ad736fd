// The built-in models, in the one table that everything knowing a model reads
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
  half_saturation,       // Km, K, X50, a tight binder's Ki: in X1's units
  max_rate,              // Vmax, Top, V0: in Y's units
  inhibition_constant,   // Ki, Ki1, Ki2: in X2's units
  hill_coefficient,      // n: no units
  baseline,              // Bottom: in Y's units
  substrate_inhibition,  // Ksi: in X1's units
  user_defined,          // of an equation given on the command line: no units, no rule
};

// How a model's curve runs with X1: its starts depend on it.
enum class Shape {
  rising,
  either,   // rising or falling by the sign of its Hill coefficient
  falling,  // an inhibitor's concentration as X1
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
  // Names by the curve's direction at the best fit (the sign of the model's Hill
  // coefficient), where they differ from `name`: X50 is IC50 or EC50.
  std::string_view falling_name = {};
  std::string_view rising_name = {};
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
  // The models compared with a file of this model (--compare), in model order; 0 ends.
  // They nest in `general`, the F tests' reference.
  std::array<int, 4> group;
  Shape shape = Shape::rising;
  bool enzyme_constant = false;  // C1 is the total enzyme concentration (--enzyme)
  // Its curves are straight lines in 1/X1 against 1/Y (--diagnostic draws them so).
  bool double_reciprocal = false;
};

inline constexpr Start hill_neutral_n = {1.0, 0.1, 10.0};

inline constexpr std::array<Parameter, 4> user_parameter_slots = {{{"P1", Role::user_defined, 1},
                                                                   {"P2", Role::user_defined, 2},
                                                                   {"P3", Role::user_defined, 3},
                                                                   {"P4", Role::user_defined, 4}}};

// The row of an equation of one's own reading nx X columns: no key, a group of its own.
constexpr Model user_defined_model(int number, int nx) {
  return {number,
          "USER-DEFINED MODEL",
          "user-defined",
          4,
          nx,
          1,
          user_parameter_slots,
          "",
          "",
          "",
          number,
          "",
          {number}};
}

inline constexpr std::array<Model, 11> model_table = {{
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
     "mm",
     {1, 2},
     Shape::rising,
     false,
     true},
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
     "hill",
     {1, 2},
     Shape::either},
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
     "competitive",
     {3, 4, 5, 6},
     Shape::rising,
     false,
     true},
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
     "noncompetitive",
     {3, 4, 5, 6},
     Shape::rising,
     false,
     true},
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
     "uncompetitive",
     {3, 4, 5, 6},
     Shape::rising,
     false,
     true},
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
     "mixed",
     {3, 4, 5, 6},
     Shape::rising,
     false,
     true},
    // Fitted by the batch alone: a data file names one of the six above.
    {7,
     "FOUR PARAMETER LOGISTIC MODEL",
     "4pl",
     4,
     1,
     1,
     {{{"Bottom", Role::baseline, 4, {0.0, -1.0e3, 1.0e3}},
       {"Top", Role::max_rate, 2},
       {"X50", Role::half_saturation, 1, {}, "IC50", "EC50"},
       {"n", Role::hill_coefficient, 3, hill_neutral_n}}},
     "y = P1 + (P2 - P1) / (C1 + (P3/X1)^P4)",
     "Y = Bottom + (Top - Bottom) / (1 + (X50/S)^n)",
     "Y = P1 + (P2 - P1) / (1.0 + (P3/X1)^P4)",
     7,
     "4pl",
     {2, 7},
     Shape::either},
    {8,
     "SUBSTRATE INHIBITION MODEL",
     "substrate inhibition",
     3,
     1,
     1,
     {{{"Km", Role::half_saturation, 1},
       {"Vmax", Role::max_rate, 2},
       {"Ksi", Role::substrate_inhibition, 3}}},
     "y = P2*X1 / (P1 + X1*(C1 + X1/P3))",
     "Y = Vmax / (1 + Km/S + S/Ksi)",
     "Y = P2 / (1.0 + P1/X1 + X1/P3)",
     8,
     "substrate-inhibition",
     {1, 8}},
    {9,
     "TIGHT-BINDING INHIBITION MODEL",
     "tight binding",
     2,
     1,
     1,
     {{{"V0", Role::max_rate, 1}, {"Ki", Role::half_saturation, 2}}},
     // Morrison's (a - SQRT(a^2 - 4 E I)) / (2E) as 2I / (a + SQRT(..)): no cancellation
     // when E is much smaller than I + Ki.
     "y = P1*(1 - 2*X1 / ((C1 + X1 + P2) + SQRT((C1 + X1 + P2)^2 - 4*C1*X1)))",
     "Y = V0 * (1 - ((E + I + Ki) - SQRT((E + I + Ki)^2 - 4 E I)) / (2 E))",
     "Y = P1*(1 - 2*X1 / ((C1 + X1 + P2) + SQRT((C1 + X1 + P2)^2 - 4*C1*X1)))",
     9,
     "tight-binding",
     {9},
     Shape::falling,
     true},
    // --equation: the text and the parameters' names come with the fit (FitState).
    user_defined_model(10, 1),
    user_defined_model(11, 2),
}};

// The models a data file may name: the interactive program's six.
inline constexpr int data_file_models = 6;
inline constexpr std::span<const Model> data_file_model_table() {
  return std::span<const Model>(model_table).first(data_file_models);
}

// The model of a number in the table; nullptr for any other number.
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

// The highest model number a data file may name.
inline constexpr int max_model = data_file_models;

// The name of parameter k (0-based) of a model: "Km", or "P3" for an unknown model.
std::string parameter_name(int model, int k);

// The same as a fit names it, by the curve's direction at its best fit `best` (all the
// model's parameters): "IC50" for a falling 4pl curve's midpoint.
std::string parameter_name(int model, int k, std::span<const double> best);

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

// The equation text of a model of the table, blank-filled to 512 characters; any other
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
