// The portable reader and writer of doubles against the standard library's own, which
// the native builds have: every bit and character must agree.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "textio/charconv.h"

namespace quillon::textio {
namespace {

std::string library_text(double v) {
  char text[64];
  return {text, std::to_chars(text, text + sizeof text, v).ptr};
}

std::string our_text(double v) {
  char text[64];
  return {text, write_shortest(text, text + sizeof text, v).ptr};
}

TEST(WriteShortest, EqualsTheLibraryOnMillionsOfDoubles) {
  std::mt19937_64 engine(5489);
  long differing = 0;
  const auto check = [&](double v) {
    const std::string expected = library_text(v), got = our_text(v);
    if (expected != got && ++differing <= 10)
      ADD_FAILURE() << std::hexfloat << v << ": library " << expected << ", ours " << got;
  };
  // Every bit pattern equally likely: all exponents, NaN and infinities.
  for (int i = 0; i < 1500000; ++i) {
    const std::uint64_t word = engine();
    double v;
    std::memcpy(&v, &word, sizeof v);
    check(v);
  }
  // Short decimals, where fixed and exponent notation compete and ties in length fall.
  for (int i = 0; i < 500000; ++i) {
    const double v = static_cast<double>(engine() % 100000) *
                     std::pow(10.0, static_cast<int>(engine() % 44) - 22);
    check(v);
    check(-v);
  }
  // Powers of two (a narrower gap below) and their lower neighbours, every exponent.
  for (int e = -1074; e <= 1023; ++e) {
    check(std::ldexp(1.0, e));
    check(std::nextafter(std::ldexp(1.0, e), 0.0));
  }
  for (int i = 0; i <= 100000; ++i)
    check(i);
  EXPECT_EQ(differing, 0);
}

TEST(WriteShortest, ReportsAShortBuffer) {
  char text[4];
  EXPECT_EQ(write_shortest(text, text + sizeof text, 0.125).ec, std::errc::value_too_large);
  EXPECT_EQ(write_shortest(text, text + sizeof text, 0.5).ec, std::errc());
}

TEST(ReadDouble, EqualsTheLibrary) {
  const std::string_view rows[] = {
      "1.5",
      "-0",
      ".5",
      "1.",
      "1e",
      "1e+",
      "0x10",
      "+1",
      " 1",
      "",
      "-",
      ".",
      "e5",
      "1,5",
      "inf",
      "-inf",
      "infinity",
      "nan",
      "-nan",
      "nan(12)",
      "1e400",
      "-1e400",
      "1e-400",
      "-1e-400",
      "2e-324",
      "3e-324",
      "1e-320",
      "0e99999",
      "0.000e-99999",
      "1.7976931348623158e308",
      "1.7976931348623159e308",
      "000000000000000000000001e-400",
      "2.4703282292062328e-324",
      "0.30000000000000004",
      "123456789012345678901234567890",
      "1e-400x",
  };
  for (const auto format :
       {std::chars_format::general, std::chars_format::fixed, std::chars_format::scientific}) {
    for (const std::string_view text : rows) {
      SCOPED_TRACE(std::string(text) + " format " + std::to_string(static_cast<int>(format)));
      double expected = -7.0, got = -7.0;
      const auto e = std::from_chars(text.data(), text.data() + text.size(), expected, format);
      const auto g = read_double(text.data(), text.data() + text.size(), got, format);
      EXPECT_EQ(g.ec, e.ec);
      EXPECT_EQ(g.ptr - text.data(), e.ptr - text.data());
      EXPECT_EQ(std::signbit(got), std::signbit(expected));
      if (!std::isnan(expected))
        EXPECT_EQ(got, expected);
      else
        EXPECT_TRUE(std::isnan(got));
    }
  }
  // Correct rounding: the shortest text of random doubles reads back to their bits.
  std::mt19937_64 engine(5489);
  for (int i = 0; i < 100000; ++i) {
    const std::uint64_t word = (engine() & ~(std::uint64_t{0x7ff} << 52)) | std::uint64_t{1000}
                                                                                << 52;
    double v;
    std::memcpy(&v, &word, sizeof v);
    char text[40];
    const int n = std::snprintf(text, sizeof text, "%.17g", v);
    double back = 0.0;
    read_double(text, text + n, back);
    ASSERT_EQ(back, v) << text;
  }
}

}  // namespace
}  // namespace quillon::textio
