// The console: the one place where the program meets standard input and output.
// Every output statement is laid out by a format string (or list-directed); every
// answer is read through here, so each screen can be driven by string streams.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "textio/format.h"

namespace quillon::textio {

enum class ReadStatus { ok, end_of_input, bad_value };

namespace detail {

template <typename T>
void add_value(std::vector<FmtValue>& out, const T& v) {
  using U = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<U, bool>) {
    out.push_back(FmtValue::of_bool(v));
  } else if constexpr (std::is_integral_v<U>) {
    out.push_back(FmtValue::of_int(static_cast<long long>(v)));
  } else if constexpr (std::is_floating_point_v<U>) {
    out.push_back(FmtValue::of_real(static_cast<double>(v)));
  } else if constexpr (std::is_convertible_v<const U&, std::string_view>) {
    out.push_back(FmtValue::of_text(std::string_view(v)));
  } else {
    // A range of numbers (std::vector<double>, std::span<const double>, ...).
    for (const auto& item : v)
      add_value(out, item);
  }
}

template <typename... Args>
std::vector<FmtValue> values_of(const Args&... args) {
  std::vector<FmtValue> values;
  (add_value(values, args), ...);
  return values;
}

}  // namespace detail

class Console {
 public:
  Console(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // One formatted output statement: write("(A,I0,A)", "width ", 64, " bits").
  // Ranges of numbers are expanded into one value per element.
  template <typename... Args>
  void write(std::string_view format, const Args&... args) {
    write_values(format, detail::values_of(args...));
  }

  // As write, but the line stays open afterwards, as after a dollar sign: for
  // statements that leave the line open for an answer or for the next statement.
  template <typename... Args>
  void write_open(std::string_view format, const Args&... args) {
    write_values(format, detail::values_of(args...), true);
  }

  // One list-directed output statement; list() with no values ends an open line
  // or writes an empty line.
  template <typename... Args>
  void list(const Args&... args) {
    list_values(detail::values_of(args...));
  }

  void write_values(std::string_view format, std::span<const FmtValue> values,
                    bool keep_open = false);
  void list_values(std::span<const FmtValue> values);

  // One input line without its line end (LF, or CR LF). A read never closes an
  // open output line: the next statement continues it.
  ReadStatus read_line(std::string& line);
  // "(A)" into a fixed-length text: a shorter line is padded with blanks, a longer one cut.
  ReadStatus read_text(std::string& text, std::size_t length);
  // "(i3)": the first three columns, blanks ignored, an all-blank field reads 0.
  ReadStatus read_i3(int& value);

  bool line_open() const { return line_open_; }

  // Low-level line building used by the formatter.
  void put(std::string_view chars);  // at the cursor, after any pending skip
  void skip(std::size_t n) { pos_ += n; }
  void end_line();
  void set_open(bool open) { line_open_ = open; }

 private:
  std::istream& in_;
  std::ostream& out_;
  std::size_t written_ = 0;  // characters already on the current line
  std::size_t pos_ = 0;      // cursor; beyond written_ after a skip
  bool line_open_ = false;
  FormatCache formats_;
};

}  // namespace quillon::textio
