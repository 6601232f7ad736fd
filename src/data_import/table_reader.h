// Lab tables (comma, semicolon, tab or blank separated, as spreadsheets and plate
// readers export them): the observations with the lines they came from, the columns'
// names and units, the data sets they belong to, and the model a table calls for.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillon::data_import {

struct TableOptions {
  // --columns: X1, then X2 when the model reads one, then the rate column or columns;
  // each a header name (case ignored) or a 1-based column number. A set column is
  // found by its name in any case and is never one of these.
  std::vector<std::string> columns;
  bool decimal_comma = false;  // --decimal-comma: forced even where not sniffed
  int model = 0;               // --model; 0 chooses by the columns
};

struct TableObservation {
  double x1 = 0.0;
  double x2 = 0.0;  // 0 when the model reads no X2
  double y = 0.0;
  int line = 0;  // 1-based line of the file
  int set = 0;   // index into Table::sets; 0 when the table has no set column
};

struct Table {
  int model = 0;  // the --model, else the default the columns call for
  // Header names without their units ("S", "[I]", "v"); empty without a header.
  std::string x1_name, x2_name, y_name;
  std::string x1_unit, x2_unit, y_unit;  // from the header, without brackets
  // Row by row, a row's rate columns left to right; missing cells dropped.
  std::vector<TableObservation> observations;
  // Data warnings (never holding ';'): the missing cells, named with their lines.
  std::vector<std::string> warnings;
  // The labels of a column named set, dataset or series, trimmed, in the order they
  // first appear; empty when the header has no such column.
  std::vector<std::string> sets;
};

// The table in `text` (a whole file), or a message that names the line, the column
// and the cell at fault and says what to do.
std::variant<Table, std::string> read_table(std::string_view text, const TableOptions& options);

// A copy of `table` with only the observations of set index `set`, to fit that set
// alone; its sets and warnings are the whole table's.
Table table_set(const Table& table, std::size_t set);

// A set's label as part of a file name: ASCII letters, digits, '-' and '_' kept, any
// other character '_' (so no '.', separator or blank), and "set" for an empty label.
std::string set_file_label(std::string_view label);

}  // namespace quillon::data_import
