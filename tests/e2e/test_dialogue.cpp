// The dialogue run in-process: what the transcripts cannot see (the values handed
// to the fit, the pause of the information screen).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data_import/text_utils.h"
#include "dialogue/main_loop.h"
#include "dialogue/program.h"
#include "support/test_support.h"

namespace quillon {
namespace {

FitState imported(int nx, std::vector<double> x1, std::vector<double> x2, std::vector<double> y) {
  FitState s;
  s.model = nx == 1 ? 1 : 4;
  s.np = nx == 1 ? 2 : 3;
  s.nx = nx;
  s.nc = 1;
  s.npoints = static_cast<int>(x1.size());
  s.pinit = {10.0, 20.0, 30.0, 0.0};
  for (auto* buffer : {&s.xbuf1, &s.xbuf2, &s.xbuf3, &s.ybuf}) {
    buffer->assign(static_cast<std::size_t>(max_points), 7.0);  // junk beyond npoints
  }
  std::copy(x1.begin(), x1.end(), s.xbuf1.begin());
  std::copy(x2.begin(), x2.end(), s.xbuf2.begin());
  std::copy(y.begin(), y.end(), s.ybuf.begin());
  return s;
}

TEST(PrepareData, SortsByX1AndCarriesTheOtherColumns) {
  FitState s = imported(2, {2, 1, 2, 1}, {20, 10, 21, 11}, {0.2, 0.1, 0.21, 0.11});
  testing::StringConsole sc;
  ASSERT_TRUE(prepare_data(sc.console, s));
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
  FitState s = imported(1, {3, 1, 2}, {}, {30, 10, 20});
  testing::StringConsole sc;
  ASSERT_TRUE(prepare_data(sc.console, s));
  EXPECT_EQ(s.x1, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(s.y1, (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(s.x2, (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(s.var, (std::vector<double>{10, 20, 0, 1.0}));
}

TEST(PrepareData, RefusesMoreThanMaxPointsAndSaysSo) {
  FitState s = imported(1, {1, 2}, {}, {1, 2});
  s.npoints = max_points + 1;
  testing::StringConsole sc;
  EXPECT_FALSE(prepare_data(sc.console, s));
  EXPECT_EQ(sc.output(),
            "\r\n The data file holds 1005 observations; a fit takes at most 1004.\r\n");
}

// Runs the program in a scratch folder holding one data file.
class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    folder_ =
        std::filesystem::temp_directory_path() /
        ("quillon dialogue " + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ / "rates.dat") << "1\n10 1\n0.01 0.01\n100 100\n1 0.5\n2 0.7\n";
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  int run(const std::string& input) {
    std::istringstream in(input);
    ProgramSettings settings;
    settings.sleep_seconds = [this](int seconds) { pauses_.push_back(seconds); };
    return run_program(in, out_, err_, settings);
  }

  std::filesystem::path previous_, folder_;
  std::ostringstream out_, err_;
  std::vector<int> pauses_;
};

TEST_F(Program, ADotShowsTheInformationScreenWithItsPauseThenTriesDotDat) {
  EXPECT_EQ(run("1\n.\n\n0\n\n\n"), 0);
  EXPECT_EQ(pauses_, std::vector<int>{5});
  const std::string out = out_.str();
  EXPECT_NE(out.find("  Quillon NONLINEAR REGRESSION MODELING SOFTWARE\r\n"), std::string::npos);
  EXPECT_NE(out.find(" ENTER <CR>\r\n\r\n  No data file was found. Try again.\r\n"),
            std::string::npos);
  EXPECT_EQ(err_.str(), "");
}

TEST_F(Program, HelpKeywordsDoNotPause) {
  EXPECT_EQ(run("1\n?\n\n1\n??\n\n1\nlicense\n1\nx\n\n"), 0);
  EXPECT_TRUE(pauses_.empty());
}

TEST_F(Program, EndOfInputAtAQuestionStopsWithStatusOne) {
  const struct {
    const char* input;
    const char* where;
  } cases[] = {
      {"", "the data file number question"},    {"1\n", "the data file name prompt"},
      {"1\n?\n", "a help screen's ENTER <CR>"}, {"1\n\n", "the model confirmation"},
      {"1\n\ny\n", "the continue prompt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    out_.str("");
    err_.str("");
    EXPECT_EQ(run(c.input), 1);
    EXPECT_EQ(err_.str(), "Quillon stops: the input ended at " + std::string(c.where) + ".\n");
    // An open prompt line is ended before the stop.
    EXPECT_TRUE(out_.str().ends_with("\r\n"));
  }
  out_.str("");
  err_.str("");
  EXPECT_EQ(run("1\nX\n"), 0);  // at the closing screen the program simply ends
  EXPECT_EQ(err_.str(), "");
}

}  // namespace
}  // namespace quillon
