// The plot's choices that a reader relies on: round ticks, when the X axis goes
// logarithmic, and the caption's rounding of values to their standard errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pictures/plot.h"
#include "pictures/svg.h"
#include "textio/text_utils.h"

namespace quillon::pictures {
namespace {

TEST(Plot, TicksAreRoundStepsThatHoldTheRange) {
  struct Case {
    double lo, hi;
    bool log;
    std::vector<double> ticks;
  };
  const std::vector<Case> cases = {
      {0, 11.94, false, {0, 5, 10, 15}},
      {0, 1, false, {0, 0.2, 0.4, 0.6, 0.8, 1}},
      {-0.23, 0.31, false, {-0.4, -0.2, 0, 0.2, 0.4}},
      {0, 79.4, false, {0, 20, 40, 60, 80}},
      {120, 180, false, {120, 140, 160, 180}},
      {3, 3, false, {2.6, 2.8, 3, 3.2, 3.4}},  // one value: widened
      {0, 0, false, {-1, -0.5, 0, 0.5, 1}},
      {0.1, 100, true, {0.1, 1, 10, 100}},
      {0.25, 40, true, {0.1, 1, 10, 100}},
      {2, 5, true, {1, 10}},  // within a decade: still two ticks
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi << (c.log ? " log" : ""));
    const Axis a = make_axis(c.lo, c.hi, c.log);
    ASSERT_EQ(a.ticks.size(), c.ticks.size());
    for (std::size_t k = 0; k < c.ticks.size(); ++k)
      EXPECT_NEAR(a.ticks[k], c.ticks[k], 1e-12 * (1 + std::abs(c.ticks[k])));
    EXPECT_LE(a.lo, c.lo);
    EXPECT_GE(a.hi, c.hi);
  }
}

TEST(Plot, LogAxisOnlyWhenPositiveValuesSpanMoreThanTwoDecades) {
  const std::vector<std::pair<std::vector<double>, bool>> cases = {
      {{0.1, 0.5, 1, 10, 100}, true},
      {{1, 100}, false},
      {{0.5, 100}, true},
      {{0, 0.5, 40}, false},
      {{0, 0.1, 11}, true},
      {{-5, 2, 3}, false},
      {{}, false},
      {{7}, false},
  };
  for (const auto& [x, log] : cases)
    EXPECT_EQ(wants_log_axis(x), log) << testing::PrintToString(x);
}

TEST(Plot, CaptionRoundsEachValueToItsStandardError) {
  analysis::StandardAnalysis standard;
  standard.parameters.resize(4);
  standard.parameters[0].se = 0.0751;
  standard.parameters[1].se = 0.1003;
  standard.parameters[2].se = 248.0;
  EXPECT_EQ(parameter_caption({"Km", "Vmax", "Ki1", "Ki2"},
                              std::vector{2.46562, 11.93796, 5012.6, 0.123456}, &standard),
            "Km = 2.466 \xC2\xB1 0.075, Vmax = 11.94 \xC2\xB1 0.10, Ki1 = 5013 \xC2\xB1 248, "
            "Ki2 = 0.1235 \xC2\xB1 n.d.");
  EXPECT_EQ(parameter_caption({"Km"}, std::vector{2.0}, nullptr), "Km = 2 \xC2\xB1 n.d.");
}

TEST(Plot, TextAndNumbersAreWrittenForXml) {
  // Names are file names: any bytes. Only XML characters may reach a picture or the page.
  const std::pair<std::string, std::string> cases[] = {
      {"a<b & \"c\" 'd'>", "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;"},
      {"\xCE\x94 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBD",
       "\xCE\x94 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBD"},  // valid UTF-8 kept
      {"\xEF\xBF\xBD\xEE\x80\x80", "\xEF\xBF\xBD\xEE\x80\x80"},     // U+FFFD, U+E000
      {"AICc \xFF\x01 \xC3", "AICc ?? ?"},                          // no UTF-8; cut short
      {"a\x80\xBF.", "a??."},                                       // stray continuations
      {"[\xED\xA0\x80][\xED\xBF\xBF]", "[?][?]"},                   // surrogates
      {"[\xEF\xBF\xBE][\xEF\xBF\xBF]", "[?][?]"},                   // U+FFFE, U+FFFF
      {"[\xC0\xAF][\xC1\xBF][\xE0\x80\xAF][\xF0\x80\x80\xAF]", "[?][?][?][?]"},  // overlong
      {"[\xF4\x90\x80\x80][\xF7\xBF\xBF\xBF][\xF8\x88]", "[?][?][??]"},          // above U+10FFFF
      {"t\tn\nr\rz\x7F\xC2\x85.\x1B", "t\tn\nr?z??.?"},                          // controls
      {std::string("nul\0x", 5), "nul?x"},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(textio::markup_escaped(text, true), expected) << testing::PrintToString(text);
  EXPECT_EQ(textio::markup_escaped("it's", false), "it's");  // the page's attributes use "
  EXPECT_EQ(svg_number(-0.001), "0.00");
  EXPECT_EQ(svg_number(1.005e3), "1005.00");
}

}  // namespace
}  // namespace quillon::pictures
