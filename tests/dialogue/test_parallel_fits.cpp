// Whole fits on several threads at once: each fit owns its state, console and
// model evaluation, so its report must be the same bytes as when it runs alone.
// The tsan preset runs this test under ThreadSanitizer.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>

#include "dialogue/fit_stages.h"
#include "models/model_evaluator.h"
#include "support/test_support.h"

namespace quillon::dialogue {
namespace {

std::string whole_fit(const std::string& file) {
  testing::StringConsole sc;
  models::FitState fit = testing::prepared_fit(sc.console, file);
  models::ModelEvaluator evaluator(sc.console);
  run_fit_stages(sc.console, fit, evaluator);
  return sc.output();
}

TEST(ParallelFits, TwoFilesOnTwoThreadsGiveTheirSingleThreadReports) {
  const std::array<std::string, 2> files = {QUILLON_EXAMPLES_DIR "/michaelis_menten.dat",
                                            QUILLON_EXAMPLES_DIR "/help_example_m4.dat"};
  // Together first: anything shared that a first use fills would be filled by both.
  std::array<std::string, 2> together;
  {
    std::jthread first([&] { together[0] = whole_fit(files[0]); });
    std::jthread second([&] { together[1] = whole_fit(files[1]); });
  }
  std::array<std::string, 2> alone;
  for (std::size_t k = 0; k < files.size(); ++k)
    alone[k] = whole_fit(files[k]);
  for (std::size_t k = 0; k < files.size(); ++k) {
    SCOPED_TRACE(files[k]);
    EXPECT_NE(alone[k].find("PARAMETER UNCERTAINTY ESTIMATION"), std::string::npos);
    EXPECT_EQ(together[k], alone[k]);
  }
}

}  // namespace
}  // namespace quillon::dialogue
