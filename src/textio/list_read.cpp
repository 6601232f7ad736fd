#include "textio/list_read.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

#include "textio/charconv.h"

namespace quillon::textio {

namespace {

// The carriage return of a CR LF file counts as a separator like the blank.
bool is_separator(char ch) {
  return ch == ' ' || ch == '\t' || ch == ',' || ch == '\r';
}
bool is_digit(char ch) {
  return ch >= '0' && ch <= '9';
}

}  // namespace

bool parse_list_real(std::string_view item, double& value) {
  // Grammar check and a plain copy for read_double: no leading '+', exponent letter 'e'.
  std::string plain;
  std::size_t i = 0;
  bool negative = false;
  if (i < item.size() && (item[i] == '+' || item[i] == '-')) {
    negative = item[i] == '-';
    ++i;
  }
  if (negative)
    plain += '-';
  int digits_before = 0;  // significant digits before the point
  int leading_zeros_after = 0;
  bool any_digit = false;
  bool nonzero_seen = false;
  for (; i < item.size() && is_digit(item[i]); ++i) {
    any_digit = true;
    if (item[i] != '0')
      nonzero_seen = true;
    if (nonzero_seen)
      ++digits_before;
    plain += item[i];
  }
  if (i < item.size() && item[i] == '.') {
    plain += '.';
    for (++i; i < item.size() && is_digit(item[i]); ++i) {
      any_digit = true;
      if (item[i] != '0')
        nonzero_seen = true;
      if (!nonzero_seen)
        ++leading_zeros_after;
      plain += item[i];
    }
  }
  if (!any_digit)
    return false;
  long exponent = 0;
  if (i < item.size()) {
    const char ch = item[i];
    if (ch == 'e' || ch == 'E' || ch == 'd' || ch == 'D')
      ++i;
    else if (ch != '+' && ch != '-')
      return false;
    plain += 'e';
    const std::size_t exponent_start = plain.size();
    if (i < item.size() && (item[i] == '+' || item[i] == '-'))
      plain += item[i++];
    bool exponent_digit = false;
    for (; i < item.size() && is_digit(item[i]); ++i) {
      exponent_digit = true;
      plain += item[i];
    }
    if (!exponent_digit || i != item.size())
      return false;
    // Only its rough size matters below; cap it so that it cannot overflow.
    const std::string_view e = std::string_view(plain).substr(exponent_start);
    exponent = std::strtol(std::string(e.substr(0, std::min<std::size_t>(e.size(), 9))).c_str(),
                           nullptr, 10);
  }
  double v = 0.0;
  const auto [end, ec] = read_double(plain.data(), plain.data() + plain.size(), v);
  if (end != plain.data() + plain.size())
    return false;
  if (ec == std::errc::result_out_of_range) {
    if (!nonzero_seen) {
      v = 0.0;
    } else {
      const long magnitude = exponent + (digits_before > 0 ? digits_before : -leading_zeros_after);
      if (magnitude > 0)
        return false;  // overflow
      v = 0.0;         // underflow reads as zero
    }
    if (negative)
      v = -v;
  } else if (ec != std::errc()) {
    return false;
  }
  if (!std::isfinite(v))
    return false;
  value = v;
  return true;
}

int count_list_reals(std::string_view line) {
  int count = 0;
  std::size_t k = 0;
  while (k < line.size()) {
    while (k < line.size() && is_separator(line[k]))
      ++k;
    const std::size_t start = k;
    while (k < line.size() && !is_separator(line[k]))
      ++k;
    const std::string_view item = line.substr(start, k - start);
    if (item.empty() || item.front() == '!')
      break;
    double value = 0.0;
    if (parse_list_real(item, value))
      ++count;
  }
  return count;
}

bool parse_list_integer(std::string_view item, int& value) {
  if (!item.empty() && item[0] == '+')
    item.remove_prefix(1);
  if (item.empty() || item[0] == '+')
    return false;
  int v = 0;
  const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), v);
  if (ec != std::errc() || end != item.data() + item.size())
    return false;
  value = v;
  return true;
}

void ListReader::start_statement() {
  // Every read starts on a fresh line: the rest of the previous one is dropped.
  line_.clear();
  cursor_ = 0;
  issue_ = {};
}

ReadStatus ListReader::next_item(std::string_view& item) {
  for (;;) {
    while (cursor_ < line_.size() && is_separator(line_[cursor_]))
      ++cursor_;
    if (cursor_ < line_.size()) {
      const std::size_t start = cursor_;
      while (cursor_ < line_.size() && !is_separator(line_[cursor_]))
        ++cursor_;
      item = std::string_view(line_).substr(start, cursor_ - start);
      return ReadStatus::ok;
    }
    // Blank lines and lines that ran out of values: take the next line.
    line_.clear();
    cursor_ = 0;
    if (!std::getline(in_, line_))
      return ReadStatus::end_of_input;
    ++line_number_;
  }
}

ReadStatus ListReader::fail(ReadStatus status, std::string_view text, std::size_t values_read) {
  issue_.line = status == ReadStatus::end_of_input ? line_number_ + 1 : line_number_;
  issue_.text = std::string(text);
  issue_.values_read = values_read;
  return status;
}

ReadStatus ListReader::read(std::span<double> values) {
  start_statement();
  for (std::size_t k = 0; k < values.size(); ++k) {
    std::string_view item;
    if (next_item(item) != ReadStatus::ok)
      return fail(ReadStatus::end_of_input, {}, k);
    if (!parse_list_real(item, values[k]))
      return fail(ReadStatus::bad_value, item, k);
  }
  issue_.values_read = values.size();
  return ReadStatus::ok;
}

ReadStatus ListReader::read(int& value) {
  start_statement();
  std::string_view item;
  if (next_item(item) != ReadStatus::ok)
    return fail(ReadStatus::end_of_input, {}, 0);
  if (!parse_list_integer(item, value))
    return fail(ReadStatus::bad_value, item, 0);
  issue_.values_read = 1;
  return ReadStatus::ok;
}

}  // namespace quillon::textio
