// Lab tables of tests/batch/data/tables with their least-squares optimum from R:
// printed by tests/batch/make_table_expected.R, pasted unchanged.
#pragma once

#include <array>
#include <limits>
#include <string_view>

namespace quillon::testing {

inline constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct TableExpected {
  std::string_view file;  // in tests/batch/data/tables
  int model, np, n;
  std::array<double, 4> p;  // P1..Pnp, then 0
  double ssq;
  std::array<double, 4> se;  // Wald
  int levels;                // distinct (X1, X2)
  double pure_error;
  double lack_of_fit_f, lack_of_fit_p;  // nan without replicates
};

// One row as the script prints it.
// clang-format off
inline constexpr std::array<TableExpected, 9> table_expected = {{
    {"mm.csv", 1, 2, 27,
     {0.633466843611742, 14.0811830370461, 0, 0},
     2.02077124292385,
     {0.0225608525611699, 0.133267385718457, 0, 0},
     9, 1.76359933333333, 0.374971334809922, 0.905080568161783},
    {"hill_rising.csv", 2, 3, 10,
     {3.25643605613593, 95.0657678935604, 2.34495572970843, 0},
     24.8293077909329,
     {0.0923364633720171, 1.65617803528232, 0.125159349459216, 0},
     10, 0, nan, nan},
    {"hill_falling.csv", 2, 3, 9,
     {91.8949527618374, 97.9963579032664, -1.20072299622075, 0},
     5.24647797798596,
     {2.66178771799629, 0.689790184691034, 0.0349543786843632, 0},
     9, 0, nan, nan},
    {"competitive.csv", 3, 3, 24,
     {1.8582824018137, 41.7922740572843, 2.11839486207453, 0},
     11.4772285682948,
     {0.0958562946234149, 0.599498062236474, 0.139445970472243, 0},
     24, 0, nan, nan},
    {"noncompetitive.csv", 4, 3, 24,
     {1.25433351560114, 26.7831364179679, 4.22867203305783, 0},
     5.25840267045894,
     {0.0688719005117737, 0.506407932445416, 0.181283602151628, 0},
     24, 0, nan, nan},
    {"uncompetitive.csv", 5, 3, 28,
     {2.13008852361719, 16.6196223123948, 1.32016021905268, 0},
     1.74768829325079,
     {0.0955254367571844, 0.273082518786982, 0.0534600738589072, 0},
     28, 0, nan, nan},
    {"mixed.csv", 6, 4, 24,
     {1.50668937866222, 59.6741235063692, 2.754967127399, 6.88704723879958},
     5.66187582626996,
     {0.052694925203638, 0.678612059360326, 0.184371251358117, 0.36201514904099},
     24, 0, nan, nan},
    {"puromycin.csv", 1, 2, 12,
     {0.0641212814221265, 212.683742976013, 0, 0},
     1195.44881443936,
     {0.00828094947074622, 6.94715515093209, 0, 0},
     6, 697.5, 1.07085766546099, 0.44683499564793},
    {"replicates_noncompetitive.csv", 4, 3, 12,
     {1.23796816830771, 29.2453064119882, 3.12005821432744, 0},
     1.72948497305368,
     {0.0659827929949914, 0.482448553353831, 0.135883772094115, 0},
     6, 0.442437000000002, 5.81799430451647, 0.0329074773632657},
}};
// clang-format on

}  // namespace quillon::testing
