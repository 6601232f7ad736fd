#include <gtest/gtest.h>

#include <string>

#include "dialogue/banner.h"
#include "support/test_support.h"

namespace quillon {
namespace {

using testing::crlf_lines;
using testing::StringConsole;

TEST(Banner, PrintsTheCompatibilityCheck) {
  StringConsole sc;
  dialogue::check_system_bitwidth(sc.console);
  const std::string rule(60, '=');
  EXPECT_EQ(sc.output(),
            crlf_lines({"", rule, "  SYSTEM COMPATIBILITY CHECK \x97 PASSED", rule,
                        "  Detected bit width : 64 bits",
                        "  Your system meets the minimum 64-bit Windows requirement.", rule, ""}));
  EXPECT_FALSE(sc.console.line_open());
}

}  // namespace
}  // namespace quillon
