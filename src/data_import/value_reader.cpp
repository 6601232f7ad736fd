#include "data_import/value_reader.h"

#include <cctype>
#include <charconv>
#include <string_view>
#include <vector>

namespace quillon {
namespace {

bool separator(char ch) {
  return ch == ' ' || ch == '\t' || ch == ',';
}

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> out;
  std::size_t k = 0;
  while (k < line.size()) {
    while (k < line.size() && separator(line[k]))
      ++k;
    const std::size_t start = k;
    while (k < line.size() && !separator(line[k]))
      ++k;
    if (k > start)
      out.push_back(line.substr(start, k - start));
  }
  return out;
}

bool parse_real(std::string text, double& value) {
  for (char& ch : text) {
    if (ch == 'd' || ch == 'D')
      ch = 'e';
  }
  const char* first = text.data();
  if (*first == '+')
    ++first;
  const auto [ptr, ec] = std::from_chars(first, text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size();
}

bool parse_int(const std::string& text, int& value) {
  const char* first = text.data();
  if (*first == '+')
    ++first;
  const auto [ptr, ec] = std::from_chars(first, text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size();
}

template <typename Parse>
ValueRead read_values(std::istream& in, int& line_no, std::size_t count, Parse parse) {
  std::size_t done = 0;
  std::string line;
  while (done < count) {
    if (!std::getline(in, line))
      return {ReadStatus::end_of_input, line_no, {}};
    ++line_no;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    for (const auto& token : split(line)) {
      if (done == count)
        break;
      if (!parse(done, token))
        return {ReadStatus::bad_value, line_no, token};
      ++done;
    }
  }
  return {};
}

}  // namespace

ValueRead ValueReader::reals(std::span<double> values) {
  return read_values(in_, line_, values.size(), [&](std::size_t k, const std::string& token) {
    return parse_real(token, values[k]);
  });
}

ValueRead ValueReader::integer(int& value) {
  return read_values(in_, line_, 1, [&](std::size_t, const std::string& token) {
    return parse_int(token, value);
  });
}

}  // namespace quillon
