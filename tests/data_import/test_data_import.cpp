#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <variant>

#include "data_import/import_fixture.h"
#include "textio/platform.h"
#include "textio/text_utils.h"

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
    EXPECT_EQ(data_import::count_file_rows(in), c.expected);
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
    EXPECT_EQ(data_import::file_column_count(sc.console, in), c.expected);
    EXPECT_EQ(sc.output(), "");
  }
}

models::FitState imported(int nx, std::vector<double> x1, std::vector<double> x2,
                          std::vector<double> y) {
  models::FitState s;
  s.model = nx == 1 ? 1 : 4;
  s.np = nx == 1 ? 2 : 3;
  s.nx = nx;
  s.nc = 1;
  s.npoints = static_cast<int>(x1.size());
  s.pinit = {10.0, 20.0, 30.0, 0.0};
  for (auto* buffer : {&s.xbuf1, &s.xbuf2, &s.xbuf3, &s.ybuf}) {
    buffer->assign(static_cast<std::size_t>(models::max_points), 7.0);  // junk beyond npoints
  }
  std::copy(x1.begin(), x1.end(), s.xbuf1.begin());
  std::copy(x2.begin(), x2.end(), s.xbuf2.begin());
  std::copy(y.begin(), y.end(), s.ybuf.begin());
  return s;
}

TEST(PrepareData, SortsByX1AndCarriesTheOtherColumns) {
  models::FitState s = imported(2, {2, 1, 2, 1}, {20, 10, 21, 11}, {0.2, 0.1, 0.21, 0.11});
  testing::StringConsole sc;
  ASSERT_TRUE(data_import::prepare_data(sc.console, s));
  EXPECT_EQ(s.x1, (std::vector<double>{1, 1, 2, 2}));
  // Equal keys leave in the quicksort's order, each row kept together.
  EXPECT_EQ(s.x2, (std::vector<double>{10, 11, 21, 20}));
  EXPECT_EQ(s.y1, (std::vector<double>{0.1, 0.11, 0.21, 0.2}));
  EXPECT_EQ(s.x3, (std::vector<double>{0, 0, 0, 0}));
  EXPECT_EQ(s.var, (std::vector<double>{10, 20, 30, 0, 0, 1.0}));
  EXPECT_EQ(s.c, (std::vector<double>{1.0}));
  EXPECT_EQ(sc.output(), "");
}

TEST(PrepareData, OneXColumnLeavesX2AtZero) {
  models::FitState s = imported(1, {3, 1, 2}, {}, {30, 10, 20});
  testing::StringConsole sc;
  ASSERT_TRUE(data_import::prepare_data(sc.console, s));
  EXPECT_EQ(s.x1, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(s.y1, (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(s.x2, (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(s.var, (std::vector<double>{10, 20, 0, 1.0}));
}

TEST(PrepareData, RefusesMoreThanMaxPointsAndSaysSo) {
  models::FitState s = imported(1, {1, 2}, {}, {1, 2});
  s.npoints = models::max_points + 1;
  testing::StringConsole sc;
  EXPECT_FALSE(data_import::prepare_data(sc.console, s));
  EXPECT_EQ(sc.output(),
            "\r\n The data file holds 1005 observations; a fit takes at most 1004.\r\n");
}

using DataImport = testing::ImportFolder;
using testing::m1_header;

TEST_F(DataImport, ReadsTheExampleFileForModel4) {
  std::ifstream example(std::string(QUILLON_SOURCE_DIR) + "/examples/help_example_m4.dat");
  const std::string content((std::istreambuf_iterator<char>(example)), {});
  ASSERT_FALSE(content.empty());
  const models::FitState s = accepted(content);
  EXPECT_EQ(s.model, 4);
  EXPECT_EQ(textio::trimmed(s.model_name), "NONCOMPETITIVE INHIBITION MODEL");
  EXPECT_EQ(s.np, 3);
  EXPECT_EQ(s.nx, 2);
  EXPECT_EQ(s.nc, 1);
  EXPECT_EQ(s.npoints, 35);
  using Values = std::vector<double>;
  EXPECT_EQ(s.pinit, (Values{100.0, 100.0, 100.0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(s.plower, (Values{0.1, 0.1, 0.1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(s.pupper, (Values{1.0e3, 1.0e3, 1.0e3, 0, 0, 0, 0, 0}));
  EXPECT_EQ(s.xbuf1[0], 50.0);
  EXPECT_EQ(s.xbuf2[0], 0.0);
  EXPECT_EQ(s.ybuf[0], 0.032);
  EXPECT_EQ(s.xbuf1[34], 700.0);
  EXPECT_EQ(s.xbuf2[34], 400.0);
  EXPECT_EQ(s.ybuf[34], 0.024);
  EXPECT_EQ(s.xbuf3[34], 0.0);
  EXPECT_EQ(s.ybuf.size(), static_cast<std::size_t>(models::max_points));
}

TEST_F(DataImport, FreeFormatObservations) {
  // Tabs, a comma without blanks, a trailing remark; a blank line ends the
  // observations and nothing after it is read.
  const models::FitState s =
      accepted(m1_header + "0.5\t0.20\n1.0,0.33\n2.0 , 0.50  ! remark\n\n# end\n7 7\n");
  EXPECT_EQ(s.npoints, 3);
  EXPECT_EQ(std::vector<double>(s.xbuf1.begin(), s.xbuf1.begin() + 4),
            (std::vector<double>{0.5, 1.0, 2.0, 0.0}));
  EXPECT_EQ(std::vector<double>(s.ybuf.begin(), s.ybuf.begin() + 4),
            (std::vector<double>{0.20, 0.33, 0.50, 0.0}));
}

TEST_F(DataImport, ALineWithTooFewValuesTakesTheRestFromTheNextLine) {
  // Observation 2 takes its Y from the next line; observation 3 is read from the
  // line after the blank one, which the row count does not see.
  const models::FitState s = accepted(m1_header + "1 2\n3\n5 6\n\n7 8\n");
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
  const models::FitState s = accepted(content);
  EXPECT_EQ(s.npoints, 1005);
  EXPECT_EQ(s.xbuf1.size(), static_cast<std::size_t>(models::max_points));
  EXPECT_EQ(s.xbuf1[models::max_points - 1], 1004.0);
}

using Reason = data_import::RejectReason;

struct RejectCase {
  const char* name;
  Reason reason;
  std::string content;
  std::string message;  // a line the import prints
};

TEST_F(DataImport, RejectedFilesSayWhy) {
  const std::string correct =
      " Correct the error(s) in the data file and rerun the file or select another file.\r\n";
  const RejectCase cases[] = {
      {"model 7", Reason::model_number, "7\n1 2\n", " Data file model number error!\r\n"},
      {"model 0", Reason::model_number, "0\n1 2\n",
       " Enter a model # from 1 to  6 in line 1 of data file.\r\n"},
      {"model -1", Reason::model_number, "-1\n1 2\n", " 6 - MIXED NONCOMPETITIVE MODEL\r\n"},
      {"model line 4.0", Reason::unreadable_value, "4.0\n1 2 3\n",
       " Data file line 1: the model number must be a whole number, not \"4.0\".\r\n" + correct},
      {"model line text", Reason::unreadable_value, "one\n1 2\n",
       " Data file line 1: the model number must be a whole number, not \"one\".\r\n"},
      {"values joined by commas", Reason::parameter_count,
       "4\n100.0,100.0,100.0\n0 0 0\n9 9 9\n1 2 3\n",
       " Data file number of parameters is not consistent with chosen model!\r\n"},
      {"three values for model 1", Reason::parameter_count, "1\n1 2 3\n0 0 0\n9 9 9\n1 2\n",
       " Data file number of parameters is not consistent with chosen model!\r\n"},
      {"empty file", Reason::empty, "",
       " \r\nFILE_COLUMN_COUNT - Warning!\r\n"
       "The file does not seem to contain any data.\r\n"},
      {"blank lines only", Reason::empty, "\n  \n\n", "FILE_COLUMN_COUNT - Warning!\r\n"},
      // A tab is not a blank: the line is counted (no values) and the reads find nothing.
      {"a tab line", Reason::header_incomplete, "\n  \n\t\n",
       " The data file ends before its four header lines are complete:\r\n"},
      {"ends after line 2", Reason::header_incomplete, "1\n10 1\n",
       " The data file ends before its four header lines are complete:\r\n"},
      {"ends after line 3", Reason::header_incomplete, "1\n10 1\n0 0\n",
       " The data file ends before its four header lines are complete:\r\n"},
      {"ends inside line 4", Reason::header_incomplete, "1\n10 1\n0 0\n100\n",
       " The data file ends before its four header lines are complete:\r\n"},
      {"no observation", Reason::no_observations, m1_header,
       " The data file holds no observations: they follow the four header lines,\r\n"},
      {"observations after a blank line", Reason::no_observations, m1_header + "\n1 2\n",
       " The data file holds no observations: they follow the four header lines,\r\n"},
      {"bad estimate", Reason::unreadable_value, "1\n10 x1\n0 0\n9 9\n1 2\n",
       " Data file line 2: \"x1\" cannot be read as a number.\r\n" + correct},
      {"bad observation", Reason::unreadable_value, m1_header + "1 2\n3 4\n5 6abc\n",
       " Data file line 7: \"6abc\" cannot be read as a number.\r\n"},
      {"remark line among observations", Reason::unreadable_value, m1_header + "1 2\n! 3 4\n",
       " Data file line 6: \"!\" cannot be read as a number.\r\n"},
      {"ends inside an observation", Reason::observation_incomplete, m1_header + "1 2\n3\n",
       " The data file ends inside observation 2, which needs 2 numbers.\r\n" + correct},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string output;
    const data_import::ImportResult r = import(c.content, &output);
    const auto* refused = std::get_if<data_import::Rejection>(&r);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->reason, c.reason);
    EXPECT_NE(output.find(c.message), std::string::npos) << output;
  }
}

TEST_F(DataImport, ARejectionHoldsThePrintedLines) {
  const data_import::ImportResult r = import("0\n1 2\n");
  ASSERT_TRUE(std::holds_alternative<data_import::Rejection>(r));
  EXPECT_EQ(std::get<data_import::Rejection>(r).message,
            "Data file model number error!\n"
            "Enter a model # from 1 to  6 in line 1 of data file.\n"
            "Valid model numbers are:\n"
            "1 - ONE SITE MICHAELIS-MENTEN MODEL\n2 - ONE SITE SIGMOIDAL HILL MODEL\n"
            "3 - COMPETITIVE INHIBITION MODEL\n4 - NONCOMPETITIVE INHIBITION MODEL\n"
            "5 - UNCOMPETITIVE INHIBITION MODEL\n6 - MIXED NONCOMPETITIVE MODEL");
}

TEST_F(DataImport, PrintsThePathLinesAndUsesAnAbsoluteNameAsItIs) {
  const std::string path = write_file("data.dat", m1_header + "1 2\n");
  testing::StringConsole sc;
  data_import::data_import(sc.console, textio::platform::working_directory(), path);
  const std::string output = sc.output();
  std::string folder = textio::platform::working_directory();
  if (folder.back() != textio::platform::path_separator)
    folder += textio::platform::path_separator;
  const std::string expected =
      "\r\n DATA FILE PATH: " + folder + "\r\n DATA FILE PATH NAME: " + path + "\r\n\r\n";
  EXPECT_EQ(output, expected);

  // A file by its path alone: the path lines show its own folder.
  testing::StringConsole by_path;
  data_import::data_import(by_path.console, path);
  EXPECT_EQ(by_path.output(), "\r\n DATA FILE PATH: " + (folder_ / "").string() +
                                  "\r\n DATA FILE PATH NAME: " + path + "\r\n\r\n");
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

TEST_F(DataImport, ARelativeNameIsLookedUpUnderTheGivenFolderUncut) {
  const std::string name100 = std::string(96, 'n') + ".dat";
  write_file(name100, m1_header + "1 2\n");
  testing::StringConsole sc;
  const auto r = data_import::data_import(sc.console, folder_, name100);
  EXPECT_TRUE(std::holds_alternative<models::FitState>(r)) << sc.output();
  EXPECT_NE(sc.output().find(textio::platform::path_separator + name100 + "\r\n"),
            std::string::npos);
}

TEST_F(DataImport, AMissingFileOrAFolderIsRefused) {
  std::filesystem::create_directories(folder_ / "folder.dat");
  for (const char* name : {"gone.dat", "folder.dat"}) {
    SCOPED_TRACE(name);
    testing::StringConsole sc;
    const auto r = data_import::data_import(sc.console, folder_, name);
    ASSERT_TRUE(std::holds_alternative<data_import::Rejection>(r));
    EXPECT_EQ(std::get<data_import::Rejection>(r).reason, Reason::missing);
    EXPECT_NE(sc.output().find("\r\nNo data file was found!\r\n\r\n"), std::string::npos);
  }
}

TEST_F(DataImport, AnUnreadableFileIsRejected) {
  const std::string path = write_file("locked.dat", m1_header + "1 2\n");
  std::filesystem::permissions(path, std::filesystem::perms::none);
  if (std::ifstream(path).is_open())
    GTEST_SKIP() << "permissions do not bind this user (superuser)";
  testing::StringConsole sc;
  const auto r = data_import::data_import(sc.console, path);
  ASSERT_TRUE(std::holds_alternative<data_import::Rejection>(r));
  EXPECT_EQ(std::get<data_import::Rejection>(r).reason, Reason::cannot_open);
  EXPECT_NE(sc.output().find(" The data file cannot be opened for reading: " + path),
            std::string::npos);
}

}  // namespace
}  // namespace quillon
