#include "textio/charconv.h"

#include <fast_float/fast_float.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace quillon::textio {

std::from_chars_result read_double(const char* first, const char* last, double& value,
                                   std::chars_format format) {
  fast_float::chars_format f = fast_float::chars_format::general;
  if (format == std::chars_format::fixed)
    f = fast_float::chars_format::fixed;
  else if (format == std::chars_format::scientific)
    f = fast_float::chars_format::scientific;
  double v = 0.0;
  const auto r = fast_float::from_chars(first, last, v, f);
  if (r.ec != std::errc())
    return {r.ptr, r.ec};
  // The parser saturates to infinity and zero; the standard calls both out of range.
  const char* p = first + (first != last && *first == '-');
  const bool literal = p != r.ptr && *p != '.' && (*p < '0' || *p > '9');  // inf, nan
  if (!literal) {
    if (std::isinf(v))
      return {r.ptr, std::errc::result_out_of_range};
    if (v == 0.0) {
      for (; p != r.ptr && *p != 'e' && *p != 'E'; ++p) {
        if (*p >= '1' && *p <= '9')
          return {r.ptr, std::errc::result_out_of_range};
      }
    }
  }
  value = v;
  return {r.ptr, std::errc()};
}

namespace {

// A decimal `digits` × 10^(exponent - count + 1): `count` significant digits, the
// first of them at 10^exponent.
struct Decimal {
  std::uint64_t digits = 0;
  int count = 0;
  int exponent = 0;
};

// The nearest `count`-digit decimal (ties to even), from the C library's exact printf.
Decimal nearest(double v, int count) {
  char text[40];
  std::snprintf(text, sizeof text, "%.*e", count - 1, v);
  Decimal d{0, count, 0};
  const char* p = text;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9')
      d.digits = d.digits * 10 + static_cast<std::uint64_t>(*p - '0');
  }
  d.exponent = std::atoi(p + 1);
  return d;
}

bool reads_back(const Decimal& d, double v) {
  char text[40];
  const int n = std::snprintf(text, sizeof text, "%llue%d",
                              static_cast<unsigned long long>(d.digits), d.exponent - d.count + 1);
  double back = 0.0;
  const auto r = read_double(text, text + n, back);
  return r.ec == std::errc() && back == v;
}

Decimal shortest_decimal(double v) {
  std::uint64_t word = 0;
  std::memcpy(&word, &v, sizeof word);
  const bool power_of_two =
      (word & ((std::uint64_t{1} << 52) - 1)) == 0 && (word >> 52 & 0x7ff) > 1;
  if (!power_of_two) {
    // The gap to either neighbour is the same, so once the nearest decimal of some
    // length reads back, the nearest of every greater length does: bisect the length.
    int low = 1, high = 17;
    while (low < high) {
      const int mid = (low + high) / 2;
      if (reads_back(nearest(v, mid), v))
        high = mid;
      else
        low = mid + 1;
    }
    return nearest(v, low);
  }
  // The gap below a power of two is half the gap above: the nearest decimal may fall
  // short below while the next one away from zero still reads back.
  std::uint64_t limit = 10;  // 10^count
  for (int count = 1;; ++count, limit *= 10) {
    const Decimal d = nearest(v, count);
    if (reads_back(d, v) || count == 17)
      return d;
    Decimal up = d;
    if (++up.digits == limit) {
      up.digits /= 10;
      ++up.exponent;
    }
    if (reads_back(up, v))
      return up;
  }
}

}  // namespace

std::to_chars_result write_shortest(char* first, char* last, double value) {
  char text[40];
  int n = 0;
  const bool negative = std::signbit(value);
  if (std::isnan(value)) {
    n = std::snprintf(text, sizeof text, negative ? "-nan" : "nan");
  } else if (std::isinf(value)) {
    n = std::snprintf(text, sizeof text, negative ? "-inf" : "inf");
  } else if (value == 0.0) {
    n = std::snprintf(text, sizeof text, negative ? "-0" : "0");
  } else {
    const Decimal d = shortest_decimal(std::fabs(value));
    char digits[24];
    const int count =
        std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(d.digits));
    const int e = d.exponent;
    // Lengths without the sign: fixed notation, and d[.ddd]e±XX.
    const int fixed = e >= 0 ? (count <= e + 1 ? e + 1 : count + 1) : 1 + 1 + (-e - 1) + count;
    const int exponent_digits = std::abs(e) >= 100 ? 3 : 2;
    const int scientific = count + (count > 1) + 2 + exponent_digits;
    char* out = text;
    if (negative)
      *out++ = '-';
    if (fixed <= scientific) {
      if (count <= e + 1) {
        // A whole number is written with all its digits, as printf's "%.0f" writes it
        // (at most 23: fixed notation is chosen only when no longer than the other).
        out += std::snprintf(out, static_cast<std::size_t>(text + sizeof text - out), "%.0f",
                             std::fabs(value));
      } else if (e >= 0) {
        for (int i = 0; i < count; ++i) {
          if (i == e + 1)
            *out++ = '.';
          *out++ = digits[i];
        }
      } else {
        *out++ = '0';
        *out++ = '.';
        for (int i = 0; i < -e - 1; ++i)
          *out++ = '0';
        for (int i = 0; i < count; ++i)
          *out++ = digits[i];
      }
    } else {
      *out++ = digits[0];
      if (count > 1) {
        *out++ = '.';
        for (int i = 1; i < count; ++i)
          *out++ = digits[i];
      }
      out += std::snprintf(out, 8, "e%c%0*d", e < 0 ? '-' : '+', 2, std::abs(e));
    }
    n = static_cast<int>(out - text);
  }
  if (last - first < n)
    return {last, std::errc::value_too_large};
  std::memcpy(first, text, static_cast<std::size_t>(n));
  return {first + n, std::errc()};
}

}  // namespace quillon::textio
