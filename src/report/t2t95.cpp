#include "report/t2t95.h"

#include <array>
#include <cmath>

#include "numerics/exact_math.h"

namespace quillon::report {

namespace {

constexpr std::array<double, 20> t_table = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365,
                                            2.306,  2.262, 2.228, 2.201, 2.179, 2.160, 2.145,
                                            2.131,  2.120, 2.110, 2.101, 2.093, 2.086};

// ln(2.086/2.045)/10 and ln(2.045/2.000)/30: the bridges meet the table and 2.000 at 60.
constexpr double c1 = 0.0019850567083815607;
constexpr double c2 = 0.0007416869644939928;

}  // namespace

double t2t95(int df) {
  if (df <= 0)
    return t_table[0];
  if (df <= 20)
    return t_table[df - 1];
  if (df <= 29)
    return 2.086 * numerics::exact_math::exp(-c1 * (df - 20));
  if (df <= 59)
    return 2.045 * numerics::exact_math::exp(-c2 * (df - 30));
  if (df <= 999)
    return 1.96 + 0.04 * numerics::exact_math::exp(-(df - 60) / 100.0);
  return 1.96;
}

}  // namespace quillon::report
