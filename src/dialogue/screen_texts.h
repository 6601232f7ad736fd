// The fixed texts of the dialogue's screens, kept together so that the opening text,
// the help screens and the closing screen cannot drift apart.
#pragma once

#include <array>
#include <string_view>

#include "textio/console.h"

namespace quillon::dialogue::screen_text {

inline constexpr std::string_view credit_line =
    "Quillon: enzyme kinetics curve fitting, the Quillon developers, release 2026-12";

inline constexpr std::array<std::string_view, 3> description = {
    "Curve-fits enzyme kinetic models to (X,Y) data by minimising the",
    "residual sum-of-squares using a stochastic 'tunnelling' local",
    "search and 'steepest descent' optimization.",
};

inline constexpr std::string_view model_rule = "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~";

// The six model blocks: title, enzyme form, parameter form and note, then the rule.
void print_model_blocks(textio::Console& console);

// Ends the program when the console's input has run out at a question.
[[noreturn]] void input_ended(std::string_view where);

}  // namespace quillon::dialogue::screen_text
