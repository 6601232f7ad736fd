// Evaluating many rows at once must give, row by row, the bits that evaluating each
// row alone gives, whichever variables vary by row; equations that may warn are
// left to the row-by-row evaluation.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine_test_support.h"

namespace quillon::feq_parser {
namespace {

using testing::quiet_parser;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Column values with zeros, negatives, infinities and NaN among ordinary numbers.
double column_value(int variable, std::size_t row) {
  static const double specials[] = {0.0, -0.0, 1.0, -2.5, inf, -inf, nan, 1e-300, 3.0e300};
  if (row % 7 == 3)
    return specials[(row / 7 + static_cast<std::size_t>(variable)) % std::size(specials)];
  return 0.37 * static_cast<double>(row + 1) - 1.3 * variable;
}

const char* const equations[] = {
    "Y=b*c/(c+a)",
    "Y=b*(d^c)/(d^c+a^c)",
    "Y=(b*d/(f+e/c))/(a+d/(f+e/c))",
    "Y=(b*d/(f+e/c))/(d+a)",
    "Y=(b*d/(f+e/c))/(a/(f+e/c)+d)",
    "Y=b*e/(a*(g+f/c)+e*(g+f/d))",
    "Y=a-b-c-d+e*f/g",
    "Y=-a+b^2",
    "Y=U(a*b)+S(c)-V(d)+T(e)",
    "Y=O(a)+P(b)+Q(c)+R(d)+W(e)+X(f/10)+Y(g/10)+Z(a)",
    "Y=2.5*pi/1.5",
    "Y=a",
    "Y=(a-(b-(c/(d*e))))^f",
};

TEST(RowEvaluation, EveryRowHasTheBitsOfItsOwnEvaluation) {
  // Which variables vary by row: none, some, all.
  const std::vector<std::vector<bool>> layouts = {
      {false, false, false, false, false, false, false},
      {false, false, false, false, true, true, false},
      {true, false, true, false, true, false, true},
      {true, true, true, true, true, true, true},
  };
  for (const char* equation : equations) {
    const EquationParser parser = quiet_parser(equation, "abcdefg");
    for (const auto& layout : layouts) {
      for (const std::size_t n :
           {std::size_t{1}, std::size_t{34}, std::size_t{129}, std::size_t{1003}}) {
        SCOPED_TRACE(::testing::Message() << equation << " rows " << n);
        std::vector<std::vector<double>> columns(7);
        std::vector<detail::RowValues> values(7);
        for (int v = 0; v < 7; ++v) {
          if (layout[v]) {
            for (std::size_t r = 0; r < n; ++r)
              columns[v].push_back(column_value(v, r));
            values[v] = {columns[v].data(), 0.0};
          } else {
            values[v] = {nullptr, 0.75 + v};
          }
        }
        std::vector<double> out(n, -1.0);
        ASSERT_TRUE(parser.evaluate_real64_rows(values, n, out.data()));
        for (std::size_t r = 0; r < n; ++r) {
          std::vector<double> row(7);
          for (int v = 0; v < 7; ++v)
            row[v] = layout[v] ? columns[v][r] : values[v].value;
          const double expected = parser.evaluate_real64(row);
          ASSERT_EQ(std::bit_cast<std::uint64_t>(out[r]), std::bit_cast<std::uint64_t>(expected))
              << "row " << r << ": " << out[r] << " vs " << expected;
        }
      }
    }
  }
}

// A cache must give the bits of a fresh evaluation whatever it kept: through trials
// that move one variable, accepted trials, jumps, repeats and columns changed in
// place, at every vector width this processor runs.
TEST(RowEvaluation, CachedRowsHaveTheBitsOfAFreshEvaluation) {
  std::vector<detail::Width> widths = {detail::Width::two};
  if (detail::widest_width() >= detail::Width::four)
    widths.push_back(detail::Width::four);
  if (detail::widest_width() == detail::Width::eight)
    widths.push_back(detail::Width::eight);
  // Variables 0..3 are parameters, 4..5 columns, 6 a constant.
  const std::size_t n = 37;
  for (const char* equation : equations) {
    const EquationParser parser = quiet_parser(equation, "abcdefg");
    for (const detail::Width width : widths) {
      SCOPED_TRACE(::testing::Message() << equation << " width " << static_cast<int>(width));
      std::vector<std::vector<double>> columns(2);
      for (std::size_t r = 0; r < n; ++r) {
        columns[0].push_back(column_value(4, r));
        columns[1].push_back(column_value(5, r));
      }
      std::vector<double> base = {0.3, 7.0, 0.9, 1.7};
      detail::RowCache cache(width);
      std::uint64_t state = 12345;
      auto random = [&] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) * 0x1.0p-53;
      };
      for (int step = 0; step < 300; ++step) {
        std::vector<double> p = base;
        const int kind = static_cast<int>(random() * 10);
        if (kind < 7) {
          p[static_cast<std::size_t>(random() * 4)] *= 1.0 + (random() - 0.5) * 0.1;
        } else if (kind == 7) {
          for (double& v : p)
            v *= 1.0 + (random() - 0.5) * 0.1;
        } else if (kind == 8) {
          columns[1][static_cast<std::size_t>(random() * n)] = random();  // in place
        }
        const bool vouched = kind != 8 && step % 2 == 0;
        std::vector<detail::RowValues> values = {
            {nullptr, p[0]},          {nullptr, p[1]},          {nullptr, p[2]}, {nullptr, p[3]},
            {columns[0].data(), 0.0}, {columns[1].data(), 0.0}, {nullptr, 1.0}};
        std::vector<double> cached(n, -1.0);
        std::vector<double> fresh(n, -2.0);
        ASSERT_TRUE(parser.evaluate_real64_rows(values, n, cached.data(), cache, vouched));
        ASSERT_TRUE(parser.evaluate_real64_rows(values, n, fresh.data()));
        for (std::size_t r = 0; r < n; ++r) {
          ASSERT_EQ(std::bit_cast<std::uint64_t>(cached[r]), std::bit_cast<std::uint64_t>(fresh[r]))
              << "step " << step << " row " << r;
        }
        if (random() < 0.3)
          base = p;  // an accepted trial
      }
    }
  }
}

// An accepted trial makes its rows the base's; the root's were written straight to
// the caller, so the cache holds none for it and must make them again when a
// parameter the equation leaves out moves next.
TEST(RowEvaluation, CachedRowsAfterATrialIsAcceptedOnAParameterRead) {
  const struct {
    const char* equation;  // parameters a, b, c; column d = 1, 2, 3, 4
    std::vector<std::vector<double>> steps;
  } cases[] = {
      // Base, a trial on b taken as the new base, then c moves.
      {"Y=a+b*d", {{1, 1, 1}, {1, 2, 1}, {1, 2, 2}}},
      // The same with a left out, and a repeated point.
      {"Y=b*d+c", {{5, 1, 1}, {5, 2, 1}, {5, 2, 1}, {9, 2, 1}}},
  };
  const std::vector<double> column = {1, 2, 3, 4};
  for (const auto& c : cases) {
    const EquationParser parser = quiet_parser(c.equation, "abcd");
    detail::RowCache cache;
    std::vector<double> cached;
    for (std::size_t step = 0; step < c.steps.size(); ++step) {
      SCOPED_TRACE(::testing::Message() << c.equation << " step " << step);
      const std::vector<double>& p = c.steps[step];
      const std::vector<detail::RowValues> values = {
          {nullptr, p[0]}, {nullptr, p[1]}, {nullptr, p[2]}, {column.data(), 0.0}};
      cached.assign(column.size(), -1.0);
      std::vector<double> fresh(column.size(), -2.0);
      ASSERT_TRUE(parser.evaluate_real64_rows(values, column.size(), cached.data(), cache, false));
      ASSERT_TRUE(parser.evaluate_real64_rows(values, column.size(), fresh.data()));
      EXPECT_EQ(cached, fresh);
    }
    EXPECT_EQ(cached, (std::vector<double>{3, 5, 7, 9})) << c.equation;
  }
}

TEST(RowEvaluation, EquationsThatMayWarnAndFailedParsers) {
  const std::vector<detail::RowValues> values(3, detail::RowValues{nullptr, 2.0});
  std::vector<double> out(5, -1.0);
  // A missing operand warns on every evaluation: rows are refused, nothing written.
  for (const char* equation : {"Y=a+", "Y=a*-b"}) {
    const EquationParser p = quiet_parser(equation, "abc");
    EXPECT_FALSE(p.evaluate_real64_rows(values, out.size(), out.data())) << equation;
    EXPECT_EQ(out[0], -1.0);
  }
  // A parser without postfix list gives 0.0 in every row, as it does alone.
  EquationParser failed = quiet_parser("Y=2a", "a");
  EXPECT_TRUE(failed.evaluate_real64_rows(values, out.size(), out.data()));
  EXPECT_EQ(out, std::vector<double>(5, 0.0));
}

}  // namespace
}  // namespace quillon::feq_parser
