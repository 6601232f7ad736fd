// Character-cell plot of observed and fitted values against X1.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "textio/console.h"

namespace quillon::report::plot2scrn_mod {

// Short tick-label text of v: G12.5 without its leading zero, exponent padding or
// trailing zeros, left-adjusted in 25 characters.
std::string real2str(double v);

// Grid of 31 rows by 67 printed columns, both axes from zero, points marked
// "o" (observed), "x" (fitted) or "*" where a cell is already taken.
void plot2scrn(textio::Console& console, std::string_view title, std::span<const double> x,
               std::span<const double> yobs, std::span<const double> ycalc);

}  // namespace quillon::report::plot2scrn_mod
