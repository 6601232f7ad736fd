#include "textio/console.h"

namespace quillon::textio {

void Console::put(std::string_view chars) {
  if (chars.empty())
    return;
  if (pos_ > written_) {
    out_ << std::string(pos_ - written_, ' ');
    written_ = pos_;
  }
  // A CR LF pair inside a text starts a new console line where it stands.
  std::size_t start = 0;
  for (std::size_t k = 0; k + 1 < chars.size(); ++k) {
    if (chars[k] == '\r' && chars[k + 1] == '\n') {
      out_ << chars.substr(start, k + 2 - start);
      start = k + 2;
      written_ = pos_ = 0;
      ++k;
    }
  }
  out_ << chars.substr(start);
  written_ += chars.size() - start;
  pos_ = written_;
}

void Console::end_line() {
  // Blanks skipped at the end of a line are never written.
  out_ << "\r\n";
  written_ = pos_ = 0;
  line_open_ = false;
}

ReadStatus Console::read_line(std::string& line) {
  out_.flush();
  line.clear();
  if (!std::getline(in_, line)) {
    if (line.empty())
      return ReadStatus::end_of_input;
    // A last line without its line end still counts.
  }
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return ReadStatus::ok;
}

ReadStatus Console::read_text(std::string& text, std::size_t length) {
  std::string line;
  const ReadStatus status = read_line(line);
  if (status != ReadStatus::ok)
    return status;
  line.resize(length, ' ');
  text = std::move(line);
  return ReadStatus::ok;
}

ReadStatus Console::read_i3(int& value) {
  std::string line;
  const ReadStatus status = read_line(line);
  if (status != ReadStatus::ok)
    return status;
  const std::string_view field = std::string_view(line).substr(0, 3);
  int v = 0;
  bool negative = false;
  bool seen_sign = false;
  bool seen_digit = false;
  for (char ch : field) {
    if (ch == ' ')
      continue;  // blanks in the field are ignored
    if ((ch == '+' || ch == '-') && !seen_sign && !seen_digit) {
      seen_sign = true;
      negative = ch == '-';
    } else if (ch >= '0' && ch <= '9') {
      seen_digit = true;
      v = v * 10 + (ch - '0');
    } else {
      return ReadStatus::bad_value;
    }
  }
  if (seen_sign && !seen_digit)
    return ReadStatus::bad_value;
  value = negative ? -v : v;
  return ReadStatus::ok;
}

void Console::write_values(std::string_view format, std::span<const FmtValue> values,
                           bool keep_open) {
  write_formatted(*this, formats_.get(format), format, values, keep_open);
}

// One leading blank, texts as they are, a blank between a number and its neighbours.
void Console::list_values(std::span<const FmtValue> values) {
  if (values.empty()) {
    end_line();
    return;
  }
  put(" ");
  enum class Last { none, text, number } last = Last::none;
  for (const FmtValue& v : values) {
    if (v.kind == FmtValue::Kind::text) {
      if (last == Last::number)
        put(" ");
      put(v.text);
      last = Last::text;
      continue;
    }
    if (last != Last::none)
      put(" ");
    switch (v.kind) {
    case FmtValue::Kind::integer: put(render_list_integer(v.integer)); break;
    case FmtValue::Kind::real: put(render_list_real(v.real)); break;
    default: put(v.logical ? "T" : "F"); break;
    }
    last = Last::number;
  }
  end_line();
}

}  // namespace quillon::textio
