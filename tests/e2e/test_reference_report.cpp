// The whole program's transcript for the help screen's example must carry the
// reference report unchanged, right after the answer to the model confirmation.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace {

TEST(ReferenceReport, WholeProgramTranscriptCarriesIt) {
  const std::string reference =
      quillon::testing::read_file(QUILLON_TESTS_DIR "/report/data/help_example_m4.report.txt");
  const std::string transcript =
      quillon::testing::read_file(QUILLON_TESTS_DIR "/e2e/example_help_example_m4/expected.txt");
  ASSERT_FALSE(reference.empty());
  const std::string before = "  Is this correct [Y] or [N] to reselect: ";
  const std::string after = "\r\nPress <Enter> to continue or X to quit: ";
  EXPECT_NE(transcript.find(before + reference + after), std::string::npos);
}

}  // namespace
