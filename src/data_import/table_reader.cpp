#include "data_import/table_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <map>
#include <optional>
#include <system_error>
#include <utility>

#include "models/catalogue.h"
#include "textio/charconv.h"

namespace quillon::data_import {
namespace {

using std::size_t;
constexpr size_t none = std::string_view::npos;

// Thrown inside the reader only; read_table returns its text.
struct TableError {
  std::string message;
};

[[noreturn]] void fail(std::string message) {
  throw TableError{std::move(message)};
}

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_blank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back()))
    s.remove_suffix(1);
  return s;
}

bool same_text(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

bool all_digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), is_digit);
}

// A file's text in a message: printable ASCII only (the message goes to a terminal and
// into the summary, whose items ';' separates), and not too long.
std::string shown(std::string_view s) {
  constexpr size_t longest = 40;
  std::string out(s.substr(0, longest));
  for (char& ch : out) {
    const auto code = static_cast<unsigned char>(ch);
    if (code < 32 || code > 126 || ch == ';')
      ch = '?';
  }
  if (s.size() > longest)
    out += "...";
  return out;
}

std::string joined(const std::vector<std::string>& items, std::string_view last) {
  std::string out;
  for (size_t k = 0; k < items.size(); ++k) {
    if (k > 0)
      out += k + 1 == items.size() ? last : ", ";
    out += items[k];
  }
  return out;
}

std::string counted(size_t n, std::string_view word) {
  return std::to_string(n) + " " + std::string(word) + (n == 1 ? "" : "s");
}

// "line 4", "lines 4, 7 and 9", "lines 1, 2, ..., 8 and 5 more".
std::string line_list(const std::vector<int>& lines) {
  constexpr size_t most = 8;
  std::vector<std::string> items;
  for (size_t k = 0; k < lines.size() && k < most; ++k)
    items.push_back(std::to_string(lines[k]));
  if (lines.size() > most)
    items.push_back(std::to_string(lines.size() - most) + " more");
  return (lines.size() == 1 ? "line " : "lines ") + joined(items, " and ");
}

// Header names, as the messages list them; matched with case ignored.
constexpr std::array<std::string_view, 7> x1_names = {
    "S", "[S]", "substrate", "conc", "concentration", "dose", "x"};
constexpr std::array<std::string_view, 3> x2_names = {"I", "[I]", "inhibitor"};
constexpr std::array<std::string_view, 7> rate_names = {
    "v", "rate", "velocity", "activity", "response", "signal", "y"};
constexpr std::array<std::string_view, 3> set_names = {"set", "dataset", "series"};

template <size_t N>
bool among(std::string_view name, const std::array<std::string_view, N>& names) {
  return std::any_of(names.begin(), names.end(),
                     [name](std::string_view n) { return same_text(name, n); });
}

template <size_t N>
std::string listed(const std::array<std::string_view, N>& names) {
  return joined(std::vector<std::string>(names.begin(), names.end()), ", ");
}

// The rate name a replicate column is named by ("v" for "v2", "V_3" or "v"), if any.
std::optional<std::string_view> rate_base(std::string_view name) {
  for (std::string_view base : rate_names) {
    if (name.size() < base.size() || !same_text(name.substr(0, base.size()), base))
      continue;
    std::string_view rest = name.substr(base.size());
    if (rest.empty())
      return base;
    if (rest.front() == ' ' || rest.front() == '_' || rest.front() == '.')
      rest.remove_prefix(1);
    if (all_digits(rest))
      return base;
  }
  return std::nullopt;
}

// ---- Lines and cells ----

struct Line {
  std::string_view text;
  int number = 0;
};

// Empty rows come from spreadsheets as lines of separators only.
bool is_blank_line(std::string_view line) {
  return line.find_first_not_of(" \t,;") == none;
}

bool is_comment(std::string_view line) {
  const size_t first = line.find_first_not_of(" \t");
  return first != none && line[first] == '#';
}

// The lines that hold table rows, with their 1-based numbers in the file.
std::vector<Line> content_lines(std::string_view text) {
  constexpr std::string_view bom = "\xEF\xBB\xBF";
  if (text.substr(0, bom.size()) == bom)
    text.remove_prefix(bom.size());
  std::vector<Line> lines;
  int number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    ++number;
    const size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    if (!is_blank_line(line) && !is_comment(line))
      lines.push_back({line, number});
  }
  return lines;
}

enum class Delimiter { tab, semicolon, comma, blanks };  // preferred in this order on ties

struct Cell {
  std::string text;  // without the quotes, doubled quotes made single
  bool quoted = false;
};

struct Row {
  std::vector<Cell> cells;
  int line = 0;
  bool unclosed = false;  // a quote still open at the line's end
};

// Reads a quoted cell's text from the quote at `pos`; the position after the
// closing quote, or none when the line ends first.
size_t read_quoted(std::string_view line, size_t pos, std::string& out) {
  for (++pos; pos < line.size(); ++pos) {
    if (line[pos] == '"') {
      if (pos + 1 < line.size() && line[pos + 1] == '"') {
        out += '"';
        ++pos;
        continue;
      }
      return pos + 1;
    }
    out += line[pos];
  }
  return none;
}

// A cell that opens with a quote: its quoted text read into `cell`. False when the
// quote is not closed on the line; the row then ends with that cell.
bool read_opening_quote(std::string_view text, size_t& pos, Cell& cell, Row& row) {
  cell.quoted = true;
  pos = read_quoted(text, pos, cell.text);
  if (pos != none)
    return true;
  row.unclosed = true;
  row.cells.push_back(std::move(cell));
  return false;
}

Row split_blanks(const Line& line) {
  const std::string_view text = line.text;
  Row row{{}, line.number};
  size_t pos = 0;
  for (;;) {
    while (pos < text.size() && is_blank(text[pos]))
      ++pos;
    if (pos == text.size())
      return row;
    Cell cell;
    if (text[pos] == '"' && !read_opening_quote(text, pos, cell, row))
      return row;
    const size_t end = std::min(text.find_first_of(" \t", pos), text.size());
    cell.text += text.substr(pos, end - pos);
    row.cells.push_back(std::move(cell));
    pos = end;
  }
}

Row split_row(const Line& line, Delimiter delimiter) {
  if (delimiter == Delimiter::blanks)
    return split_blanks(line);
  const char sep = delimiter == Delimiter::tab         ? '\t'
                   : delimiter == Delimiter::semicolon ? ';'
                                                       : ',';
  const std::string_view text = line.text;
  Row row{{}, line.number};
  size_t pos = 0;
  for (;;) {
    while (pos < text.size() && text[pos] != sep && is_blank(text[pos]))
      ++pos;
    Cell cell;
    if (pos < text.size() && text[pos] == '"' && !read_opening_quote(text, pos, cell, row))
      return row;
    const size_t end = std::min(text.find(sep, pos), text.size());
    cell.text += trim(text.substr(pos, end - pos));
    row.cells.push_back(std::move(cell));
    if (end == text.size())
      return row;
    pos = end + 1;
  }
}

// Cells up to the last non-empty one: spreadsheets pad rows with empty cells.
size_t used_width(const Row& row) {
  size_t n = row.cells.size();
  while (n > 0 && trim(row.cells[n - 1].text).empty())
    --n;
  return n;
}

// The delimiter that splits the most lines into the same number (> 1) of cells.
std::optional<Delimiter> sniff(const std::vector<Line>& lines) {
  std::optional<Delimiter> best;
  int best_lines = 0;
  size_t best_width = 0;
  for (Delimiter d : {Delimiter::tab, Delimiter::semicolon, Delimiter::comma, Delimiter::blanks}) {
    std::map<size_t, int> widths;
    for (const Line& line : lines) {
      const size_t width = used_width(split_row(line, d));
      if (width > 1)
        ++widths[width];
    }
    int most = 0;
    size_t width = 0;
    for (const auto& [w, n] : widths) {
      if (n > most) {
        most = n;
        width = w;
      }
    }
    if (most > best_lines) {
      best = d;
      best_lines = most;
      best_width = width;
    } else if (most > 0 && most == best_lines && best == Delimiter::comma &&
               d == Delimiter::blanks) {
      // "1,5 2,5": commas give cells with blanks inside, which no table has; blanks
      // separate and the commas are decimal commas.
      int inner = 0;
      for (const Line& line : lines) {
        const Row row = split_row(line, Delimiter::comma);
        if (used_width(row) == best_width &&
            std::any_of(row.cells.begin(), row.cells.end(), [](const Cell& c) {
              return !c.quoted && c.text.find_first_of(" \t") != none;
            }))
          ++inner;
      }
      if (2 * inner > best_lines)
        best = d;
    }
  }
  return best;
}

// ---- Numbers ----

bool is_missing(std::string_view t) {
  return t.empty() || t == "-" || same_text(t, "NA") || same_text(t, "n.d.");
}

// [sign] digits [point digits] [e [sign] digits], with a digit in the mantissa.
bool number_shape(std::string_view t, char point) {
  size_t k = 0;
  const auto digits = [&] {
    const size_t from = k;
    while (k < t.size() && is_digit(t[k]))
      ++k;
    return k - from;
  };
  if (k < t.size() && (t[k] == '+' || t[k] == '-'))
    ++k;
  size_t mantissa = digits();
  if (k < t.size() && t[k] == point) {
    ++k;
    mantissa += digits();
  }
  if (mantissa == 0)
    return false;
  if (k < t.size() && (t[k] == 'e' || t[k] == 'E')) {
    ++k;
    if (k < t.size() && (t[k] == '+' || t[k] == '-'))
      ++k;
    if (digits() == 0)
      return false;
  }
  return k == t.size();
}

// For a number of number_shape beyond the double range: whether it is below it
// (its leading digit's decimal exponent is negative).
bool below_range(std::string_view t) {
  bool seen_point = false, found = false;
  long long integer_digits = 0, fraction_zeros = 0;
  size_t k = t.front() == '-' ? 1 : 0;
  for (; k < t.size() && (is_digit(t[k]) || t[k] == '.'); ++k) {
    if (t[k] == '.') {
      seen_point = true;
    } else if (!seen_point) {
      if (found || t[k] != '0') {
        found = true;
        ++integer_digits;
      }
    } else if (!found) {
      if (t[k] != '0')
        found = true;
      else
        ++fraction_zeros;
    }
  }
  long long magnitude = integer_digits > 0 ? integer_digits - 1 : -(fraction_zeros + 1);
  if (k < t.size()) {  // the exponent, saturated far beyond any double's
    const bool negative = t[k + 1] == '-';
    long long exponent = 0;
    for (++k; k < t.size(); ++k)
      if (is_digit(t[k]))
        exponent = std::min(exponent * 10 + (t[k] - '0'), 1'000'000'000LL);
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude < 0;
}

enum class Reading { number, missing, not_number, too_large };

struct CellValue {
  Reading reading = Reading::missing;
  double value = 0.0;
};

CellValue read_cell(std::string_view raw, bool decimal_comma) {
  std::string_view t = trim(raw);
  if (is_missing(t))
    return {};
  if (!number_shape(t, decimal_comma ? ',' : '.'))
    return {Reading::not_number};
  if (t.front() == '+')
    t.remove_prefix(1);
  std::string text(t);
  if (decimal_comma)
    std::replace(text.begin(), text.end(), ',', '.');
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = textio::read_double(text.data(), end, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    if (below_range(text))
      return {Reading::number, text.front() == '-' ? -0.0 : 0.0};
    return {Reading::too_large};
  }
  if (ec != std::errc() || ptr != end)
    return {Reading::not_number};
  return {Reading::number, value};
}

// Votes of the cells that only read with a decimal comma against those that only
// read with a decimal point.
bool sniff_decimal_comma(const std::vector<Row>& rows) {
  long comma = 0, point = 0;
  for (const Row& row : rows) {
    for (const Cell& cell : row.cells) {
      const std::string_view t = trim(cell.text);
      if (t.find(',') != none && number_shape(t, ','))
        ++comma;
      else if (t.find('.') != none && number_shape(t, '.'))
        ++point;
    }
  }
  return comma > 0 && comma >= point;
}

[[noreturn]] void decimal_comma_with_commas(int line, std::string_view detail) {
  fail("line " + std::to_string(line) + ": the file seems to use decimal commas with comma " +
       "separators (" + std::string(detail) +
       "): export it with a semicolon or tab separator, or with a decimal point.");
}

// ---- The header ----

struct Name {
  std::string_view cell;  // the whole header cell, trimmed
  std::string_view name;  // without its unit
  std::string_view unit;  // without its brackets
};

// "S (mM)", "v [U/mg]", "[S] (mM)": a bracketed end is the unit, unless it is the
// whole cell ("[S]").
Name split_unit(std::string_view cell) {
  cell = trim(cell);
  Name out{cell, cell, {}};
  if (cell.empty() || (cell.back() != ')' && cell.back() != ']'))
    return out;
  const char close = cell.back();
  const char open = close == ')' ? '(' : '[';
  int depth = 0;
  for (size_t k = cell.size(); k-- > 0;) {
    if (cell[k] == close) {
      ++depth;
    } else if (cell[k] == open && --depth == 0) {
      const std::string_view name = trim(cell.substr(0, k));
      if (!name.empty()) {
        out.name = name;
        out.unit = trim(cell.substr(k + 1, cell.size() - k - 2));
      }
      return out;
    }
  }
  return out;
}

// Blanks split "S (mM)" in two: a unit is put back with its name.
void join_units(std::vector<Cell>& cells) {
  std::vector<Cell> joined_cells;
  for (Cell& cell : cells) {
    const bool unit =
        !cell.quoted && !joined_cells.empty() && !cell.text.empty() &&
        (cell.text.front() == '(' ||
         (cell.text.front() == '[' && !among(cell.text, x1_names) && !among(cell.text, x2_names)));
    if (unit)
      joined_cells.back().text += " " + cell.text;
    else
      joined_cells.push_back(std::move(cell));
  }
  cells = std::move(joined_cells);
}

enum class Role { other, x1, x2, rate };

Role role_of(std::string_view name) {
  if (among(name, x1_names))
    return Role::x1;
  if (among(name, x2_names))
    return Role::x2;
  if (rate_base(name))
    return Role::rate;
  return Role::other;
}

// ---- The table ----

struct Choice {
  size_t x1 = none, x2 = none;
  std::vector<size_t> rates;
};

class Reader {
 public:
  Reader(std::string_view text, const TableOptions& options) : options_(options) {
    if (options.model != 0 && models::find_model(options.model) == nullptr)
      fail("there is no model " + std::to_string(options.model) + ": give --model 1 to " +
           std::to_string(models::model_table.size()) + ".");
    const std::vector<Line> lines = content_lines(text);
    if (lines.empty())
      fail("the file holds no table: every line is blank or a comment.");
    const std::optional<Delimiter> delimiter = sniff(lines);
    if (!delimiter)
      fail(at(lines.front().number) +
           "the table has a single column: it needs at least an X1 and a rate column, "
           "separated by commas, semicolons, tabs or blanks.");
    delimiter_ = *delimiter;
    for (const Line& line : lines) {
      Row row = split_row(line, delimiter_);
      if (row.unclosed)
        fail(at(row.line) +
             "a quoted cell is not closed on its line: a cell may not span lines, so close "
             "the quote or remove it.");
      if (used_width(row) > 0)  // a row of empty cells ("","") is a blank line
        rows_.push_back(std::move(row));
    }
    if (rows_.empty())
      fail("the file holds no table: every line is blank or a comment.");
    if (delimiter_ == Delimiter::comma && options.decimal_comma)
      decimal_comma_with_commas(rows_.front().line, "--decimal-comma was given");
    decimal_comma_ =
        delimiter_ != Delimiter::comma && (options.decimal_comma || sniff_decimal_comma(rows_));
  }

  Table read() {
    find_header();
    // A row of the wrong width says more about the file than the columns' names do.
    for (size_t r = header_ ? 1 : 0; r < rows_.size(); ++r)
      check_width(rows_[r]);
    const Choice choice = choose_columns();
    Table table;
    table.model = model_;
    if (header_) {
      table.x1_name = names_[choice.x1].name;
      table.x1_unit = names_[choice.x1].unit;
      if (choice.x2 != none) {
        table.x2_name = names_[choice.x2].name;
        table.x2_unit = names_[choice.x2].unit;
      }
      // Replicate columns (v1, v2, v3) are named by their common name.
      const std::string_view rate = names_[choice.rates.front()].name;
      const auto base = rate_base(rate);
      table.y_name = choice.rates.size() > 1 && base ? rate.substr(0, base->size()) : rate;
      table.y_unit = names_[choice.rates.front()].unit;
    }
    read_rows(choice, table);
    return table;
  }

 private:
  static std::string at(int line) { return "line " + std::to_string(line) + ": "; }

  int first_line() const { return rows_.front().line; }

  // The first row is a header when a cell it uses is neither a number nor a missing value.
  void find_header() {
    const bool numbered = std::all_of(options_.columns.begin(), options_.columns.end(),
                                      [](const std::string& e) { return all_digits(trim(e)); });
    const std::vector<Cell>& cells = rows_.front().cells;
    for (size_t k = 0; k < cells.size() && !header_; ++k) {
      const bool used =
          options_.columns.empty() || !numbered ||
          std::any_of(options_.columns.begin(), options_.columns.end(),
                      [k](const std::string& e) { return std::to_string(k + 1) == trim(e); });
      const std::string_view t = trim(cells[k].text);
      header_ = used && read_cell(t, decimal_comma_).reading == Reading::not_number &&
                !number_shape(t, ',') && !number_shape(t, '.');
    }
    if (header_) {
      if (delimiter_ == Delimiter::blanks)
        join_units(rows_.front().cells);
      for (const Cell& cell : rows_.front().cells)
        names_.push_back(split_unit(cell.text));
    }
    width_ = used_width(rows_.front());
    names_.resize(std::max(names_.size(), width_));
    for (size_t k = 0; k < width_ && set_column_ == none; ++k)
      if (among(names_[k].name, set_names))
        set_column_ = k;
  }

  bool unique_name(size_t k) const {
    return std::none_of(
        names_.begin(), names_.begin() + static_cast<std::ptrdiff_t>(width_),
        [&](const Name& n) { return &n != &names_[k] && same_text(n.name, names_[k].name); });
  }

  // "column v2", "column 3", or "column 3 (v)" where the name is repeated.
  std::string column(size_t k) const {
    if (!header_ || names_[k].name.empty())
      return "column " + std::to_string(k + 1);
    if (!unique_name(k))
      return "column " + std::to_string(k + 1) + " (" + shown(names_[k].name) + ")";
    return "column " + shown(names_[k].name);
  }

  std::string header_names() const {
    constexpr size_t most = 12;
    std::vector<std::string> items;
    for (size_t k = 0; k < width_ && k < most; ++k)
      items.push_back(names_[k].name.empty() ? "column " + std::to_string(k + 1)
                                             : shown(names_[k].name));
    if (width_ > most)
      items.push_back("and " + std::to_string(width_ - most) + " more");
    return joined(items, ", ");
  }

  // "--columns time,A340": names a shell passes unquoted, else numbers.
  std::string example_columns(size_t n) const {
    std::vector<std::string> items;
    for (size_t k = 0; k < n && k < width_; ++k) {
      const std::string_view name = names_[k].name;
      const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return is_digit(c) || (lower(c) >= 'a' && lower(c) <= 'z') || c == '_' || c == '.' ||
               c == '-';
      }) && !all_digits(name);
      items.push_back(plain ? std::string(name) : std::to_string(k + 1));
    }
    return "--columns " + joined(items, ",");
  }

  bool model_reads_x2(int model) const { return models::find_model(model)->nx >= 2; }

  std::string model_named(int model) const {
    return "model " + std::to_string(model) + " (" + std::string(models::find_model(model)->label) +
           ")";
  }

  size_t resolve(const std::string& entry) const {
    const std::string_view t = trim(entry);
    if (all_digits(t)) {
      size_t k = 0;
      const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), k);
      if (ec != std::errc() || k == 0 || k > width_)
        fail(at(first_line()) + "--columns entry " + shown(t) + " is beyond the table's " +
             counted(width_, "column") + ": give a column number from 1 to " +
             std::to_string(width_) + ".");
      return k - 1;
    }
    if (!header_)
      fail(at(first_line()) + "--columns entry \"" + shown(t) +
           "\" is a name but the table has no header row: give column numbers, e.g. "
           "--columns 1,2.");
    for (size_t k = 0; k < width_; ++k) {
      if (!t.empty() && (same_text(t, names_[k].cell) || same_text(t, names_[k].name)))
        return k;
    }
    fail(at(first_line()) + "--columns entry \"" + shown(t) + "\" names no column of the header (" +
         header_names() + "): give a header name or a column number.");
  }

  Choice by_columns_option() const {
    std::vector<size_t> picked;
    for (const std::string& entry : options_.columns) {
      picked.push_back(resolve(entry));
      if (picked.back() == set_column_)
        fail(at(first_line()) + "--columns entry \"" + shown(trim(entry)) +
             "\" is the set column, which labels each row's data set: give only X1, X2 and "
             "the rate columns.");
    }
    if (picked.size() < 2)
      fail("--columns gives " + counted(picked.size(), "column") +
           ": give X1 and then the rate column or columns.");
    const bool x2 = options_.model != 0 ? model_reads_x2(options_.model)
                                        : header_ && role_of(names_[picked[1]].name) == Role::x2;
    if (x2 && picked.size() < 3)
      fail(options_.model != 0
               ? "--columns gives 2 columns: " + model_named(options_.model) +
                     " reads X1, X2 and then the rate column or columns."
               : "--columns gives 2 columns and the second is an inhibitor column: give X1, X2 "
                 "and then the rate column or columns.");
    Choice choice;
    choice.x1 = picked[0];
    if (x2)
      choice.x2 = picked[1];
    choice.rates.assign(picked.begin() + (x2 ? 2 : 1), picked.end());
    return choice;
  }

  Choice by_names() const {
    Choice choice;
    for (size_t k = 0; k < width_; ++k) {
      if (k == set_column_)
        continue;
      switch (role_of(names_[k].name)) {
      case Role::x1:
        if (choice.x1 == none)
          choice.x1 = k;
        break;
      case Role::x2:
        if (choice.x2 == none)
          choice.x2 = k;
        break;
      case Role::rate: choice.rates.push_back(k); break;
      case Role::other: break;
      }
    }
    // A model whose X1 is an inhibitor's concentration (tight binding) reads the
    // inhibitor column, else the first column that is not a rate.
    const models::Model* model = models::find_model(options_.model);
    if (model != nullptr && model->shape == models::Shape::falling && model->nx == 1) {
      if (choice.x2 != none)
        choice.x1 = choice.x2;
      // Else the one column that is neither X1, a rate nor the set; with several, which
      // one holds the inhibitor is not for the reader to guess.
      std::vector<size_t> others;
      for (size_t k = 0; k < width_; ++k) {
        if (k != set_column_ && role_of(names_[k].name) == Role::other)
          others.push_back(k);
      }
      if (choice.x1 == none && others.size() == 1)
        choice.x1 = others.front();
      choice.x2 = none;
    }
    const size_t example = options_.model != 0 && model_reads_x2(options_.model) ? 3 : 2;
    if (choice.x1 == none)
      fail(at(first_line()) + "no column of the header (" + header_names() +
           ") is named as the substrate concentration (recognised: " + listed(x1_names) +
           "): name the columns with --columns, e.g. " + example_columns(example) + ".");
    if (choice.rates.empty())
      fail(at(first_line()) + "no column of the header (" + header_names() +
           ") is named as a rate (recognised: " + listed(rate_names) +
           ", also numbered as v1, v 2 or rate_3): name the columns with --columns, e.g. " +
           example_columns(example) + ".");
    return choice;
  }

  Choice by_position() const {
    Choice choice;
    const bool x2 = options_.model != 0 && model_reads_x2(options_.model);
    if (width_ == 2 || (width_ == 3 && x2)) {
      choice.x1 = 0;
      if (width_ == 3)
        choice.x2 = 1;
      choice.rates.push_back(width_ - 1);
      return choice;
    }
    std::string message = "line " + std::to_string(first_line()) + " holds " +
                          counted(width_, "column") +
                          " and no header: say which is which with --columns, e.g. --columns ";
    for (size_t k = 1; k <= width_ && k <= 4; ++k)
      message += (k > 1 ? "," : "") + std::to_string(k);
    message += " for X1 then the rate columns";
    if (width_ == 3)
      message += ", or give a --model that reads X2 (3 to 6) for X1, X2 and the rate";
    fail(message + ".");
  }

  Choice choose_columns() {
    Choice choice = !options_.columns.empty() ? by_columns_option()
                    : header_                 ? by_names()
                                              : by_position();
    if (options_.model != 0) {
      model_ = options_.model;
    } else if (choice.x2 != none) {
      model_ = models::find_model("mixed")->number;
    } else {
      // Dose-response tables are sigmoidal.
      const auto rate = rate_base(names_[choice.rates.front()].name);
      const bool hill = same_text(names_[choice.x1].name, "dose") ||
                        (rate && (*rate == "response" || *rate == "signal"));
      model_ = models::find_model(hill ? "hill" : "mm")->number;
    }
    if (!model_reads_x2(model_)) {
      choice.x2 = none;
    } else if (choice.x2 == none) {
      fail(at(first_line()) + model_named(model_) +
           " needs an inhibitor column: name it I, [I] or inhibitor in the header, or give "
           "--columns.");
    }
    return choice;
  }

  void check_width(const Row& row) const {
    const size_t n = row.cells.size();
    if (n == width_ || (n > width_ && used_width(row) <= width_))
      return;
    const std::string holds = "holds " + counted(used_width(row), "cell") + " where " +
                              (header_ ? "the header has " + std::to_string(width_)
                                       : "the first row (line " + std::to_string(first_line()) +
                                             ") has " + std::to_string(width_));
    if (delimiter_ == Delimiter::comma && n > width_)
      decimal_comma_with_commas(row.line, "the line " + holds);
    fail("line " + std::to_string(row.line) + " " + holds +
         ": give every row one cell per column (leave a missing value's cell empty or write "
         "NA).");
  }

  [[noreturn]] void unreadable(const Row& row, size_t k, const CellValue& value) const {
    const std::string_view t = trim(row.cells[k].text);
    const std::string place =
        "line " + std::to_string(row.line) + ", " + column(k) + ": \"" + shown(t) + "\" ";
    if (value.reading == Reading::too_large)
      fail(place + "is too large a number: rescale the column.");
    if (delimiter_ == Delimiter::comma && number_shape(t, ','))
      decimal_comma_with_commas(row.line, column(k) + " holds \"" + shown(t) + "\"");
    if (t.find('.') != none && t.find(',') != none)
      fail(place + "is not a number: thousands separators are not read, so write it without them.");
    if (decimal_comma_ && t.find('.') != none)
      fail(place +
           "is not a number: the table has decimal commas, and a point is no thousands "
           "separator here.");
    if (!decimal_comma_ && number_shape(t, ','))
      fail(place +
           "is not a number: the table has decimal points (give --decimal-comma if its numbers "
           "have decimal commas).");
    fail(place +
         "is not a number: correct the cell, or leave it empty or write NA for a missing "
         "value.");
  }

  // The row's set as an index into table.sets, a new label added there.
  int set_of(const Row& row, Table& table) const {
    if (set_column_ == none)
      return 0;
    const std::string_view label = trim(row.cells[set_column_].text);
    if (is_missing(label)) {
      std::string cell = "the cell is empty";
      if (!label.empty())
        cell.assign("\"").append(shown(label)).append("\" marks no set");
      fail("line " + std::to_string(row.line) + ", " + column(set_column_) + ": " + cell +
           ": give every row its set.");
    }
    const auto k = static_cast<size_t>(std::find(table.sets.begin(), table.sets.end(), label) -
                                       table.sets.begin());
    if (k == table.sets.size())
      table.sets.emplace_back(label);
    return static_cast<int>(k);
  }

  void read_rows(const Choice& choice, Table& table) const {
    const size_t first = header_ ? 1 : 0;
    if (first == rows_.size())
      fail(at(first_line()) +
           "the header is followed by no data rows: add the observations "
           "below it.");
    std::vector<size_t> used = {choice.x1};
    if (choice.x2 != none)
      used.push_back(choice.x2);
    const size_t x_columns = used.size();
    used.insert(used.end(), choice.rates.begin(), choice.rates.end());
    std::vector<long> numbers(used.size(), 0);
    std::vector<std::vector<int>> missing(used.size());
    std::vector<CellValue> values(used.size());

    std::vector<std::vector<int>> set_lines;  // per set, the lines its rows are on
    for (size_t r = first; r < rows_.size(); ++r) {
      const Row& row = rows_[r];
      const int set = set_of(row, table);
      set_lines.resize(table.sets.size());
      if (set_column_ != none)
        set_lines[static_cast<size_t>(set)].push_back(row.line);
      for (size_t u = 0; u < used.size(); ++u) {
        values[u] = read_cell(row.cells[used[u]].text, decimal_comma_);
        if (values[u].reading == Reading::number)
          ++numbers[u];
        else if (values[u].reading != Reading::missing)
          unreadable(row, used[u], values[u]);
      }
      const auto x_missing =
          std::find_if(values.begin(), values.begin() + x_columns,
                       [](const CellValue& v) { return v.reading == Reading::missing; });
      if (x_missing != values.begin() + x_columns) {
        missing[static_cast<size_t>(x_missing - values.begin())].push_back(row.line);
        continue;
      }
      for (size_t u = x_columns; u < used.size(); ++u) {
        if (values[u].reading == Reading::missing) {
          missing[u].push_back(row.line);
          continue;
        }
        table.observations.push_back({values[0].value, x_columns == 2 ? values[1].value : 0.0,
                                      values[u].value, row.line, set});
      }
    }

    const bool one_row = first + 1 == rows_.size();
    const std::string data_lines = one_row ? "line " + std::to_string(rows_[first].line)
                                           : "lines " + std::to_string(rows_[first].line) + " to " +
                                                 std::to_string(rows_.back().line);
    for (size_t u = 0; u < used.size(); ++u) {
      if (numbers[u] == 0)
        fail(column(used[u]) + " holds no number on " + (one_row ? "" : "any of ") + data_lines +
             ": fill it in, or choose the columns with --columns.");
    }
    if (table.observations.empty())
      fail(data_lines + (one_row ? " holds" : " hold") +
           " no complete observation: every row misses its X1, its X2 or all its rates.");
    // A set without observations would reach its fit empty.
    for (size_t s = 0; s < table.sets.size(); ++s) {
      if (std::none_of(table.observations.begin(), table.observations.end(),
                       [s](const TableObservation& o) { return o.set == static_cast<int>(s); }))
        fail(std::string("set \"")
                 .append(shown(table.sets[s]))
                 .append("\" at ")
                 .append(line_list(set_lines[s]))
                 .append(" has no complete observation: every row of it misses its X1, its X2 or "
                         "all its rates."));
    }
    for (size_t u = 0; u < used.size(); ++u) {
      const std::vector<int>& lines = missing[u];
      if (lines.empty())
        continue;
      const bool one = lines.size() == 1;
      const std::string where = " in " + column(used[u]) + " at " + line_list(lines);
      if (u < x_columns)
        table.warnings.push_back(
            (one ? "the row with a missing value" : "rows with missing values") + where +
            (one ? " was" : " were") + " left out");
      else
        table.warnings.push_back((one ? "a missing value" : "missing values") + where +
                                 (one ? " was" : " were") + " left out");
    }
  }

  const TableOptions& options_;
  Delimiter delimiter_ = Delimiter::comma;
  bool decimal_comma_ = false;
  std::vector<Row> rows_;  // the rows of cells, header included, blank lines and comments left out
  bool header_ = false;
  std::vector<Name> names_;   // the header's, views into rows_.front(); empty names without one
  size_t width_ = 0;          // cells a row holds, trailing empty ones not counted
  size_t set_column_ = none;  // the header's first column named as a set
  int model_ = 0;
};

}  // namespace

namespace {

// Spreadsheets' "Unicode text" is UTF-16 with a byte-order mark: as UTF-8, so that
// the rest of the reader sees one encoding. Unpaired surrogates become U+FFFD.
std::string utf8_from_utf16(std::string_view text, bool little_endian) {
  std::string out;
  const auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(text[i]);
    const auto b = static_cast<unsigned char>(text[i + 1]);
    return little_endian ? static_cast<unsigned>(a | b << 8) : static_cast<unsigned>(b | a << 8);
  };
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    unsigned code = unit(i);
    if (code >= 0xD800 && code < 0xDC00 && i + 3 < text.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

}  // namespace

Table table_set(const Table& table, std::size_t set) {
  Table part = table;
  part.observations.clear();
  for (const TableObservation& o : table.observations)
    if (static_cast<std::size_t>(o.set) == set)
      part.observations.push_back(o);
  return part;
}

std::string set_file_label(std::string_view label) {
  if (label.empty())
    return "set";
  std::string out;
  for (size_t k = 0; k < label.size(); ++k) {
    const char c = label[k];
    const auto code = static_cast<unsigned char>(c);
    // One '_' for a UTF-8 character, not one per byte.
    if (code >= 0x80 && code < 0xC0 && k > 0 && static_cast<unsigned char>(label[k - 1]) >= 0x80)
      continue;
    const bool kept = is_digit(c) || (lower(c) >= 'a' && lower(c) <= 'z') || c == '-' || c == '_';
    out += kept ? c : '_';
  }
  return out;
}

std::variant<Table, std::string> read_table(std::string_view text, const TableOptions& options) {
  std::string decoded;
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    decoded = utf8_from_utf16(text, text[0] == '\xFF');
    text = decoded;
  }
  try {
    Reader reader(text, options);
    return reader.read();
  } catch (const TableError& error) {
    return error.message;
  }
}

}  // namespace quillon::data_import
