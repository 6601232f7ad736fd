#include <gtest/gtest.h>

#include "dialogue/prompts.h"
#include "support/test_support.h"
#include "textio/text_utils.h"

namespace quillon::dialogue {
namespace {

TEST(Getstr, PromptStaysOpenAndBlankReplyKeepsDefault) {
  struct Case {
    const char* name;
    std::string reply;
    std::string expected_answer;
  };
  const Case cases[] = {
      {"empty reply keeps default", "\n", textio::fixed_text("data.dat", 200)},
      {"blank reply keeps default", "   \n", textio::fixed_text("data.dat", 200)},
      {"leading blanks removed", "  x\n", textio::fixed_text("x", 200)},
      {"cut at 80", std::string(90, 'a') + "\n", textio::fixed_text(std::string(80, 'a'), 200)},
      {"CR LF reply", "run.1\r\n", textio::fixed_text("run.1", 200)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::StringConsole io(c.reply);
    std::string answer = textio::fixed_text("data.dat", 200);
    EXPECT_EQ(getstr(io.console, textio::fixed_text("Name: [data.dat] ", 512), answer),
              textio::ReadStatus::ok);
    EXPECT_EQ(answer, c.expected_answer);
    EXPECT_EQ(io.output(), " Name: [data.dat] ");  // cursor stays on the prompt line
  }
}

TEST(Getstr, EndOfInputIsReported) {
  testing::StringConsole io("");
  std::string answer = textio::fixed_text("keep", 10);
  EXPECT_EQ(getstr(io.console, "Q?", answer), textio::ReadStatus::end_of_input);
  EXPECT_EQ(answer, textio::fixed_text("keep", 10));
}

}  // namespace
}  // namespace quillon::dialogue
