// The dialogue run in-process: what the transcripts cannot see (the values handed
// to the fit, the pause of the information screen).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dialogue/program.h"
#include "support/test_support.h"
#include "textio/text_utils.h"

namespace quillon {
namespace {

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
    dialogue::ProgramSettings settings;
    settings.sleep_seconds = [this](int seconds) { pauses_.push_back(seconds); };
    return dialogue::run_program(in, out_, err_, settings);
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
