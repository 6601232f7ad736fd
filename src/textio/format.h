// Format strings, parsed once into plain items, the field renderers that lay out
// one value each, and the walk that places a statement's fields on a console.
// Nothing after the parser looks at the characters of a format string again.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillon::textio {

class Console;

// One value of an output statement.
struct FmtValue {
  enum class Kind : unsigned char { text, integer, real, logical };
  Kind kind = Kind::text;
  std::string_view text;
  long long integer = 0;
  double real = 0.0;
  bool logical = false;

  static FmtValue of_text(std::string_view s) { return {Kind::text, s, 0, 0.0, false}; }
  static FmtValue of_int(long long v) { return {Kind::integer, {}, v, 0.0, false}; }
  static FmtValue of_real(double v) { return {Kind::real, {}, 0, v, false}; }
  static FmtValue of_bool(bool v) { return {Kind::logical, {}, 0, 0.0, v}; }
};

struct FormatItem {
  enum class Kind : unsigned char {
    text,        // A, Aw
    integer,     // Iw, I0
    fixed,       // Fw.d
    scientific,  // ESw.d
    general,     // Gw.d
    logical,     // Lw
    skip,        // nX, TRn: width holds n
    new_line,    // slash
    keep_open,   // dollar sign
    group,       // parenthesised group: items holds its contents
  };
  Kind kind = Kind::text;
  int repeat = 1;
  int width = 0;  // -1 for a plain A (full length of the text)
  int digits = 0;
  std::vector<FormatItem> items;

  bool is_data() const { return kind <= Kind::logical; }
};

struct Format {
  std::vector<FormatItem> items;
  std::size_t reversion = 0;  // index where a statement with values left continues
  bool keep_open = false;     // a dollar sign anywhere keeps the line open
  bool reversion_has_data = false;
};

// Parses a format string such as "(2X,A2,I1,5ES17.6)"; case and blanks carry no
// meaning. A malformed string is a programming error: std::logic_error naming the
// column (counted from 1).
Format parse_format(std::string_view format);

// Each format string parsed once. Every console keeps its own, so consoles on
// different threads share nothing.
class FormatCache {
 public:
  const Format& get(std::string_view format);

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, Format, Hash, std::equal_to<>> formats_;
};

// Places the fields of one output statement on the console; `text` is the format
// string, for the messages of a programming error.
void write_formatted(Console& console, const Format& format, std::string_view text,
                     std::span<const FmtValue> values, bool keep_open);

// One field each. w = 0 means the fewest characters (I0); a value that does not
// fit in w characters gives w asterisks.
std::string render_text(std::string_view s, int width);
std::string render_integer(long long v, int width);
std::string render_fixed(double v, int width, int digits);
std::string render_scientific(double v, int width, int digits);
std::string render_general(double v, int width, int digits);
std::string render_logical(bool v, int width);

// List-directed fields, without the separating blank in front.
std::string render_list_integer(long long v);
std::string render_list_real(double v);

}  // namespace quillon::textio
