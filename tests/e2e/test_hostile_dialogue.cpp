// Whole fits on data that the models cannot take gracefully, run in process with the
// search and the sampling cut short (their arithmetic is what matters here, not the
// optimum): every one must end normally with its report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dialogue/program.h"

namespace quillon {
namespace {

class HostileFit : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() /
              ("quillon hostile fit " + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  // Fits the one data file of the folder and quits; returns what was printed.
  std::string fit(const std::string& content) {
    std::ofstream("data.dat", std::ios::binary) << content;
    std::istringstream in("1\n\n\nX\n\n");
    std::ostringstream out;
    std::ostringstream err;
    dialogue::ProgramSettings settings;
    settings.sleep_seconds = [](int) {};
    settings.search.max_runs = 2;
    settings.search.max_passes = 3;
    settings.sampling.max_samples = 50;
    settings.sampling.max_trials = 200;
    EXPECT_EQ(dialogue::run_program(in, out, err, settings), 0);
    EXPECT_EQ(err.str(), "");
    return out.str();
  }

  std::filesystem::path previous_, folder_;
};

bool finished(const std::string& out, std::string_view report_line = "  MSC          = ") {
  return out.find("Best-fit params = ") != std::string::npos &&
         out.find(report_line) != std::string::npos &&
         out.ends_with("Press <Enter> to end Quillon: ");
}

TEST_F(HostileFit, X1OfZeroDividesByZeroInEveryModel) {
  const char* headers[] = {
      "1\n1 1\n0.01 0.01\n100 100\n",
      "2\n1 1 1\n0.01 0.01 0.1\n100 100 10\n",
      "3\n1 1 1\n0.01 0.01 0.01\n100 100 100\n",
      "4\n1 1 1\n0.01 0.01 0.01\n100 100 100\n",
      "5\n1 1 1\n0.01 0.01 0.01\n100 100 100\n",
      "6\n1 1 1 1\n0.01 0.01 0.01 0.01\n100 100 100 100\n",
  };
  for (int model = 1; model <= 6; ++model) {
    SCOPED_TRACE(model);
    // X2 = 0 too, so the inhibitor terms divide zero by the parameters as well.
    const std::string rows = model <= 2 ? "0 0.5\n0 0.6\n1 0.7\n2 0.8\n3 0.85\n"
                                        : "0 0 0.5\n0 1 0.6\n1 0 0.7\n2 1 0.8\n3 0 0.85\n";
    EXPECT_TRUE(finished(fit(headers[model - 1] + rows)));
  }
}

TEST_F(HostileFit, OddDataStillGiveAReport) {
  const struct {
    const char* name;
    std::string content;
    const char* report_line = "  MSC          = ";
  } cases[] = {
      {"all Y equal", "1\n1 1\n0.01 0.01\n100 100\n1 0.5\n2 0.5\n3 0.5\n4 0.5\n"},
      {"all Y zero", "1\n1 1\n0.01 0.01\n100 100\n1 0\n2 0\n3 0\n"},
      {"zero and negative bounds", "1\n1 1\n0 -5\n0 -1\n1 0.5\n2 0.7\n3 0.8\n"},
      {"negative X1 under a fractional power",
       "2\n1 1 1.5\n0.01 0.01 0.1\n100 100 10\n"
       "-1 0.5\n-2 0.6\n1 0.7\n2 0.8\n"},
      {"overflowing observations", "1\n1 1\n0.01 0.01\n100 100\n1 1e300\n2 -1e300\n3 1e-300\n"},
      {"one observation", "1\n1 1\n0.01 0.01\n100 100\n1 0.5\n",
       "  Too few observations for an uncertainty estimate: at least 3 are needed."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(finished(fit(c.content), c.report_line));
  }
}

TEST_F(HostileFit, TheLargestFileIsFitted) {
  std::string content = "1\n1 1\n0.01 0.01\n100 100\n";
  for (int i = 1; i <= 1004; ++i)
    content += std::to_string(0.01 * i) + " " + std::to_string(1.0 - 1.0 / (1.0 + 0.01 * i)) + "\n";
  const std::string out = fit(content);
  EXPECT_TRUE(finished(out));
  EXPECT_NE(out.find("\r\n 1004    "), std::string::npos);  // the last row of the residual table
}

}  // namespace
}  // namespace quillon
