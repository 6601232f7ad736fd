#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "numerics/exact_math.h"

namespace quillon::numerics::exact_math {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Same bits, or both NaN (the sign of a NaN is the processor's business).
::testing::AssertionResult same_double(double actual, double expected) {
  if (std::isnan(actual) && std::isnan(expected))
    return ::testing::AssertionSuccess();
  if (std::bit_cast<std::uint64_t>(actual) == std::bit_cast<std::uint64_t>(expected))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::hexfloat << actual << " instead of " << expected;
}

struct Case {
  double x;
  double y;
  double expected;  // correctly rounded, from a 300-bit reference
};

// Arguments whose exact result lies within 2^-13 of a rounding midpoint (the fast
// paths must hand them to the binary128 fallback), arguments where common C runtimes
// round the wrong way, exact and midpoint results, and the ends of the range.
TEST(ExactMath, PowIsCorrectlyRounded) {
  const Case cases[] = {
      {0x1.25aec9b1aaf85p+5, 0x1.7dc798f1fcfefp+0, 0x1.af29a051f1c3bp+7},
      {0x1.6919e06f7f6a9p+5, 0x1.b4db912976113p+1, 0x1.b1123bc753ad6p+18},
      {0x1.c3e09b70d80b5p+5, 0x1.f8cc7aa28a843p+1, 0x1.ef271d6e8856cp+22},
      {0x1.da71fdf1ce25dp+4, 0x1.4b4c13e03c504p+0, 0x1.41717bcc8be7p+6},
      {0x1.762bfc6c863a2p+5, 0x1.36b056ad1dcafp+2, 0x1.e7fba993aa6e4p+26},
      {0x1.542e98b192f92p+4, 0x1.382152b8a2da9p-2, 0x1.44ff352dd62a4p+1},
      {0x1.3698304a96b5p+4, 0x1.68bffeadd831cp+1, 0x1.0ac4bd69f41c8p+12},
      {0x1.ca92dbedf015ap+3, 0x1.46e59add2d572p+0, 0x1.df49321684a04p+4},
      {2.0, 10.0, 1024.0},
      {4.0, 0.5, 2.0},
      {10.0, -2.0, 0x1.47ae147ae147bp-7},
      {134217727.0, 2.0, 0x1.ffffff8p+53},  // exact midpoint: ties to even
      {3.0, 34.0, 0x1.d9fe779881944p+53},
      {0x1p-1074, 0.5, 0x1p-537},
      {1e-5, 2.2, 0x1.5fd7fe179648ap-37},
      {1.0000001, 1e9, 0x1.349445c228792p+144},
      {0x1.68d7dc001fec5p+412, -0x1.3dba0b1bc87fep+1, 0x0.440423e58fa13p-1022},
      {2.5, -800.0, 0x0.0000000015f89p-1022},
      {2.0, -1074.0, 0x1p-1074},
      {2.0, -1075.0, 0.0},  // half the smallest subnormal ties to even
      {0.7, 1e4, 0.0},
      {10.0, 308.5, inf},
      {-10.0, 401.0, -inf},
      {-10.0, -401.0, -0.0},
      {1e300, -1e10, 0.0},
      {-2.0, 3.0, -8.0},
      {-2.0, 2.0, 4.0},
      {-0x1.25aec9b1aaf85p+5, 3.0, -0x1.82815b2f5b6cfp+15},
      // The edges of the first stage: the log slices beside 1 (where c = 1), the least
      // and greatest x and |y| it takes, and |y ln x| on both sides of its limit of 707.
      {0x1.ffp-1, 0x1.cp+1, 0x1.fc822f7408c07p-1},
      {0x1.fefffffffffffp-1, 0x1.cp+1, 0x1.fc822f7408c04p-1},
      {0x1.01p+0, -0x1.4p+1, 0x1.fb08b2f1f4a73p-1},
      {0x1.00fffffffffffp+0, 0x1.8p+1, 0x1.030300ffffffdp+0},
      {0x1.6a09e667f3bcdp-1, 0x1.4p+1, 0x1.ae89f995ad3afp-2},
      {0x1.6ap-1, -0x1.ap+1, 0x1.8af16c7d7ffaep+1},
      {0x1.00000004p+0, -0x1p+2, 0x1.ffffffep-1},
      {0x1.fffffffffffffp-1, 0x1p+60, 0x1.42eb9f39afae3p-185},
      {0x1.0000000000001p+0, 0x1.ffffffffffffep+51, 0x1.5bf0a8b145767p+1},
      {0x1.fffffffffffffp+1023, 0x1p-1, 0x1.fffffffffffffp+511},
      {0x1p-1022, -0x1.8p-1, 0x1.6a09e667f3bcdp+766},
      {0x1p+1, 0x1p-64, 0x1p+0},
      {0x1.8p+1, 0x1p-65, 0x1p+0},
      {0x1.8p+0, 0x1p+63, inf},
      {0x1.4p+3, 0x1.33p+8, 0x1.c7b1f3cac7433p+1019},
      {0x1.4p+3, 0x1.331999999999ap+8, 0x1.1ed7d4905466ap+1020},
      {0x1.999999999999ap-4, 0x1.331999999999ap+8, 0x1.c8f25a72527bap-1021},
      {0x1.999999999999ap-4, 0x1.32e6666666666p+8, 0x1.6a1b1910ad828p-1020},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hexfloat << "pow(" << c.x << ", " << c.y << ")");
    EXPECT_TRUE(same_double(pow(c.x, c.y), c.expected));
  }
}

TEST(ExactMath, ExpAndLogAreCorrectlyRounded) {
  const Case exp_cases[] = {
      {0x1.bb390e23f823cp+3, 0, 0x1.f9c6e647933d2p+19},
      {0x1.a1b8d0be4f2bcp+4, 0, 0x1.95fff416faeaap+37},
      {0x1.06bfb09277d31p+3, 0, 0x1.cc1b46976e0b1p+11},
      {-0x1.a17303eb8a778p+2, 0, 0x1.814b06cff8bf4p-10},
      {-0x1.60f135429077bp+3, 0, 0x1.1013e993a789ep-16},
      {-0x1.4a51ae4603f4dp+1, 0, 0x1.362dbcf15653ap-4},
      {-0x1.b5b6bab292b96p+4, 0, 0x1.722aa2a803375p-40},
      {1.0, 0, 0x1.5bf0a8b145769p+1},
      {-745.1, 0, 0x0.0000000000001p-1022},
      {-740.0, 0, 0x0.0000000000055p-1022},
      {709.7, 0, 0x1.d75ae7a50ee14p+1023},
      {710.0, 0, inf},
      {-1000.0, 0, 0.0},
      {-1e-300, 0, 1.0},
      {0x1p-60, 0, 1.0},
      {inf, 0, inf},
      {-inf, 0, 0.0},
      {nan, 0, nan},
  };
  for (const Case& c : exp_cases) {
    SCOPED_TRACE(::testing::Message() << std::hexfloat << "exp(" << c.x << ")");
    EXPECT_TRUE(same_double(exp(c.x), c.expected));
  }
  const Case log_cases[] = {
      {0x1.8005d53209f1p+5, 0, 0x1.ef85757c9caddp+1},
      {0x1.19c1d0b9c94dcp+5, 0, 0x1.c7e2a1f468f8fp+1},
      {0x1.2042026cfc5a3p+2, 0, 0x1.8145dd781ac86p+0},
      {0x1.302801fe42b7p+5, 0, 0x1.d1ad43ab9744ep+1},
      {0x1.010a4603c6d47p+5, 0, 0x1.bc2219dfe902ep+1},
      {0x1.31a7ca222ad1cp+4, 0, 0x1.79955481c7a05p+1},
      {0x1.38313bc7ece7p+5, 0, 0x1.d503c7b8df174p+1},
      {0x1.41b5344349083p+3, 0, 0x1.27698664a2579p+1},
      {10.0, 0, 0x1.26bb1bbb55516p+1},
      {0.75, 0, -0x1.269621134db92p-2},
      {0x1p-1074, 0, -0x1.74385446d71c3p+9},
      {std::numeric_limits<double>::max(), 0, 0x1.62e42fefa39efp+9},
      {1.0 + 0x1p-52, 0, 0x1.fffffffffffffp-53},
      {1.0 - 0x1p-53, 0, -0x1p-53},
      {1.0, 0, 0.0},
      {0.0, 0, -inf},
      {-0.0, 0, -inf},
      {-1.0, 0, nan},
      {inf, 0, inf},
      {-inf, 0, nan},
      {nan, 0, nan},
  };
  for (const Case& c : log_cases) {
    SCOPED_TRACE(::testing::Message() << std::hexfloat << "log(" << c.x << ")");
    EXPECT_TRUE(same_double(log(c.x), c.expected));
  }
}

// The C standard's special values for pow.
TEST(ExactMath, PowSpecialValues) {
  const Case cases[] = {
      {nan, 0.0, 1.0},
      {nan, -0.0, 1.0},
      {1.0, nan, 1.0},
      {1.0, -inf, 1.0},
      {-1.0, inf, 1.0},
      {-1.0, -inf, 1.0},
      {nan, 2.0, nan},
      {2.0, nan, nan},
      {0.5, inf, 0.0},
      {2.0, inf, inf},
      {0.5, -inf, inf},
      {2.0, -inf, 0.0},
      {-0.5, inf, 0.0},
      {-2.0, -inf, 0.0},
      {0.0, -3.0, inf},
      {-0.0, -3.0, -inf},
      {-0.0, -2.0, inf},
      {-0.0, -0.5, inf},
      {0.0, 3.0, 0.0},
      {-0.0, 3.0, -0.0},
      {-0.0, 2.0, 0.0},
      {-0.0, 0.5, 0.0},
      {0.0, -inf, inf},
      {inf, -1.0, 0.0},
      {inf, 0.5, inf},
      {-inf, -3.0, -0.0},
      {-inf, -2.0, 0.0},
      {-inf, 3.0, -inf},
      {-inf, 2.5, inf},
      {-8.0, 1.0 / 3.0, nan},
      {-2.0, 0x1p60, inf},
      {-2.0, -0x1p60, 0.0},
      {-1.0, 0x1p53 + 2.0, 1.0},
      {-1.0, 0x1p52 + 1.0, -1.0},
      {-1.0, 0x1.7e43c8800759cp+997, 1.0},
      {-1.0, -1e300, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hexfloat << "pow(" << c.x << ", " << c.y << ")");
    EXPECT_TRUE(same_double(pow(c.x, c.y), c.expected));
  }
}

// Squares, square roots and reciprocals are correctly rounded IEEE operations, so a
// correctly rounded pow must agree with them bit for bit, over every binade.
TEST(ExactMath, PowAgreesWithTheExactIeeeOperations) {
  std::mt19937_64 engine(5489);
  int checked = 0;
  for (int i = 0; i < 20000; ++i) {
    const double mantissa = 1.0 + static_cast<double>(engine() >> 12) * 0x1p-52;
    const int exponent = static_cast<int>(engine() % 1000) - 500;
    const double x = std::ldexp(mantissa, exponent);
    SCOPED_TRACE(::testing::Message() << std::hexfloat << "x = " << x);
    ASSERT_TRUE(same_double(pow(x, 2.0), x * x));
    ASSERT_TRUE(same_double(pow(x, 0.5), std::sqrt(x)));
    ASSERT_TRUE(same_double(pow(x, -1.0), 1.0 / x));
    ASSERT_TRUE(same_double(pow(x, 1.0), x));
    ASSERT_TRUE(same_double(pow(-x, 3.0), -pow(x, 3.0)));
    ++checked;
  }
  EXPECT_EQ(checked, 20000);
}

// Half-integers: the F quantile's arguments. Several of these are rounded the wrong
// way by common C runtimes.
TEST(ExactMath, LogGammaOfHalfIntegersIsCorrectlyRounded) {
  const struct {
    double x;
    std::uint64_t expected_bits;
  } cases[] = {
      {0.5, 0x3fe250d048e7a1bd},    {1.0, 0x0000000000000000},    {1.5, 0xbfbeeb95b094c191},
      {2.0, 0x0000000000000000},    {2.5, 0x3fd2383e809a67e8},    {6.5, 0x4016a676ab2aa095},
      {136.0, 0x408094ac9f576038},  {293.0, 0x4095657a958ae6e8},  {630.5, 0x40aacf71d8fccf85},
      {1004.0, 0x40b72cdb81036927}, {1185.0, 0x40bc1f3727f2b5e3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "lgamma(" << c.x << ")");
    EXPECT_TRUE(same_double(lgamma(c.x), std::bit_cast<double>(c.expected_bits)));
  }
}

}  // namespace
}  // namespace quillon::numerics::exact_math
