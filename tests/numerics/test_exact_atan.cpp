#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "numerics/exact_math.h"

namespace quillon::numerics::exact_math {
namespace {

std::uint64_t bits(double v) {
  return std::bit_cast<std::uint64_t>(v);
}

struct Known {
  double x;
  double atan_x;  // correctly rounded, from a 400-bit reference
};

// The last group lies within 2^-52 ulp of a halfway point, so the double-double
// path cannot decide them and the binary128 path must.
constexpr Known known[] = {
    {0x1p+0, 0x1.921fb54442d18p-1},
    {0x1p-1, 0x1.dac670561bb4fp-2},
    {0x1p+1, 0x1.1b6e192ebbe44p+0},
    {0x1.8p+1, 0x1.3fc176b7a856p+0},
    {0x1.4p+3, 0x1.789bd2c160054p+0},
    {0x1.e848p+19, 0x1.921fa47d4b30dp+0},
    {0x1.0c6f7a0b5ed8dp-20, 0x1.0c6f7a0b5e767p-20},
    {0x1.fffffffffffffp-9, 0x1.ffff5555bbbb6p-9},
    {0x1p-8, 0x1.ffff5555bbbb7p-9},
    {0x1.0000000000001p-8, 0x1.ffff5555bbbb9p-9},
    {0x1.13a417c7b1297p-8, 0x1.13a3ad42ebceap-8},
    {0x1.51be990cb9899p-4, 0x1.50fb6f6007bb6p-4},
    // Around the point where x^3/3 starts to move the result off x.
    {0x1p-27, 0x1p-27},
    {0x1.8p-27, 0x1.8p-27},
    {0x1p-26, 0x1.fffffffffffffp-27},
    {0x1.0000000000001p-26, 0x1.0000000000001p-26},
    {0x1p-1022, 0x1p-1022},
    {0x1p-1074, 0x1p-1074},
    {0x1p+60, 0x1.921fb54442d18p+0},
    {0x1.0000000000001p+60, 0x1.921fb54442d18p+0},
    {std::numeric_limits<double>::max(), 0x1.921fb54442d18p+0},
    {std::numeric_limits<double>::infinity(), 0x1.921fb54442d18p+0},
    // Hard to round.
    {0x1.0a402fcc79299p-25, 0x1.0a402fcc79297p-25},
    {0x1.d12ed0af1a27fp-27, 0x1.d12ed0af1a27fp-27},
    {0x1.250bfe1b082f5p-26, 0x1.250bfe1b082f5p-26},
    {0x1.3bacd6561ff5fp-25, 0x1.3bacd6561ff5dp-25},
    {0x1.f51a62037e957p-26, 0x1.f51a62037e954p-26},
};

TEST(ExactAtan, KnownValuesAreCorrectlyRoundedAndOdd) {
  for (const Known& k : known) {
    SCOPED_TRACE(testing::Message() << std::hexfloat << k.x);
    EXPECT_EQ(bits(atan(k.x)), bits(k.atan_x));
    EXPECT_EQ(bits(atan(-k.x)), bits(-k.atan_x));
  }
}

TEST(ExactAtan, ZerosKeepTheirSignAndNaNPropagates) {
  EXPECT_EQ(bits(atan(0.0)), bits(0.0));
  EXPECT_EQ(bits(atan(-0.0)), bits(-0.0));
  EXPECT_TRUE(std::isnan(atan(std::numeric_limits<double>::quiet_NaN())));
}

// A wrong table slice shows as a step at a slice edge or a value off by more than an
// ulp: sweep densely across the edges near 0, near 1 and in the reciprocal range.
TEST(ExactAtan, MonotoneAndWithinAnUlpOfTheRuntimeAcrossSliceEdges) {
  for (double centre = 0.0; centre <= 1.0; centre += 1.0 / 256) {
    for (const double c : {centre, centre == 0.0 ? 0.0 : 1.0 / centre}) {
      if (c == 0.0)
        continue;
      double x = c;
      for (int i = 0; i < 64; ++i)
        x = std::nextafter(x, 0.0);
      double previous = atan(x);
      for (int i = 0; i < 128; ++i) {
        x = std::nextafter(x, 2.0 * x);
        const double y = atan(x);
        ASSERT_GE(y, previous) << std::hexfloat << x;
        const double runtime = std::atan(x);
        ASSERT_LE(std::fabs(y - runtime), std::nextafter(runtime, 4.0) - runtime)
            << std::hexfloat << x;
        previous = y;
      }
    }
  }
}

TEST(ExactAtan, MonotoneAndBoundedOverAllMagnitudes) {
  const double half_pi = 0x1.921fb54442d18p+0;
  double previous = 0.0;
  for (double x = 0x1p-40; x < 0x1p+70; x *= 1.0137) {
    const double y = atan(x);
    ASSERT_GE(y, previous) << std::hexfloat << x;
    ASSERT_LE(y, half_pi) << std::hexfloat << x;
    ASSERT_LE(std::fabs(y - std::atan(x)), 0x1p-52 * y) << std::hexfloat << x;
    previous = y;
  }
}

}  // namespace
}  // namespace quillon::numerics::exact_math
