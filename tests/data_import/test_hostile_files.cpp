// Data files that are not what the import expects: each is either read as its
// numbers say or rejected with a message that names the trouble, and nothing in
// the message may drive the terminal.
#include <gtest/gtest.h>

#include <variant>

#include "data_import/import_fixture.h"

namespace quillon {
namespace {

using HostileFile = testing::ImportFolder;
using testing::m1_header;

const std::string correct =
    "\r\n Correct the error(s) in the data file and rerun the file or select another file.\r\n";

std::string binary_garbage() {
  std::string bytes;
  unsigned state = 12345;
  for (int k = 0; k < 600; ++k) {
    state = state * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(state >> 16));
  }
  return bytes;
}

struct Rejected {
  const char* name;
  std::string content;
  std::string message;
};

TEST_F(HostileFile, IsRejectedWithAPrintableMessage) {
  const Rejected cases[] = {
      {"binary garbage", "\x01\x02\xff\x1b[2J\x7f garbage\n" + binary_garbage(),
       " Data file line 1: the model number must be a whole number, not \"????[2J?\"." + correct},
      {"NUL byte in an estimate", "1\n10.0\0 1.0\n0 0\n9 9\n1 2\n" + std::string(1, '\0'),
       ""},  // filled below: a string literal stops at its NUL
      {"UTF-8 byte order mark", "\xEF\xBB\xBF" + m1_header + "1 2\n",
       " Data file line 1: the model number must be a whole number, not \"???1\"." + correct},
      {"CR-only line ends: one long line", "1\r10 1\r0.01 0.01\r100 100\r1 2\r",
       " Data file number of parameters is not consistent with chosen model!\r\n"},
      {"NaN estimate", "1\nNaN 1\n0.01 0.01\n100 100\n1 2\n",
       " Data file line 2: \"NaN\" cannot be read as a number." + correct},
      {"Inf lower bound", "1\n10 1\n-Inf 0.01\n100 100\n1 2\n",
       " Data file line 3: \"-Inf\" cannot be read as a number." + correct},
      {"1e400 upper bound", "1\n10 1\n0.01 0.01\n1e400 100\n1 2\n",
       " Data file line 4: \"1e400\" cannot be read as a number." + correct},
      {"NaN observation", m1_header + "1 2\n2 NaN\n",
       " Data file line 6: \"NaN\" cannot be read as a number." + correct},
      {"Infinity observation", m1_header + "Infinity 2\n",
       " Data file line 5: \"Infinity\" cannot be read as a number." + correct},
      {"1e400 observation", m1_header + "1 1e400\n",
       " Data file line 5: \"1e400\" cannot be read as a number." + correct},
      {"a number of a million digits", m1_header + "1 " + std::string(1'100'000, '5') + "\n",
       " Data file line 5: \"" + std::string(40, '5') + "...\" cannot be read as a number." +
           correct},
      {"an unreadable item of exactly 40 characters is shown whole",
       m1_header + "1 " + std::string(35, '0') + "1e400\n",
       " Data file line 5: \"" + std::string(35, '0') + "1e400\" cannot be read as a number." +
           correct},
      {"a tilde is printable", m1_header + "1 ~2\n",
       " Data file line 5: \"~2\" cannot be read as a number." + correct},
      {"lower bound above upper bound", "1\n10 1\n0.01 1000\n100 100\n1 2\n",
       " The lower bound of P2 is above its upper bound." + correct},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    if (c.message.empty()) {
      c.content = std::string("1\n10.0\0 1.0\n0 0\n9 9\n1 2\n", 22);
      c.message = " Data file line 2: \"10.0?\" cannot be read as a number." + correct;
    }
    std::string output;
    EXPECT_TRUE(std::holds_alternative<data_import::Rejection>(import(c.content, &output)));
    EXPECT_NE(output.find(c.message), std::string::npos) << output;
    for (char ch : output) {
      const auto code = static_cast<unsigned char>(ch);
      ASSERT_TRUE((code >= 32 && code < 127) || ch == '\r' || ch == '\n') << int(code);
    }
  }
}

TEST_F(HostileFile, OddButReadableFilesAreImported) {
  const struct {
    const char* name;
    std::string content;
    std::array<double, 2> lower;
    std::array<double, 2> upper;
    int npoints;
  } cases[] = {
      {"CR LF line ends",
       "1\r\n10 1\r\n0.01 0.01\r\n100 100\r\n1 2\r\n3 4\r\n",
       {0.01, 0.01},
       {100, 100},
       2},
      {"a remark line of a million characters",
       m1_header + "1 2 " + std::string(1'100'000, 'x') + "\n3 4\n",
       {0.01, 0.01},
       {1000, 1000},
       2},
      {"zero and negative bounds", "1\n10 1\n0 -5\n0 -1\n1 2\n", {0, -5}, {0, -1}, 1},
      {"equal bounds fix a parameter", "1\n10 1\n2 0\n2 9\n1 2\n", {2, 0}, {2, 9}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string output;
    const data_import::ImportResult r = import(c.content, &output);
    const auto* s = std::get_if<models::FitState>(&r);
    ASSERT_NE(s, nullptr) << output;
    EXPECT_EQ(s->npoints, c.npoints);
    EXPECT_EQ(s->plower[0], c.lower[0]);
    EXPECT_EQ(s->plower[1], c.lower[1]);
    EXPECT_EQ(s->pupper[0], c.upper[0]);
    EXPECT_EQ(s->pupper[1], c.upper[1]);
  }
}

TEST_F(HostileFile, ThePointLimitLiesBetween1004And1005Observations) {
  for (const int n : {models::max_points, models::max_points + 1}) {
    SCOPED_TRACE(n);
    std::string content = m1_header;
    for (int i = n; i >= 1; --i)
      content += std::to_string(i) + " " + std::to_string(0.5 * i) + "\n";
    std::string output;
    data_import::ImportResult r = import(content, &output);
    auto* fit = std::get_if<models::FitState>(&r);
    ASSERT_NE(fit, nullptr) << output;
    models::FitState& s = *fit;
    EXPECT_EQ(s.npoints, n);
    testing::StringConsole sc;
    const bool accepted = data_import::prepare_data(sc.console, s);
    EXPECT_EQ(accepted, n == models::max_points);
    if (accepted) {
      EXPECT_EQ(s.x1.front(), 1.0);
      EXPECT_EQ(s.x1.back(), 1004.0);
      EXPECT_EQ(s.y1.back(), 502.0);
    }
  }
}

}  // namespace
}  // namespace quillon
