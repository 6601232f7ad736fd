// Lab tables as spreadsheets export them: each dialect reads to the same observations,
// the header picks the columns and the model, and a table that cannot be read gets a
// message naming the line, the column and the cell.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data_import/table_reader.h"

namespace quillon {
namespace {

using data_import::read_table;
using data_import::set_file_label;
using data_import::Table;
using data_import::table_set;
using data_import::TableOptions;
using namespace std::string_literals;

Table table_of(const std::string& text, const TableOptions& options = {}) {
  auto result = read_table(text, options);
  if (const auto* message = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << *message;
    return {};
  }
  return std::get<Table>(result);
}

// "x1:x2:y@line" per observation.
std::string points(const Table& table) {
  std::ostringstream out;
  for (const auto& o : table.observations)
    out << (out.tellp() > 0 ? " " : "") << o.x1 << ':' << o.x2 << ':' << o.y << '@' << o.line;
  return out.str();
}

struct Case {
  const char* name;
  std::string text;
  TableOptions options;
  std::string expected;  // points, or the message's fragments split at '|'
};

TEST(TableReader, ReadsEachDialect) {
  const Case cases[] = {
      {"comma, decimal point", "S,v\n0.5,1.25\n2,3e-1\n", {}, "0.5:0:1.25@2 2:0:0.3@3"},
      {"semicolon, decimal comma", "S;v\n0,5;1,25\n2;+3\n", {}, "0.5:0:1.25@2 2:0:3@3"},
      {"tab, decimal comma", "S\tv\n0,5\t1,25\n", {}, "0.5:0:1.25@2"},
      {"blanks", "  S   v\n 0.5   1.25\n\t2  3 \n", {}, "0.5:0:1.25@2 2:0:3@3"},
      {"blanks, decimal comma", "0,5 1,25\n2,5 3,5\n", {}, "0.5:0:1.25@1 2.5:0:3.5@2"},
      {"quoted cells",
       "\"S\",\"v\",\"note\"\n\"0.5\", \"1.25\" ,\"a, \"\"b\"\"\"\n",
       {},
       "0.5:0:1.25@2"},
      {"BOM and CR LF", "\xEF\xBB\xBFS,v\r\n0.5,1.25\r\n\r\n2,3\r\n", {}, "0.5:0:1.25@2 2:0:3@4"},
      {"lone CR", "S,v\r0.5,1.25\r2,3", {}, "0.5:0:1.25@2 2:0:3@3"},
      {"comments, blank and empty rows",
       "# run 3\nS,v\n\n  # note\n0.5,1.25\n,,\n2,3,,\n",
       {},
       "0.5:0:1.25@5 2:0:3@7"},
      {"wide replicates", "S,v1,V_2,v.3,well\n1,2,3,4,A1\n", {}, "1:0:2@2 1:0:3@2 1:0:4@2"},
      {"repeated rate name", "S;rate;rate\n1;2;3\n", {}, "1:0:2@2 1:0:3@2"},
      {"long replicates", "S,v\n1,2\n1,2.5\n2,3\n", {}, "1:0:2@2 1:0:2.5@3 2:0:3@4"},
      {"inhibitor column", "S,I,v\n1,0.5,2\n", {}, "1:0.5:2@2"},
      {"inhibitor ignored by model 1", "S,v,I\n1,2,0.5\n", {{}, false, 1}, "1:0:2@2"},
      {"--columns by name", "time,A340\n1,2\n", {{"TIME", "a340"}, false, 0}, "1:0:2@2"},
      {"--columns by number", "well,S (mM),v\nA1,1,2\n", {{"2", "3"}, false, 0}, "1:0:2@2"},
      {"--columns, headerless", "1,2,3\n", {{"1", "2", "3"}, false, 0}, "1:0:2@1 1:0:3@1"},
      {"--columns, X2 by its name",
       "S,[I] (uM),v\n1,3,2\n",
       {{"s", "[i]", "V"}, false, 0},
       "1:3:2@2"},
      {"headerless, X2 model", "1,0.5,2\n", {{}, false, 3}, "1:0.5:2@1"},
      {"underflow reads as zero", "S,v\n1,1e-400\n", {}, "1:0:0@2"},
      {"UTF-16 LE text",
       std::string("\xFF\xFES\0\t\0v\0\n\0"
                   "1\0\t\0"
                   "2\0,\0"
                   "5\0\n\0",
                   22),
       {},
       "1:0:2.5@2"},
      {"UTF-16 BE text",
       std::string("\xFE\xFF\0S\0,\0v\0\n\0"
                   "1\0,\0"
                   "2",
                   16),
       {},
       "1:0:2@2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(points(table_of(c.text, c.options)), c.expected);
  }
}

TEST(TableReader, NamesUnitsAndModelFromTheHeader) {
  struct Named {
    std::string text;
    TableOptions options;
    std::vector<std::string> names;  // x1, unit, x2, unit, y, unit
    int model;
  };
  const Named cases[] = {
      {"S (mM),v [umol/min/mg]\n1,2\n", {}, {"S", "mM", "", "", "v", "umol/min/mg"}, 1},
      {"[S] (mM);[I] [uM];V\n1;2;3\n", {}, {"[S]", "mM", "[I]", "uM", "V", ""}, 6},
      {"substrate [ mM ]\tVelocity (U)\n1\t2\n",
       {},
       {"substrate", "mM", "", "", "Velocity", "U"},
       1},
      {"S (mM)  [I]  v (U/mg)\n1 2 3\n", {}, {"S", "mM", "[I]", "", "v", "U/mg"}, 6},
      {"Dose (uM),y\n1,2\n", {}, {"Dose", "uM", "", "", "y", ""}, 2},
      {"x,Signal 1,signal 2\n1,2,3\n", {}, {"x", "", "", "", "Signal", ""}, 2},
      {"CONC,response\n1,2\n", {}, {"CONC", "", "", "", "response", ""}, 2},
      {"S,I,v\n1,2,3\n", {{}, false, 4}, {"S", "", "I", "", "v", ""}, 4},
      {"1,2\n", {}, {"", "", "", "", "", ""}, 1},
  };
  for (const Named& c : cases) {
    SCOPED_TRACE(c.text);
    const Table t = table_of(c.text, c.options);
    EXPECT_EQ(
        (std::vector<std::string>{t.x1_name, t.x1_unit, t.x2_name, t.x2_unit, t.y_name, t.y_unit}),
        c.names);
    EXPECT_EQ(t.model, c.model);
  }
}

// Labels in order of first appearance, each observation's set, then table_set(t, 1).
TEST(TableReader, SetColumnLabelsEachRowsDataSet) {
  const Case cases[] = {
      {"long replicates", "S,Set,v\n1, B ,2\n1,A,2.5\n2,B,3\n", {}, "B,A,|010|1:0:2.5@3"},
      {"wide replicates", "dataset;S;v1;v2\nx 1;1;2;\ny;1;4;5\n", {}, "x 1,y,|011|1:0:4@3 1:0:5@3"},
      {"--columns", "SERIES,t,A\nA,1,2\nB,2,3\n", {{"t", "3"}, false, 0}, "A,B,|01|2:0:3@3"},
      {"no header, no set", "1,2\n", {}, "|0|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Table t = table_of(c.text, c.options);
    std::string sets;
    for (const std::string& label : t.sets)
      sets.append(label).append(",");
    sets += '|';
    for (const auto& o : t.observations)
      sets += std::to_string(o.set);
    EXPECT_EQ(sets.append("|").append(points(table_set(t, 1))), c.expected);
  }
  const std::pair<const char*, const char*> labels[] = {
      {"A-1_b", "A-1_b"}, {"pH 7.5", "pH_7_5"}, {"../a", "___a"}, {"\xC2\xB5M", "_M"}, {"", "set"}};
  for (const auto& [label, file] : labels)
    EXPECT_EQ(set_file_label(label), file) << label;
}

TEST(TableReader, MissingCellsAreLeftOutWithAWarning) {
  struct Missing {
    std::string text;
    std::string expected;
    std::vector<std::string> warnings;
  };
  std::string many = "S,v\n1,2\n";
  for (int k = 0; k < 10; ++k)
    many += "2,NA\n";
  const Missing cases[] = {
      {"S,v1,v2\n1,2,NA\n2,,3\n3,4,N.D.\n4,5,-\n",
       "1:0:2@2 2:0:3@3 3:0:4@4 4:0:5@5",
       {"a missing value in column v1 at line 3 was left out",
        "missing values in column v2 at lines 2, 4 and 5 were left out"}},
      {"S;v;v\nna;2;\n1;2;3\n",
       "1:0:2@3 1:0:3@3",
       {"the row with a missing value in column S at line 2 was left out"}},
      {many,
       "1:0:2@2",
       {"missing values in column v at lines 3, 4, 5, 6, 7, 8, 9, 10 and 2 more were left out"}},
  };
  for (const Missing& c : cases) {
    SCOPED_TRACE(c.text);
    const Table t = table_of(c.text);
    EXPECT_EQ(points(t), c.expected);
    EXPECT_EQ(t.warnings, c.warnings);
  }
}

TEST(TableReader, ErrorsNameTheLineColumnAndCell) {
  const Case cases[] = {
      {"single column", "S\n1\n", {}, "line 1: the table has a single column|X1 and a rate"},
      {"open quote", "S,v\n1,\"2\n", {}, "line 2: a quoted cell is not closed"},
      {"decimal commas by count",
       "S,v\n1,5,2,5\n",
       {},
       "line 2: the file seems to use decimal commas with comma separators|holds 4 cells where "
       "the header has 2|semicolon or tab separator"},
      {"decimal commas forced", "S,v\n1,2\n", {{}, true, 0}, "line 1: the file seems|--decimal"},
      {"quoted decimal comma", "S,v\n1,\"2,5\"\n", {}, "line 2: the file seems|v holds \"2,5\""},
      {"more cells", "S;v\n1;2;3\n", {}, "line 2 holds 3 cells where the header has 2"},
      {"fewer cells",
       "1,2,3\n1,2\n",
       {{"1", "2"}, false, 0},
       "line 2 holds 2 cells where the first row (line 1) has 3"},
      {"not a number",
       "S,v1,v2\n1,2,3\n2,3,1.2.3\n",
       {},
       "line 3, column v2: \"1.2.3\" is not a number"},
      {"NaN", "S,v\n1,NaN\n", {}, "line 2, column v: \"NaN\" is not a number"},
      {"NUL", "S,v\n1,2\0x\n"s, {}, "\"2?x\" is not a number"},
      {"too large", "1,1e400\n", {}, "line 1, column 2: \"1e400\" is too large"},
      {"point under --decimal-comma",
       "S;v\n1;2.5\n",
       {{}, true, 0},
       "line 2, column v: \"2.5\" is not a number: the table has decimal commas"},
      {"thousands", "S;v\n1;1.234,5\n", {}, "column v: \"1.234,5\"|thousands separators"},
      {"repeated name", "S;v;v\n1;2;x\n", {}, "line 2, column 3 (v): \"x\""},
      {"empty column",
       "S,v1,v2\n1,2,\n2,3,NA\n",
       {},
       "column v2 holds no number on any of lines 2 to 3"},
      {"one row, no rate", "S,v\n1,NA\n", {}, "column v holds no number on line 2:"},
      {"no complete row", "S,v\n1,NA\nNA,2\n", {}, "lines 2 to 3 hold no complete observation"},
      {"no table", "# only\n\n", {}, "holds no table"},
      {"header only", "S,v\n", {}, "line 1: the header is followed by no data rows"},
      {"no X1 name",
       "time,A340\n1,2\n",
       {},
       "line 1: no column of the header (time, A340) is named as the substrate|S, [S], "
       "substrate, conc, concentration, dose, x|--columns time,A340."},
      {"no rate name", "S,A340\n1,2\n", {}, "named as a rate|--columns S,A340"},
      {"no inhibitor",
       "S,v\n1,2\n",
       {{}, false, 3},
       "line 1: model 3 (competitive) needs an inhibitor column: name it I, [I] or inhibitor"},
      {"no header, 4 columns",
       "1,2,3,4\n",
       {},
       "line 1 holds 4 columns and no header|--columns 1,2,3,4"},
      {"--columns name",
       "S,v\n1,2\n",
       {{"S", "w"}, false, 0},
       "line 1: --columns entry \"w\" names no column of the header (S, v)"},
      {"--columns number",
       "S,v\n1,2\n",
       {{"1", "5"}, false, 0},
       "entry 5 is beyond the table's 2 columns"},
      {"--columns, no header", "1,2\n", {{"S", "v"}, false, 0}, "\"S\" is a name but"},
      {"--columns too few", "S,I\n1,2\n", {{"S", "I"}, false, 0}, "second is an inhibitor"},
      {"no model 99", "S,v\n1,2\n", {{}, false, 99}, "there is no model 99"},
      {"empty set",
       "S,set,v\n1,A,2\n2,,3\n",
       {},
       "line 3, column set: the cell is empty: give every row its set."},
      {"--columns names the set",
       "S,set,v\n1,A,2\n",
       {{"S", "2", "v"}, false, 0},
       "line 1: --columns entry \"2\" is the set column"},
      {"set with no observation",
       "S,set,v\n1,A,2\n2,B,NA\n3,B,\n",
       {},
       "set \"B\" at lines 3 and 4 has no complete observation"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto result = read_table(c.text, c.options);
    ASSERT_TRUE(std::holds_alternative<std::string>(result));
    const std::string& message = std::get<std::string>(result);
    std::istringstream fragments(c.expected);
    for (std::string fragment; std::getline(fragments, fragment, '|');)
      EXPECT_NE(message.find(fragment), std::string::npos) << message << "\n  lacks: " << fragment;
  }
}

// Mutated tables: every result is a table or a one-line printable message, and no
// text holds the summary's ';'.
TEST(TableReader, SurvivesMutatedInput) {
  const std::string seeds[] = {
      "\xEF\xBB\xBFS (mM);v1;v2\r\n0,5;1,2;\"1,3\"\r\n# c\r\n2;NA;3\r\n",
      "\"S\",\"I\",\"v\"\n1,2,3\n2,3,4\n",
      "1 2\n3 4\n" + std::string(20'000, '7') + " 1\n",
  };
  const std::string alphabet = ",;\t \"\r\n#.-+eE019NAv[](\xEF\xFF"s + '\0';
  unsigned state = 2024;
  const auto next = [&state](std::size_t n) {
    state = state * 1103515245u + 12345u;
    return static_cast<std::size_t>(state >> 8) % n;
  };
  const auto clean = [](const std::string& text) {
    for (char ch : text)
      if (ch < 32 || ch > 126 || ch == ';')
        return false;
    return true;
  };
  for (int round = 0; round < 2000; ++round) {
    std::string text = seeds[next(std::size(seeds))];
    for (std::size_t edits = 1 + next(4); edits > 0; --edits)
      text.insert(next(std::min<std::size_t>(text.size(), 200) + 1), 1,
                  alphabet[next(alphabet.size())]);
    const auto result = read_table(text, {{}, false, static_cast<int>(next(8))});
    if (const auto* message = std::get_if<std::string>(&result)) {
      EXPECT_FALSE(message->empty());
      EXPECT_TRUE(clean(*message)) << *message;
    } else {
      for (const std::string& warning : std::get<Table>(result).warnings)
        EXPECT_TRUE(clean(warning)) << warning;
    }
  }
}

}  // namespace
}  // namespace quillon
