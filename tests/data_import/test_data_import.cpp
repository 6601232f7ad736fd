#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data_import/import_fixture.h"
#include "dialogue/platform.h"
#include "dialogue/program_stop.h"

namespace quillon {
namespace {

struct CountCase {
  const char* name;
  std::string file;
  int expected;
};

TEST(CountFileRows, StopsAtTheFirstLineThatEndsTheObservations) {
  const CountCase cases[] = {
      {"empty file", "", 0},
      {"no final line end", "4\n1 2\n0 0\n9 9\n1 2", 5},
      {"blank line ends", "4\n1\n2\n3\n5 6\n\n7 8\n", 5},
      {"blanks-only line ends", "4\n1\n2\n3\n   \n7 8\n", 4},
      {"CR LF blank line ends", "4\r\n1\r\n2\r\n3\r\n5 6\r\n\r\n7 8\r\n", 5},
      {"hash after blanks ends", "4\n1\n2\n3\n  # end\n7 8\n", 4},
      {"double quote ends", "4\n1\n2\n3\n5 6\n\"remark\"\n", 5},
      {"apostrophe ends", "4\n1\n2\n3\n'remark'\n", 4},
      {"remark line does not end", "4\n1\n2\n3\n! note\n5 6\n", 6},
      {"tab-led line counts", "4\n1\n2\n3\n\t\n", 5},
      {"text beyond 100 columns is not looked at", "4\n" + std::string(100, ' ') + "5\n6\n", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::istringstream in(c.file);
    EXPECT_EQ(count_file_rows(in), c.expected);
  }
}

TEST(FileColumnCount, CountsBlankSeparatedValuesOfTheEstimatesLine) {
  const CountCase cases[] = {
      {"commas with blanks", "4\n100.0, 100.0, 100.0\n", 3},
      {"commas without blanks join values", "4\n100.0,100.0,100.0\n", 1},
      {"tab before the remark", "4\n100.0, 100.0, 100.0\t ! INITIAL P1, P2, P3 ESTIMATES\n", 3},
      {"remark glued to a value", "4\n1 2!x 3\n", 2},
      {"remark without bang counts as values", "4\n1 2 3 initial estimates\n", 5},
      {"tabs separate", "1\n\t1\t2\t\n", 2},
      {"control characters separate",
       "1\n1\x01"
       "2\x7f"
       "3\n",
       3},
      {"CR LF line end", "2\r\n1 2 3\r\n", 3},
      {"a first line beginning with bang gives 0", "! remark\n", 0},
      {"remark line 2 and nothing after: line 1 is counted", "4\n!\n", 1},
      {"only line 2 is looked at", "4 5 6 7\n1 2\n", 2},
      // Line 2 is blank: the next pair is looked at, and its second line is line 4.
      {"blank line 2 moves on to line 4", "4\n\n0.1 0.1 0.1\n9 9 9 9\n", 4},
      {"remark line 2 moves on", "4\n! x\n0.1 0.1\n9 9 9\n", 3},
      {"one line only: the first non-blank line", "\n  7 8 9\n", 3},
      {"one line only, odd count", "1 2 3", 3},
      {"beyond 160 columns is not looked at", "1\n" + std::string(159, ' ') + "12 3\n", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::StringConsole sc;
    std::istringstream in(c.file);
    EXPECT_EQ(file_column_count(sc.console, in), c.expected);
    EXPECT_EQ(sc.output(), "");
  }
}

using DataImport = testing::ImportFolder;
using testing::m1_header;

TEST_F(DataImport, ReadsTheExampleFileForModel4) {
  std::ifstream example(std::string(QUILLON_SOURCE_DIR) + "/examples/help_example_m4.dat");
  const std::string content((std::istreambuf_iterator<char>(example)), {});
  ASSERT_FALSE(content.empty());
  const FitState s = import(content);
  EXPECT_EQ(s.import_ok, 1);
  EXPECT_EQ(s.model, 4);
  EXPECT_EQ(trimmed(s.model_name), "NONCOMPETITIVE INHIBITION MODEL");
  EXPECT_EQ(s.np, 3);
  EXPECT_EQ(s.nx, 2);
  EXPECT_EQ(s.nc, 1);
  EXPECT_EQ(s.npoints, 35);
  EXPECT_EQ(s.pinit, (std::array<double, 4>{100.0, 100.0, 100.0, 0.0}));
  EXPECT_EQ(s.plower, (std::array<double, 5>{0.1, 0.1, 0.1, 0.0, 0.0}));
  EXPECT_EQ(s.pupper, (std::array<double, 5>{1.0e3, 1.0e3, 1.0e3, 0.0, 0.0}));
  EXPECT_EQ(s.xbuf1[0], 50.0);
  EXPECT_EQ(s.xbuf2[0], 0.0);
  EXPECT_EQ(s.ybuf[0], 0.032);
  EXPECT_EQ(s.xbuf1[34], 700.0);
  EXPECT_EQ(s.xbuf2[34], 400.0);
  EXPECT_EQ(s.ybuf[34], 0.024);
  EXPECT_EQ(s.xbuf3[34], 0.0);
  EXPECT_EQ(s.ybuf.size(), static_cast<std::size_t>(max_points));
}

TEST_F(DataImport, FreeFormatObservations) {
  // Tabs, a comma without blanks, a trailing remark; a blank line ends the
  // observations and nothing after it is read.
  const FitState s =
      import(m1_header + "0.5\t0.20\n1.0,0.33\n2.0 , 0.50  ! remark\n\n# end\n7 7\n");
  EXPECT_EQ(s.import_ok, 1);
  EXPECT_EQ(s.npoints, 3);
  EXPECT_EQ(std::vector<double>(s.xbuf1.begin(), s.xbuf1.begin() + 4),
            (std::vector<double>{0.5, 1.0, 2.0, 0.0}));
  EXPECT_EQ(std::vector<double>(s.ybuf.begin(), s.ybuf.begin() + 4),
            (std::vector<double>{0.20, 0.33, 0.50, 0.0}));
}

TEST_F(DataImport, ALineWithTooFewValuesTakesTheRestFromTheNextLine) {
  // Observation 2 takes its Y from the next line; observation 3 is read from the
  // line after the blank one, which the row count does not see.
  const FitState s = import(m1_header + "1 2\n3\n5 6\n\n7 8\n");
  EXPECT_EQ(s.import_ok, 1);
  EXPECT_EQ(s.npoints, 3);
  EXPECT_EQ(std::vector<double>(s.xbuf1.begin(), s.xbuf1.begin() + 3),
            (std::vector<double>{1, 3, 7}));
  EXPECT_EQ(std::vector<double>(s.ybuf.begin(), s.ybuf.begin() + 3),
            (std::vector<double>{2, 5, 8}));
}

TEST_F(DataImport, StoresAtMostMaxPointsObservations) {
  std::string content = m1_header;
  for (int i = 1; i <= 1005; ++i)
    content += std::to_string(i) + " 1\n";
  const FitState s = import(content);
  EXPECT_EQ(s.import_ok, 1);
  EXPECT_EQ(s.npoints, 1005);
  EXPECT_EQ(s.xbuf1.size(), static_cast<std::size_t>(max_points));
  EXPECT_EQ(s.xbuf1[max_points - 1], 1004.0);
}

struct RejectCase {
  const char* name;
  std::string content;
  std::string message;  // a line the import prints
};

TEST_F(DataImport, RejectedFilesSayWhyAndLeaveImportOkAtZero) {
  const std::string correct =
      " Correct the error(s) in the data file and rerun the file or select another file.\r\n";
  const RejectCase cases[] = {
      {"model 7", "7\n1 2\n", " Data file model number error!\r\n"},
      {"model 0", "0\n1 2\n", " Enter a model # from 1 to  6 in line 1 of data file.\r\n"},
      {"model -1", "-1\n1 2\n", " 6 - MIXED NONCOMPETITIVE MODEL\r\n"},
      {"model line 4.0", "4.0\n1 2 3\n",
       " Data file line 1: the model number must be a whole number, not \"4.0\".\r\n" + correct},
      {"model line text", "one\n1 2\n",
       " Data file line 1: the model number must be a whole number, not \"one\".\r\n"},
      {"values joined by commas", "4\n100.0,100.0,100.0\n0 0 0\n9 9 9\n1 2 3\n",
       " Data file number of parameters is not consistent with chosen model!\r\n"},
      {"three values for model 1", "1\n1 2 3\n0 0 0\n9 9 9\n1 2\n",
       " Data file number of parameters is not consistent with chosen model!\r\n"},
      {"empty file", "",
       " \r\nFILE_COLUMN_COUNT - Warning!\r\n"
       "The file does not seem to contain any data.\r\n"},
      {"blank lines only", "\n  \n\n", "FILE_COLUMN_COUNT - Warning!\r\n"},
      // A tab is not a blank: the line is counted (no values) and the reads find nothing.
      {"a tab line", "\n  \n\t\n",
       " The data file ends before its four header lines are complete:\r\n"},
      {"ends after line 2", "1\n10 1\n",
       " The data file ends before its four header lines are complete:\r\n"},
      {"ends after line 3", "1\n10 1\n0 0\n",
       " The data file ends before its four header lines are complete:\r\n"},
      {"ends inside line 4", "1\n10 1\n0 0\n100\n",
       " The data file ends before its four header lines are complete:\r\n"},
      {"no observation", m1_header,
       " The data file holds no observations: they follow the four header lines,\r\n"},
      {"observations after a blank line", m1_header + "\n1 2\n",
       " The data file holds no observations: they follow the four header lines,\r\n"},
      {"bad estimate", "1\n10 x1\n0 0\n9 9\n1 2\n",
       " Data file line 2: \"x1\" cannot be read as a number.\r\n" + correct},
      {"bad observation", m1_header + "1 2\n3 4\n5 6abc\n",
       " Data file line 7: \"6abc\" cannot be read as a number.\r\n"},
      {"remark line among observations", m1_header + "1 2\n! 3 4\n",
       " Data file line 6: \"!\" cannot be read as a number.\r\n"},
      {"ends inside an observation", m1_header + "1 2\n3\n",
       " The data file ends inside observation 2, which needs 2 numbers.\r\n" + correct},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FitState s;
    // Values from an earlier file must not decide this one.
    s.model = 4;
    s.import_ok = 1;
    s.npoints = 35;
    s.fname = fixed_text(write_file("data.dat", c.content), 200);
    testing::StringConsole sc;
    data_import(sc.console, s);
    EXPECT_EQ(s.import_ok, 0);
    EXPECT_NE(sc.output().find(c.message), std::string::npos) << sc.output();
  }
}

TEST_F(DataImport, PrintsThePathLinesAndUsesAnAbsoluteNameAsItIs) {
  std::string output;
  const FitState s = import(m1_header + "1 2\n", &output);
  std::string folder = platform::working_directory();
  if (folder.back() != platform::path_separator)
    folder += platform::path_separator;
  const std::string expected = "\r\n DATA FILE PATH: " + folder +
                               "\r\n DATA FILE PATH NAME: " + (folder_ / "data.dat").string() +
                               "\r\n\r\n";
  EXPECT_EQ(output, expected);
  EXPECT_EQ(s.import_ok, 1);
}

// Runs a test body inside another working directory and comes back.
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

TEST_F(DataImport, ARelativeNameIsLookedUpUnderItsFirst80Characters) {
  const std::string name80 = std::string(76, 'n') + ".dat";
  write_file(name80, m1_header + "1 2\n");
  InFolder here(folder_);
  FitState s;
  s.fname = fixed_text(name80 + "extra", 200);
  testing::StringConsole sc;
  data_import(sc.console, s);
  EXPECT_EQ(s.import_ok, 1);
  EXPECT_NE(sc.output().find(platform::path_separator + name80 + "\r\n"), std::string::npos);
}

TEST_F(DataImport, AFileThatVanishedEndsTheProgram) {
  FitState s;
  s.fname = fixed_text((folder_ / "gone.dat").string(), 200);
  testing::StringConsole sc;
  try {
    data_import(sc.console, s);
    ADD_FAILURE() << "no stop";
  } catch (const ProgramStop& stop) {
    EXPECT_EQ(stop.status, 0);
    EXPECT_STREQ(stop.what(), "STOP EXECUTION");
  }
  EXPECT_NE(sc.output().find("\r\nNo data file was found!\r\n\r\n"), std::string::npos);
}

TEST_F(DataImport, AnUnreadableFileIsRejected) {
  const std::string path = write_file("locked.dat", m1_header + "1 2\n");
  std::filesystem::permissions(path, std::filesystem::perms::none);
  if (std::ifstream(path).is_open())
    GTEST_SKIP() << "permissions do not bind this user (superuser)";
  FitState s;
  s.fname = fixed_text(path, 200);
  testing::StringConsole sc;
  data_import(sc.console, s);
  EXPECT_EQ(s.import_ok, 0);
  EXPECT_NE(sc.output().find(" The data file cannot be opened for reading: " + path),
            std::string::npos);
}

}  // namespace
}  // namespace quillon
