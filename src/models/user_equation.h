// A lab's own equation as a model: its text over P1..P4, X1, X2 and C1 (the parameters
// may also be written by the names given for them), checked before any fit runs.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillon::models {

struct UserEquation {
  std::string text;                // "Y = P2*X1/(X1 + P1)": the names replaced by P1..
  std::vector<std::string> names;  // P1..Pnp as the outputs name them
  int nx = 1;                      // 2 when it reads X2
  bool empty() const { return text.empty(); }
};

// The most parameters an equation may have.
inline constexpr int max_user_parameters = 4;

// The equation with its parameters `names`, or what is wrong with it: a name that is
// neither a parameter, X1, X2, C1 nor a function, unbalanced parentheses, or the
// engine's own message.
std::variant<UserEquation, std::string> user_equation(std::string_view text,
                                                      const std::vector<std::string>& names);

// The 0-based parameter that `name` names (one of its names, letter case ignored, or
// P1..Pnp), or -1.
int parameter_index(const UserEquation& equation, std::string_view name);

// The model number that fits it: the table's user-defined model reading its X columns.
int user_model(const UserEquation& equation);

}  // namespace quillon::models
