#include "textio/format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <stdexcept>

#include "textio/console.h"

namespace quillon::textio {

namespace {

// Widths, digits and counts above this are certainly a typing error.
constexpr int max_number = 9999;

class FormatParser {
 public:
  explicit FormatParser(std::string_view text) : text_(text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char ch = text[i];
      if (ch == ' ' || ch == '\t')
        continue;
      const char upper = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
      chars_.push_back({upper, i + 1});
    }
  }

  // format := "(" list ")"
  Format parse() {
    Format format;
    expect('(');
    format.items = parse_list();
    expect(')');
    if (pos_ != chars_.size())
      fail("text after the closing parenthesis");
    for (std::size_t i = 0; i < format.items.size(); ++i) {
      if (format.items[i].kind == FormatItem::Kind::group)
        format.reversion = i;
    }
    format.keep_open = contains(format.items, FormatItem::Kind::keep_open);
    format.reversion_has_data = has_data(std::span(format.items).subspan(format.reversion));
    return format;
  }

 private:
  struct Char {
    char ch;
    std::size_t column;
  };

  // list := [item {sep item}], sep is a comma; it may be left out before or
  // after a slash or a dollar sign.
  std::vector<FormatItem> parse_list() {
    std::vector<FormatItem> items;
    if (peek() == ')')
      return items;
    for (;;) {
      items.push_back(parse_item());
      const char next = peek();
      if (next == ')')
        return items;
      if (next == ',') {
        ++pos_;
        continue;
      }
      const auto last = items.back().kind;
      if (next == '/' || next == '$' || last == FormatItem::Kind::new_line ||
          last == FormatItem::Kind::keep_open) {
        continue;
      }
      fail("expected a comma or a closing parenthesis");
    }
  }

  // item := [r] "(" list ")" | [r] "/" | "$" | [n] "X" | "TR" n | [r] "A" [w] | [r] "I" w
  //       | [r] ("F" | "ES" | "G") w "." d | [r] "L" w
  FormatItem parse_item() {
    FormatItem item;
    const bool has_count = is_digit(peek());
    const int count = has_count ? number() : 1;
    if (has_count && count == 0)
      fail("a repeat count must be positive");
    const char ch = peek();
    if (ch == '\0')
      fail("unexpected end of the format");
    ++pos_;
    item.repeat = count;
    switch (ch) {
    case '(':
      item.kind = FormatItem::Kind::group;
      item.items = parse_list();
      expect(')');
      break;
    case '/': item.kind = FormatItem::Kind::new_line; break;
    case '$':
      if (has_count)
        fail_before("a dollar sign takes no count");
      item.kind = FormatItem::Kind::keep_open;
      break;
    case 'X':
      item.kind = FormatItem::Kind::skip;
      item.width = count;
      item.repeat = 1;
      break;
    case 'T':
      if (has_count)
        fail_before("TR takes no repeat count");
      expect('R');
      item.kind = FormatItem::Kind::skip;
      item.width = required_number();
      break;
    case 'A':
      item.kind = FormatItem::Kind::text;
      item.width = is_digit(peek()) ? positive_number() : -1;
      break;
    case 'I':
      item.kind = FormatItem::Kind::integer;
      item.width = required_number();
      break;
    case 'L':
      item.kind = FormatItem::Kind::logical;
      item.width = positive_number();
      break;
    case 'E':
      expect('S');
      item.kind = FormatItem::Kind::scientific;
      width_and_digits(item);
      break;
    case 'F':
      item.kind = FormatItem::Kind::fixed;
      width_and_digits(item);
      break;
    case 'G':
      item.kind = FormatItem::Kind::general;
      width_and_digits(item);
      if (item.digits == 0)
        fail("G needs at least one digit");
      break;
    default: fail_before("unknown edit descriptor");
    }
    return item;
  }

  void width_and_digits(FormatItem& item) {
    item.width = positive_number();
    expect('.');
    item.digits = required_number();
  }

  int number() {
    int value = 0;
    while (is_digit(peek())) {
      value = value * 10 + (chars_[pos_].ch - '0');
      if (value > max_number)
        fail("number too large");
      ++pos_;
    }
    return value;
  }
  int required_number() {
    if (!is_digit(peek()))
      fail("expected a number");
    return number();
  }
  int positive_number() {
    const int value = required_number();
    if (value == 0) {
      --pos_;
      fail("a width must be positive");
    }
    return value;
  }

  static bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }
  char peek() const { return pos_ < chars_.size() ? chars_[pos_].ch : '\0'; }
  void expect(char ch) {
    if (peek() != ch)
      fail(std::string("expected '") + ch + "'");
    ++pos_;
  }

  // At the character just taken.
  [[noreturn]] void fail_before(const std::string& what) {
    --pos_;
    fail(what);
  }
  [[noreturn]] void fail(const std::string& what) const {
    const std::size_t column = pos_ < chars_.size() ? chars_[pos_].column : text_.size() + 1;
    throw std::logic_error("format \"" + std::string(text_) + "\", column " +
                           std::to_string(column) + ": " + what);
  }

  static bool contains(const std::vector<FormatItem>& items, FormatItem::Kind kind) {
    for (const auto& item : items) {
      if (item.kind == kind)
        return true;
      if (item.kind == FormatItem::Kind::group && contains(item.items, kind))
        return true;
    }
    return false;
  }
  static bool has_data(std::span<const FormatItem> items) {
    for (const auto& item : items) {
      if (item.is_data())
        return true;
      if (item.kind == FormatItem::Kind::group && has_data(item.items))
        return true;
    }
    return false;
  }

  std::string_view text_;
  std::vector<Char> chars_;
  std::size_t pos_ = 0;
};

std::string right_justified(std::string s, int width) {
  if (width <= 0)
    return s;
  const auto w = static_cast<std::size_t>(width);
  if (s.size() > w)
    return std::string(w, '*');
  return std::string(w - s.size(), ' ') + s;
}

std::string non_finite(double v, int width) {
  if (std::isnan(v))
    return right_justified("NaN", width);
  if (v > 0)
    return right_justified(width >= 8 ? "Infinity" : "Inf", width);
  return right_justified(width >= 9 ? "-Infinity" : "-Inf", width);
}

// printf rounds the exact binary value, ties to even, which is what the fields need.
std::string printf_double(const char* conversion, int digits, double v) {
  const int n = std::snprintf(nullptr, 0, conversion, digits, v);
  std::string s(static_cast<std::size_t>(n), '\0');
  std::snprintf(s.data(), s.size() + 1, conversion, digits, v);
  return s;
}

// A magnitude in exponent form: mantissa digits without the point, decimal exponent
// of the leading digit. Zero has exponent 0.
struct Scaled {
  std::string digits;
  int exponent = 0;
};

Scaled scaled(double magnitude, int significant) {
  const std::string s = printf_double("%.*e", significant - 1, magnitude);
  const std::size_t e = s.find('e');
  Scaled out;
  for (std::size_t i = 0; i < e; ++i) {
    if (s[i] != '.')
      out.digits += s[i];
  }
  out.exponent = std::atoi(s.c_str() + e + 1);
  return out;
}

// The exponent's sign and at least `digits` digits: "+02", "-100".
std::string signed_exponent(int e, std::size_t digits) {
  const std::string a = std::to_string(std::abs(e));
  std::string s(1, e < 0 ? '-' : '+');
  s.append(digits - std::min(digits, a.size()), '0');
  s += a;
  return s;
}

// "E+02" up to two digits; a sign and three digits ("+100") beyond.
std::string exponent_text(int e) {
  if (std::abs(e) > 99)
    return signed_exponent(e, 3);
  std::string s = "E";
  s += signed_exponent(e, 2);
  return s;
}

const char* sign_of(double v) {
  return std::signbit(v) ? "-" : "";
}

// The sign, the leading digit, the point and the other digits: "-1.2345".
std::string leading_digit_form(double v, const Scaled& m) {
  std::string s = sign_of(v);
  s += m.digits[0];
  s += '.';
  s += std::string_view(m.digits).substr(1);
  return s;
}

// G's choice of form: the decimals of the fixed form when the value rounded to `digits`
// significant digits lies in [0.1, 10**digits) or is zero, otherwise -1 for the exponent form.
int fixed_form_decimals(double magnitude, const Scaled& m, int digits) {
  if (magnitude == 0.0)
    return digits - 1;
  if (m.exponent >= -1 && m.exponent < digits)
    return digits - 1 - m.exponent;
  return -1;
}

}  // namespace

Format parse_format(std::string_view format) {
  return FormatParser(format).parse();
}

const Format& FormatCache::get(std::string_view format) {
  const auto found = formats_.find(format);
  if (found != formats_.end())
    return found->second;
  return formats_.emplace(std::string(format), parse_format(format)).first->second;
}

std::string render_text(std::string_view s, int width) {
  if (width < 0)
    return std::string(s);
  const auto w = static_cast<std::size_t>(width);
  if (s.size() >= w)
    return std::string(s.substr(0, w));
  return std::string(w - s.size(), ' ') + std::string(s);
}

std::string render_integer(long long v, int width) {
  return right_justified(std::to_string(v), width);
}

std::string render_fixed(double v, int width, int digits) {
  if (!std::isfinite(v))
    return non_finite(v, width);
  std::string body = printf_double("%.*f", digits, std::fabs(v));
  if (digits == 0)
    body += '.';
  std::string s = sign_of(v) + body;
  // The zero before the point is the one character that may go when space is short.
  if (width > 0 && s.size() > static_cast<std::size_t>(width) && digits > 0 && body[0] == '0') {
    s.erase(s.size() - body.size(), 1);
  }
  return right_justified(std::move(s), width);
}

std::string render_scientific(double v, int width, int digits) {
  if (!std::isfinite(v))
    return non_finite(v, width);
  const Scaled m = scaled(std::fabs(v), digits + 1);
  return right_justified(leading_digit_form(v, m) + exponent_text(m.exponent), width);
}

std::string render_general(double v, int width, int digits) {
  if (!std::isfinite(v))
    return non_finite(v, width);
  digits = std::max(digits, 1);
  const double magnitude = std::fabs(v);
  const Scaled m = scaled(magnitude, digits);
  if (const int decimals = fixed_form_decimals(magnitude, m, digits); decimals >= 0) {
    if (width <= 4)
      return std::string(static_cast<std::size_t>(std::max(width, 0)), '*');
    const std::string fixed = render_fixed(v, width - 4, decimals);
    if (fixed[0] == '*')
      return std::string(static_cast<std::size_t>(width), '*');
    return fixed + "    ";
  }
  std::string s = sign_of(v);
  s += "0.";
  s += m.digits;
  s += exponent_text(m.exponent + 1);
  // As in F, the zero before the point goes first when space is short.
  if (s.size() > static_cast<std::size_t>(width))
    s.erase(std::signbit(v) ? 1 : 0, 1);
  return right_justified(std::move(s), width);
}

std::string render_logical(bool v, int width) {
  return right_justified(v ? "T" : "F", width);
}

// A default integer fills 11 characters; a wider one grows rather than turning to asterisks.
std::string render_list_integer(long long v) {
  std::string s = std::to_string(v);
  return s.size() >= 11 ? s : right_justified(std::move(s), 11);
}

// G25.17 with one digit before the point in exponent form and a three-digit exponent.
std::string render_list_real(double v) {
  constexpr int width = 25;
  constexpr int digits = 17;
  if (!std::isfinite(v))
    return non_finite(v, width);
  const double magnitude = std::fabs(v);
  const Scaled m = scaled(magnitude, digits);
  if (const int decimals = fixed_form_decimals(magnitude, m, digits); decimals >= 0)
    return render_fixed(v, width - 5, decimals) + "     ";
  std::string s = leading_digit_form(v, m);
  s += 'E';
  s += signed_exponent(m.exponent, 3);
  return right_justified(std::move(s), width);
}

namespace {

// Walks the items of one output statement, placing fields on the console.
class FormatRun {
 public:
  FormatRun(Console& console, const Format& format, std::string_view text,
            std::span<const FmtValue> values)
      : console_(console), format_(format), text_(text), values_(values) {}

  void run(bool keep_open) {
    bool more = walk(format_.items);
    // Reversion: values are left at the closing parenthesis.
    while (more && next_ < values_.size()) {
      if (!format_.reversion_has_data) {
        throw std::logic_error("format \"" + std::string(text_) + "\" cannot take all values");
      }
      console_.end_line();
      more = walk(std::span(format_.items).subspan(format_.reversion));
    }
    if (keep_open || format_.keep_open) {
      console_.set_open(true);
    } else {
      console_.end_line();
    }
  }

 private:
  // False when a data descriptor found no value left: the statement stops there.
  bool walk(std::span<const FormatItem> items) {
    for (const FormatItem& item : items) {
      for (int r = 0; r < item.repeat; ++r) {
        if (item.is_data()) {
          if (next_ == values_.size())
            return false;
          console_.put(field(item, values_[next_++]));
          continue;
        }
        switch (item.kind) {
        case FormatItem::Kind::group:
          if (!walk(item.items))
            return false;
          break;
        case FormatItem::Kind::skip: console_.skip(static_cast<std::size_t>(item.width)); break;
        case FormatItem::Kind::new_line: console_.end_line(); break;
        default: break;
        }
      }
    }
    return true;
  }

  std::string field(const FormatItem& item, const FmtValue& v) const {
    using K = FormatItem::Kind;
    using V = FmtValue::Kind;
    switch (item.kind) {
    case K::text:
      if (v.kind == V::text)
        return render_text(v.text, item.width);
      break;
    case K::integer:
      if (v.kind == V::integer)
        return render_integer(v.integer, item.width);
      break;
    case K::fixed:
      if (v.kind == V::real)
        return render_fixed(v.real, item.width, item.digits);
      break;
    case K::scientific:
      if (v.kind == V::real)
        return render_scientific(v.real, item.width, item.digits);
      break;
    case K::general:
      if (v.kind == V::real)
        return render_general(v.real, item.width, item.digits);
      break;
    case K::logical:
      if (v.kind == V::logical)
        return render_logical(v.logical, item.width);
      break;
    default: break;
    }
    throw std::logic_error("format \"" + std::string(text_) + "\": value " + std::to_string(next_) +
                           " does not suit its descriptor");
  }

  Console& console_;
  const Format& format_;
  std::string_view text_;
  std::span<const FmtValue> values_;
  std::size_t next_ = 0;
};

}  // namespace

void write_formatted(Console& console, const Format& format, std::string_view text,
                     std::span<const FmtValue> values, bool keep_open) {
  FormatRun(console, format, text, values).run(keep_open);
}

}  // namespace quillon::textio
