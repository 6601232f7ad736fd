// Fields of an RFC 4180 table that a spreadsheet and R read back exactly.
#pragma once

#include <string>
#include <string_view>

namespace quillon::textio {

// The text as one field: quoted, with quotes doubled, when it holds a comma, a
// quote or a line end.
std::string csv_field(std::string_view text);

// The shortest decimal (with "." as decimal point) that reads back to the same
// double; "Inf", "-Inf" and "NaN" for the values that have no decimal.
std::string csv_number(double v);

}  // namespace quillon::textio
