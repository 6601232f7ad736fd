// Format strings, parsed once into plain items, and the field renderers that lay
// out one value each. Console::write_values walks the items; nothing after the
// parser looks at the characters of a format string again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::textio {

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
// meaning. The result is cached for the life of the program. A malformed string
// is a programming error: std::logic_error naming the column (counted from 1).
const Format& parse_format(std::string_view format);

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
