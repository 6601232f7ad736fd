#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "outputs/output_names.h"

namespace quillon::outputs {
namespace {

std::string folded(std::string name) {
  for (char& ch : name)
    ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
  return name;
}

TEST(OutputNames, StemsGiveDistinctOutputsWhateverTheCase) {
  const std::string long_stem(250, 'k');
  // A two-byte character across the cut: the stem ends before it.
  const std::string long_utf8 = std::string(199, 'u') + "\xC3\xA9" + "tail";
  const struct {
    const char* name;
    std::vector<std::string> file_stems;
    bool compare;
    std::vector<std::string> stems;
    bool global = false;
    bool pdf = false;
  } rows[] = {
      {"distinct stems stay", {"a", "b"}, true, {"a", "b"}},
      {"one stem from two folders",
       {"rates", "rates", "rates"},
       false,
       {"rates", "rates_2", "rates_3"}},
      {"letter case", {"b", "B"}, true, {"b", "B_2"}},
      {"a candidate's report name", {"a", "a.m1"}, true, {"a", "a.m1_2"}},
      {"candidate reports only with --compare", {"a", "a.m1"}, false, {"a", "a.m1"}},
      {"a comparison's name", {"x", "x.compare"}, true, {"x", "x.compare_2"}},
      {"a name taken by an earlier bump", {"r_2", "r", "r"}, false, {"r_2", "r", "r_3"}},
      {"too long for a file name",
       {long_stem, long_stem},
       false,
       {std::string(200, 'k'), std::string(200, 'k') + "_2"}},
      {"cut at a character boundary", {long_utf8}, false, {std::string(199, 'u')}},
      {"the global fit's names", {"global", "Global"}, false, {"global_2", "Global_3"}, true},
      {"the global fit's names only with --global", {"global"}, false, {"global"}},
      {"PDFs beside the pictures",
       {"x", "x.compare", "global"},
       true,
       {"x", "x.compare_2", "global_2"},
       true,
       true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::vector<std::string> stems =
        unique_stems(row.file_stems, row.compare, row.global, row.pdf);
    EXPECT_EQ(stems, row.stems);
    std::set<std::string> names = {"summary.csv", "comparison.csv", "index.html"};
    for (const Output name : global_outputs) {
      if (row.global)
        names.insert(output_name(name));
    }
    if (row.global && row.pdf)
      names.insert(output_name(Output::global_document));
    for (const std::string& stem : stems) {
      for (const std::string& name : input_outputs(stem, row.compare, row.pdf)) {
        EXPECT_TRUE(names.insert(folded(name)).second) << name;
        EXPECT_LE(name.size(), 255u);
      }
    }
  }
}

}  // namespace
}  // namespace quillon::outputs
