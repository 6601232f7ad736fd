#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "data_import/dsort3.h"
#include "textio/error.h"

namespace quillon::data_import::dsort3_module {
namespace {

// Positions 1..n carried in dy show where each key came from.
std::vector<double> origins(std::size_t n) {
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i)
    v[i] = static_cast<double>(i + 1);
  return v;
}

struct OrderCase {
  const char* name;
  std::vector<double> keys;
  std::vector<double> expected_origins;  // the routine's order, equal keys included
};

TEST(Dsort3, OrderOfEqualKeysFollowsTheQuicksort) {
  const OrderCase cases[] = {
      {"three distinct", {3, 1, 2}, {2, 3, 1}},
      {"already sorted", {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
      {"reversed", {5, 4, 3, 2, 1}, {5, 4, 3, 2, 1}},
      // Not stable: the two keys 2 leave in the order 3, 1.
      {"two pairs", {2, 1, 2, 1}, {2, 4, 3, 1}},
      {"all equal", {7, 7, 7, 7, 7}, {1, 4, 3, 2, 5}},
      // 21 keys from 1 to 3, as in a file of three substrate levels.
      {"three levels",
       {2, 3, 1, 1, 3, 1, 2, 3, 1, 3, 1, 1, 1, 2, 2, 1, 1, 1, 3, 2, 1},
       {9, 12, 11, 13, 16, 18, 17, 21, 6, 4, 3, 7, 20, 15, 14, 1, 19, 2, 8, 10, 5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> x = c.keys;
    std::vector<double> y = origins(x.size());
    dsort3(x, y, {}, {}, static_cast<int>(x.size()), 2);
    EXPECT_EQ(y, c.expected_origins);
    EXPECT_TRUE(std::is_sorted(x.begin(), x.end()));
  }
}

TEST(Dsort3, CarriesOnlyTheChosenCompanions) {
  for (int kflag : {1, 2, 3, 4, -1, -2, -3, -4}) {
    SCOPED_TRACE(kflag);
    std::vector<double> x = {3, 1, 2};
    std::vector<double> y = {30, 10, 20};
    std::vector<double> z = {300, 100, 200};
    std::vector<double> w = {3000, 1000, 2000};
    dsort3(x, y, z, w, 3, kflag);
    const int kk = std::abs(kflag);
    const bool up = kflag > 0;
    EXPECT_EQ(x, up ? std::vector<double>({1, 2, 3}) : std::vector<double>({3, 2, 1}));
    const auto moved = [&](double scale) {
      return up ? std::vector<double>({scale, 2 * scale, 3 * scale})
                : std::vector<double>({3 * scale, 2 * scale, scale});
    };
    const auto untouched = [](double scale) {
      return std::vector<double>({3 * scale, scale, 2 * scale});
    };
    EXPECT_EQ(y, kk >= 2 ? moved(10) : untouched(10));
    EXPECT_EQ(z, kk >= 3 ? moved(100) : untouched(100));
    EXPECT_EQ(w, kk >= 4 ? moved(1000) : untouched(1000));
  }
}

TEST(Dsort3, DecreasingOrderWithEqualKeys) {
  std::vector<double> x = {1, 2, 1, 2};
  std::vector<double> y = origins(4);
  dsort3(x, y, {}, {}, 4, -2);
  EXPECT_EQ(x, std::vector<double>({2, 2, 1, 1}));
  // The increasing sort of the negated keys (-1, -2, -1, -2).
  EXPECT_EQ(y, std::vector<double>({2, 4, 3, 1}));
}

TEST(Dsort3, SortsOnlyTheFirstNElements) {
  std::vector<double> x = {3, 2, 1, 0};
  std::vector<double> y = {30, 20, 10, 0};
  dsort3(x, y, {}, {}, 3, 2);
  EXPECT_EQ(x, std::vector<double>({1, 2, 3, 0}));
  EXPECT_EQ(y, std::vector<double>({10, 20, 30, 0}));
}

TEST(Dsort3, RandomArraysKeepTheirPairs) {
  std::mt19937_64 engine(5489);
  for (int trial = 0; trial < 200; ++trial) {
    const int n = 1 + static_cast<int>(engine() % 1004);
    const int levels = 1 + static_cast<int>(engine() % 40);
    std::vector<double> x(static_cast<std::size_t>(n));
    for (double& v : x)
      v = static_cast<double>(engine() % static_cast<unsigned>(levels));
    std::vector<double> y = origins(x.size());
    const std::vector<double> keys = x;
    dsort3(x, y, {}, {}, n, 2);
    ASSERT_TRUE(std::is_sorted(x.begin(), x.end()));
    std::vector<double> seen = y;
    std::sort(seen.begin(), seen.end());
    ASSERT_EQ(seen, origins(x.size()));  // a permutation
    for (std::size_t i = 0; i < x.size(); ++i) {
      ASSERT_EQ(x[i], keys[static_cast<std::size_t>(y[i]) - 1]);
    }
  }
}

TEST(Dsort3, ImpossibleArgumentsStopWithStatusOne) {
  std::vector<double> x = {2, 1};
  const struct {
    int n;
    int kflag;
    const char* text;
  } cases[] = {
      {0, 2, "ERROR STOP dsort3: n must be positive."},
      {-3, 1, "ERROR STOP dsort3: n must be positive."},
      {2, 0, "ERROR STOP dsort3: kflag must be +/-1, +/-2, +/-3, or +/-4."},
      {2, 5, "ERROR STOP dsort3: kflag must be +/-1, +/-2, +/-3, or +/-4."},
      {2, -5, "ERROR STOP dsort3: kflag must be +/-1, +/-2, +/-3, or +/-4."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      dsort3(x, {}, {}, {}, c.n, c.kflag);
      ADD_FAILURE() << "no stop";
    } catch (const textio::FatalError& stop) {
      EXPECT_STREQ(stop.what(), c.text);
    }
  }
  EXPECT_EQ(x, std::vector<double>({2, 1}));
}

}  // namespace
}  // namespace quillon::data_import::dsort3_module
