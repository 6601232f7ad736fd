#include "textio/text_utils.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace quillon::textio {
namespace {

struct Decoded {
  char32_t code = 0;
  std::size_t length = 0;  // 0: the bytes spell no character
};

// The character at the front of a UTF-8 text, read by the sequence's shape alone:
// overlong forms, surrogates and values above U+10FFFF come back for the caller to refuse.
Decoded decode_utf8(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text.front());
  const std::size_t n = lead < 0x80   ? 1
                        : lead < 0xC0 ? 0
                        : lead < 0xE0 ? 2
                        : lead < 0xF0 ? 3
                        : lead < 0xF8 ? 4
                                      : 0;
  if (n == 0 || n > text.size())
    return {};
  char32_t code = n == 1 ? lead : lead & (0x7Fu >> n);
  for (std::size_t k = 1; k < n; ++k) {
    const auto next = static_cast<unsigned char>(text[k]);
    if ((next & 0xC0) != 0x80)
      return {};
    code = code << 6 | (next & 0x3Fu);
  }
  return {code, n};
}

bool xml_character(Decoded d) {
  constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};  // least value of each length
  const char32_t c = d.code;
  if (c < shortest[d.length])
    return false;
  if (c < 0x20)
    return c == '\t' || c == '\n';
  return !(c >= 0x7F && c < 0xA0) && !(c >= 0xD800 && c < 0xE000) && c != 0xFFFE && c != 0xFFFF &&
         c <= 0x10FFFF;
}

}  // namespace

bool same_text(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  // No early exit: texts compared here are nearly always equal, and without one the
  // loop runs in vectors.
  std::uint64_t differ = 0;
  std::size_t i = 0;
  for (; i + 8 <= a.size(); i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    differ |= x ^ y;
  }
  for (; i < a.size(); ++i)
    differ |= static_cast<unsigned char>(a[i] ^ b[i]);
  return differ == 0;
}

std::string fixed_text(std::string_view s, std::size_t length) {
  std::string out(s.substr(0, std::min(s.size(), length)));
  out.resize(length, ' ');
  return out;
}

std::size_t s_len_trim(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ')
    --n;
  return n;
}

std::string_view trimmed(std::string_view s) {
  return s.substr(0, s_len_trim(s));
}

void s_adjustl(std::string& s) {
  std::size_t first = 0;
  while (first < s.size() && (s[first] == ' ' || s[first] == '\t'))
    ++first;
  if (first == 0)
    return;
  const std::size_t length = s.size();
  s.erase(0, first);
  s.resize(length, ' ');
}

void s_blank_delete(std::string& s) {
  const std::size_t length = s.size();
  std::erase_if(s, [](char ch) { return ch == ' ' || ch == '\t'; });
  s.resize(length, ' ');
}

std::size_t ch_index(std::string_view s, char ch) {
  const std::size_t pos = trimmed(s).find(ch);
  return pos == std::string_view::npos ? 0 : pos + 1;
}

void remove_sp_tab_ctrl(std::string& s) {
  // Leading and trailing blanks go with the rest of the codes below 33.
  const std::size_t length = s.size();
  std::erase_if(s, [](char ch) { return static_cast<unsigned char>(ch) < 33; });
  s.resize(length, ' ');
}

void uppercase(std::string& s) {
  const std::size_t n = s_len_trim(s);
  for (std::size_t k = 0; k < n; ++k) {
    if (s[k] >= 'a' && s[k] <= 'z')
      s[k] = static_cast<char>(s[k] - 'a' + 'A');
  }
}

void s_whitespace_blank(std::string& s) {
  const std::size_t n = s_len_trim(s);
  for (std::size_t k = 0; k < n; ++k) {
    if (s[k] >= 9 && s[k] <= 13)
      s[k] = ' ';
  }
}

std::vector<std::string> wrapped(std::string_view first, std::string_view text, std::size_t width) {
  std::vector<std::string> lines;
  std::string line(first);
  bool empty = true;  // no word on the line yet
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (word.empty())
      continue;
    if (!empty && line.size() + 1 + word.size() > width) {
      lines.push_back(line);
      line.assign(first.size(), ' ');
      empty = true;
    }
    line.append(empty ? "" : " ").append(word);
    empty = false;
  }
  lines.push_back(line);
  return lines;
}

std::string formatted(const char* pattern, double v) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, v);
  return text;
}

std::string right_aligned(const std::string& text, std::size_t width) {
  return std::string(text.size() + 1 < width ? width - text.size() : 1, ' ') + text;
}

std::string markup_escaped(std::string_view text, bool apostrophe) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const Decoded d = decode_utf8(text);
    if (d.length == 0 || !xml_character(d)) {
      out += '?';
      text.remove_prefix(std::max<std::size_t>(d.length, 1));
      continue;
    }
    switch (d.code) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += apostrophe ? "&apos;" : "'"; break;
    default: out += text.substr(0, d.length);
    }
    text.remove_prefix(d.length);
  }
  return out;
}

std::u32string code_points(std::string_view text) {
  std::u32string out;
  while (!text.empty()) {
    const Decoded d = decode_utf8(text);
    const bool valid = d.length != 0 && xml_character(d);
    out += valid ? d.code : U'\uFFFD';
    text.remove_prefix(std::max<std::size_t>(d.length, 1));
  }
  return out;
}

}  // namespace quillon::textio
