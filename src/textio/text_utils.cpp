#include "textio/text_utils.h"

#include <algorithm>
#include <cstdio>

namespace quillon::textio {

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

}  // namespace quillon::textio
