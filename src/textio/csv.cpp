#include "textio/csv.h"

#include <cmath>
#include <system_error>

#include "textio/charconv.h"

namespace quillon::textio {

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos)
    return std::string(text);
  std::string quoted = "\"";
  for (char ch : text) {
    if (ch == '"')
      quoted += '"';
    quoted += ch;
  }
  quoted += '"';
  return quoted;
}

std::string csv_number(double v) {
  if (std::isnan(v))
    return "NaN";
  if (std::isinf(v))
    return v > 0 ? "Inf" : "-Inf";
  char buffer[32];
  // No precision given: the shortest form that round-trips, independent of the locale.
  const auto [end, ec] = write_shortest(buffer, buffer + sizeof buffer, v);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace quillon::textio
