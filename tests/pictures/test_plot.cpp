// The plot's choices that a reader relies on: round ticks, when the X axis goes
// logarithmic, and the caption's rounding of values to their standard errors.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "pictures/plot.h"
#include "pictures/svg.h"
#include "support/test_support.h"
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
    SCOPED_TRACE(::testing::Message() << c.lo << ".." << c.hi << (c.log ? " log" : ""));
    const Axis a = make_axis(c.lo, c.hi, c.log);
    ASSERT_EQ(a.ticks.size(), c.ticks.size());
    for (std::size_t k = 0; k < c.ticks.size(); ++k)
      EXPECT_NEAR(a.ticks[k], c.ticks[k], 1e-12 * (1 + std::abs(c.ticks[k])));
    EXPECT_LE(a.lo, c.lo);
    EXPECT_GE(a.hi, c.hi);
  }
}

TEST(Plot, ExtremeRangesGiveFewFiniteTicksThatHoldThem) {
  constexpr double big = std::numeric_limits<double>::max();
  constexpr double tiny = std::numeric_limits<double>::denorm_min();
  const struct {
    double lo, hi;
    bool log;
  } cases[] = {
      {0.3, 0.30000000000000004, false},  // a step of an ulp: the tick count never grew
      {1e15, std::nextafter(1e15, 2e15), false},
      {-1e-300, -1e-300, false},
      {-1e308, 1e308, false},  // the width overflows
      {-big, big, false},
      {big, big, false},
      {-big, -big, false},
      {0, 1e-320, false},
      {tiny, tiny, false},
      {-tiny, tiny, false},
      {1e-320, 1e300, true},
      {tiny, big, true},
      {1e-310, 1e-310, true},
      {big, big, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.lo << ".." << c.hi << (c.log ? " log" : ""));
    const Axis a = make_axis(c.lo, c.hi, c.log);
    EXPECT_GE(a.ticks.size(), 2u);
    EXPECT_LE(a.ticks.size(), 8u);  // room for their labels
    EXPECT_TRUE(std::isfinite(a.lo) && std::isfinite(a.hi));
    EXPECT_LE(a.lo, c.lo);
    EXPECT_GE(a.hi, c.hi);
    EXPECT_LT(a.lo, a.hi);
    for (std::size_t k = 0; k < a.ticks.size(); ++k) {
      EXPECT_TRUE(std::isfinite(a.ticks[k]));
      EXPECT_TRUE(k == 0 || a.ticks[k] > a.ticks[k - 1]) << k;
    }
  }
}

TEST(Plot, EveryCoordinateIsFiniteAndEveryFinitePointDrawn) {
  constexpr double big = std::numeric_limits<double>::max();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* name;
    std::vector<double> x, y;
    bool log;
    int drawn;  // finite observations
  } cases[] = {
      {"rates of +-1e308", {1, 2, 3}, {1e308, -1e308, 5}, false, 3},
      {"rates at the limits", {1, 2}, {big, -big}, false, 2},
      {"X over 620 decades", {1e-320, 1e-5, 1, 1e300}, {1, 3, 5, 7}, true, 4},
      {"X at the limits", {-big, 0, big}, {1, 2, 3}, false, 3},
      {"X a few ulps apart", {0.3, 0.30000000000000004, 0.3}, {5, 5.1, 5.2}, false, 3},
      {"values not finite", {1, 2, nan, 4, 5}, {1, inf, 3, nan, 5}, false, 2},
      {"not positive on a log axis", {0, -1, 1, 1000}, {1, 2, 3, 4}, true, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PlotData plot;
    plot.title = c.name;
    plot.log_x = c.log;
    plot.residual_panel = true;
    PlotSeries s;
    s.x = c.x;
    s.y = c.y;
    s.residual = c.y;
    s.curve_x = {c.x, c.x};
    s.curve_y = {c.y, {big, nan, -inf, -big, big}};
    plot.series.push_back(s);
    const std::string svg = to_svg(render_plot(plot));
    for (const char* bad : {"nan", "NAN", "inf", "INF"})
      EXPECT_EQ(svg.find(bad), std::string::npos) << bad;
    std::size_t circles = 0;
    for (std::size_t at = svg.find("<circle"); at != std::string::npos;
         at = svg.find("<circle", at + 1))
      ++circles;
    EXPECT_EQ(circles, 2u * c.drawn);  // and as many residuals
  }
}

TEST(Plot, LevelsPastThePaletteGoGreyWithoutCurves) {
  // Every observation stays; only eight levels get curves and legend entries.
  const struct {
    int levels, own;
    std::size_t most_bytes;
  } cases[] = {{8, 8, 60'000}, {9, 8, 60'000}, {1004, 8, 250'000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.levels);
    const std::string path = ::testing::TempDir() + "levels.dat";
    std::ofstream file(path);
    file << "3\n1 40 10\n0.01 0.01 0.01\n100 1000 1000\n";
    for (int k = 0; k < c.levels; ++k)
      file << 1 + k % 6 << ' ' << k << ' ' << 50.0 * (1 + k % 6) / (2 + k + (1 + k % 6)) << '\n';
    file.close();
    quillon::testing::StringConsole sc;
    const models::FitState fit = quillon::testing::prepared_fit(sc.console, path);
    const std::vector<double> p = {2, 50, 5};
    const std::string pictures[] = {to_svg(fit_plot("levels", fit, p, "")),
                                    to_svg(compare_plot("levels", fit, {{"competitive", fit, p}}))};
    for (const std::string& svg : pictures) {
      EXPECT_LT(svg.size(), c.most_bytes);
      const auto count = [&svg](std::string_view what) {
        std::size_t n = 0;
        for (std::size_t at = svg.find(what); at != std::string::npos; at = svg.find(what, at + 1))
          ++n;
        return n;
      };
      const int grey = c.levels - c.own;
      const bool residuals = &svg == &pictures[0];
      EXPECT_EQ(count(">[I] = "), static_cast<std::size_t>(c.own));
      EXPECT_EQ(count("#999999"), grey == 0 ? 0u : (residuals ? 2u : 1u) * grey + 1);  // + legend
      EXPECT_EQ(count("<polyline"), static_cast<std::size_t>(c.own));
    }
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
    EXPECT_EQ(wants_log_axis(x), log) << ::testing::PrintToString(x);
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
            "Ki2 = 0.1235 \xC2\xB1 n.d. (\xC2\xB1 SE)");
  EXPECT_EQ(parameter_caption({"Km"}, std::vector{2.0}, nullptr),
            "Km = 2 \xC2\xB1 n.d. (\xC2\xB1 SE)");
}

// A profile interval that is open, or more than twice as wide or narrow as the Wald one,
// takes the place of the standard error.
TEST(Plot, CaptionGivesTheProfileIntervalWhereTheErrorMisleads) {
  using P = analysis::ParameterStats;
  const auto nd = std::nullopt;
  const struct {
    const char* what;
    P stats;
    std::string caption;
  } rows[] = {
      {"near the Wald interval", P{0.5, 1.0, 3.0, 1.1, 3.2},
       "Km = 2.00 \xC2\xB1 0.50 mM (\xC2\xB1 SE)"},
      {"three times as wide", P{0.5, 1.0, 3.0, 1.5, 7.5},
       "Km = 2 mM, 95 % profile interval 1.5 to 7.5"},
      {"open above", P{0.5, 1.0, 3.0, 1.5, nd},
       "Km = 2 mM, 95 % profile interval 1.5 to not determined"},
      {"fixed", P{nd, nd, nd, nd, nd, true}, "Km = 2 \xC2\xB1 n.d. mM (\xC2\xB1 SE)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    analysis::StandardAnalysis standard;
    standard.available = true;
    standard.best = {2.0};
    standard.parameters = {row.stats};
    EXPECT_EQ(parameter_caption({"Km"}, std::vector{2.0}, &standard, {"mM"}), row.caption);
  }
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
    EXPECT_EQ(textio::markup_escaped(text, true), expected) << ::testing::PrintToString(text);
  EXPECT_EQ(textio::markup_escaped("it's", false), "it's");  // the page's attributes use "
  EXPECT_EQ(number(-0.001), "0.00");
  EXPECT_EQ(number(1.005e3), "1005.00");
}

}  // namespace
}  // namespace quillon::pictures
