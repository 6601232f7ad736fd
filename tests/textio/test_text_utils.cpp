#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "textio/platform.h"
#include "textio/text_utils.h"

namespace quillon::textio {
namespace {

using Edit = void (*)(std::string&);

struct EditCase {
  const char* name;
  Edit edit;
  std::string input;
  std::string expected;  // same length as the input
};

TEST(TextUtils, InPlaceEditsKeepLength) {
  const EditCase cases[] = {
      {"adjustl drops tab and blank", s_adjustl, "\t abc  ", "abc    "},
      {"adjustl all blanks and tabs", s_adjustl, " \t \t", "    "},
      {"adjustl keeps inner tab", s_adjustl, " a\tb", "a\tb "},
      {"blank_delete", s_blank_delete, "my data .dat  ", "mydata.dat    "},
      {"blank_delete tabs", s_blank_delete, "a\tb c", "abc  "},
      {"remove_sp_tab_ctrl", remove_sp_tab_ctrl, "a\tb  ", "ab   "},
      {"remove_sp_tab_ctrl leading", remove_sp_tab_ctrl, "  x\x01y\x7f\xe9 ", "xy\x7f\xe9    "},
      {"remove_sp_tab_ctrl path", remove_sp_tab_ctrl, " C:\\my dir\\ ", "C:\\mydir\\   "},
      {"uppercase", uppercase, "y = p2 / x1 ", "Y = P2 / X1 "},
      {"uppercase keeps accents", uppercase, "\xe9z{", "\xe9Z{"},
      {"whitespace_blank", s_whitespace_blank, "a\tb\nc\rd\x0b\x0c", "a b c d  "},
      {"whitespace_blank keeps others", s_whitespace_blank, "a\x01\x0e", "a\x01\x0e"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string s = c.input;
    c.edit(s);
    EXPECT_EQ(s, c.expected);
    EXPECT_EQ(s.size(), c.input.size());
  }
}

TEST(TextUtils, LengthAndIndex) {
  EXPECT_EQ(s_len_trim("abc  "), 3u);
  EXPECT_EQ(s_len_trim("    "), 0u);
  EXPECT_EQ(s_len_trim("a\t"), 2u);  // a tab is not padding
  EXPECT_EQ(ch_index("data.dat  ", '.'), 5u);
  EXPECT_EQ(ch_index("     ", '.'), 0u);
  EXPECT_EQ(ch_index("data   ", '.'), 0u);
  EXPECT_EQ(ch_index("data   ", ' '), 0u);  // only within the trimmed text
  EXPECT_EQ(fixed_text("abcdef", 3), "abc");
  EXPECT_EQ(fixed_text("ab", 4), "ab  ");
}

TEST(Platform, FileNameExistsIgnoresTrailingBlanksAndFolders) {
  EXPECT_FALSE(platform::file_name_exists("   "));
  EXPECT_FALSE(platform::file_name_exists("no-such-file-here.dat   "));
  const auto dir = std::filesystem::temp_directory_path() / "quillon_text_utils_test";
  std::filesystem::create_directories(dir / "x.dat");
  { std::ofstream(dir / "a.dat") << "1\n"; }
  EXPECT_TRUE(platform::file_name_exists((dir / "a.dat").string() + "   "));
  EXPECT_FALSE(platform::file_name_exists((dir / "x.dat").string()));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quillon::textio
