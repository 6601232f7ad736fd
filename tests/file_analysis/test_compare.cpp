// The model comparison: the candidates' starts and bounds, the ranking's arithmetic,
// and the candidates' sums of squares and F tests against an independent
// computation (R: multi-start fits within the bounds, pf() as anova() uses it;
// tests/analysis/make_expected.R --compare).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "file_analysis/compare.h"
#include "file_analysis/fit_file.h"
#include "support/test_support.h"

namespace quillon::file_analysis {
namespace {

TEST(Compare, CandidatesTakeTheFilesValuesThroughTheNesting) {
  models::FitState mixed;
  mixed.model = 6;
  mixed.pinit = {1, 2, 3, 4};
  mixed.plower = {0.1, 0.2, 0.3, 0.4, 0};
  mixed.pupper = {10, 20, 30, 40, 0};
  models::FitState competitive = mixed;
  competitive.model = 3;
  competitive.pinit[3] = competitive.plower[3] = competitive.pupper[3] = 0;
  models::FitState mm = competitive;
  mm.model = 1;
  mm.pinit[2] = mm.plower[2] = mm.pupper[2] = 0;
  const struct {
    const models::FitState* file;
    int model;
    std::vector<double> start, lower, upper;
  } rows[] = {
      {&mixed, 3, {1, 2, 3}, {0.1, 0.2, 0.3}, {10, 20, 30}},
      {&mixed, 4, {1, 2, 3}, {0.1, 0.2, 0.3}, {10, 20, 30}},
      {&mixed, 5, {1, 2, 4}, {0.1, 0.2, 0.4}, {10, 20, 40}},
      {&competitive, 6, {1, 2, 3, 3}, {0.1, 0.2, 0.3, 0.3}, {10, 20, 30, 30}},
      {&competitive, 5, {1, 2, 3}, {0.1, 0.2, 0.3}, {10, 20, 30}},
      {&mm, 2, {1, 2, 1}, {0.1, 0.2, 0.1}, {10, 20, 10}},
      {&competitive, 4, {1, 2, 3}, {0.1, 0.2, 0.3}, {10, 20, 30}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.file->model << " -> " << row.model);
    const models::FitState s = candidate_state(*row.file, row.model);
    EXPECT_EQ(s.model, row.model);
    ASSERT_EQ(s.np, static_cast<int>(row.start.size()));
    for (std::size_t k = 0; k < 4; ++k) {
      const bool used = k < row.start.size();
      EXPECT_EQ(s.pinit[k], used ? row.start[k] : 0.0) << k;
      EXPECT_EQ(s.plower[k], used ? row.lower[k] : 0.0) << k;
      EXPECT_EQ(s.pupper[k], used ? row.upper[k] : 0.0) << k;
    }
  }
  // Hill to Michaelis-Menten drops n.
  models::FitState hill = mm;
  hill.model = 2;
  hill.pinit[2] = 5;
  EXPECT_EQ(candidate_state(hill, 1).np, 2);
  EXPECT_EQ(candidate_state(hill, 1).pinit[2], 0.0);
}

TEST(Compare, RanksByAiccWithWeightsAndFTests) {
  // AICc 10, 12, 20 and 11 (the general model); n = 20.
  std::vector<Candidate> candidates(4);
  const double aicc[] = {10, 12, 20, 11};
  const double ssq[] = {5.0, 5.5, 9.0, 4.0};
  for (int k = 0; k < 4; ++k) {
    candidates[k].model = 3 + k;
    candidates[k].np = k == 3 ? 4 : 3;
    candidates[k].aicc = aicc[k];
    candidates[k].report_ssq = ssq[k];
  }
  const Comparison c = rank_candidates(candidates, 6, 20);
  const double w0 = 1 / (1 + std::exp(-1.0) + std::exp(-5.0) + std::exp(-0.5));
  const struct {
    int rank;
    double delta, weight, f;
  } expected[] = {{1, 0, w0, 4.0},
                  {3, 2, w0 * std::exp(-1.0), 6.0},
                  {4, 10, w0 * std::exp(-5.0), 20.0},
                  {2, 1, w0 * std::exp(-0.5), 0}};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const Candidate& x = c.candidates[k];
    EXPECT_EQ(x.rank, expected[k].rank);
    EXPECT_DOUBLE_EQ(*x.delta, expected[k].delta);
    EXPECT_NEAR(*x.weight, expected[k].weight, 1e-15);
    if (k == 3) {
      EXPECT_FALSE(x.f.has_value());  // the general model is not tested against itself
      continue;
    }
    EXPECT_DOUBLE_EQ(*x.f, expected[k].f);  // ((S - 4) / 1) / (4 / 16)
    EXPECT_EQ(x.df1, 1);
    EXPECT_EQ(x.df2, 16);
  }
  EXPECT_EQ(c.verdict,
            "competitive (3) preferred: Akaike weight 0.505; mixed (6) delta AICc 1.0; "
            "F test of competitive (3) against mixed (6) p = 0.063");
  ASSERT_EQ(c.cautions.size(), 1u);
  EXPECT_EQ(c.cautions[0],
            "the data do not distinguish competitive (3) from mixed (6) (delta AICc 1.0 < 2)");
}

constexpr double no_test = std::numeric_limits<double>::quiet_NaN();

struct Expected {
  const char* file;
  int model;
  double ssq, f_p;
};

// clang-format off
const Expected expected[] = {
    {"competitive_inhibition.dat", 3, 0.681727922545, 0.500187312488},
    {"competitive_inhibition.dat", 4, 99.5393744416, 1.17334461647e-16},
    {"competitive_inhibition.dat", 5, 195.871319261, 1.02558672334e-18},
    {"competitive_inhibition.dat", 6, 0.659174024395, no_test},
    {"help_example_m4.dat", 3, 0.00122802612107, 2.04101896947e-07},
    {"help_example_m4.dat", 4, 0.000554395262772, 0.100193697504},
    {"help_example_m4.dat", 5, 0.00172382823035, 9.78072457778e-10},
    {"help_example_m4.dat", 6, 0.000507397817511, no_test},
    {"hill_sigmoidal.dat", 1, 1023.04605211, 3.49312422313e-10},
    {"hill_sigmoidal.dat", 2, 10.9258950879, no_test},
    {"michaelis_menten.dat", 1, 0.114485066312, 0.134336912955},
    {"michaelis_menten.dat", 2, 0.0812329281996, no_test},
    {"mixed_inhibition.dat", 3, 247.836526419, 1.50763149217e-14},
    {"mixed_inhibition.dat", 4, 49.8114352307, 1.16553351232e-09},
    {"mixed_inhibition.dat", 5, 249.324081737, 1.44573136129e-14},
    {"mixed_inhibition.dat", 6, 3.28288876686, no_test},
    {"uncompetitive_inhibition.dat", 3, 150.916609884, 7.74514377051e-19},
    {"uncompetitive_inhibition.dat", 4, 11.1359490964, 6.62179606674e-11},
    {"uncompetitive_inhibition.dat", 5, 0.481290638654, 1},
    {"uncompetitive_inhibition.dat", 6, 0.487920947623, no_test},
    {"competitive_5x7.dat", 3, 25.0768993326, 1},
    {"competitive_5x7.dat", 4, 125.134707099, 4.6200662715e-12},
    {"competitive_5x7.dat", 5, 237.14439624, 2.17548163664e-16},
    {"competitive_5x7.dat", 6, 26.1613508644, no_test},
    {"mixed_5x7.dat", 3, 262.300772706, 2.46224388815e-08},
    {"mixed_5x7.dat", 4, 102.631964289, 0.119400514362},
    {"mixed_5x7.dat", 5, 249.06376293, 5.57122225931e-08},
    {"mixed_5x7.dat", 6, 94.7891599773, no_test},
    {"noncompetitive_5x7.dat", 3, 343.409319473, 1.23274299551e-24},
    {"noncompetitive_5x7.dat", 4, 11.9132451924, 0.156980077038},
    {"noncompetitive_5x7.dat", 5, 68.5728408382, 9.22369644659e-14},
    {"noncompetitive_5x7.dat", 6, 11.1561488734, no_test},
    {"uncompetitive_5x7.dat", 3, 650.013661509, 5.3992008141e-20},
    {"uncompetitive_5x7.dat", 4, 100.042788431, 2.66318705897e-07},
    {"uncompetitive_5x7.dat", 5, 41.9048989099, 1},
    {"uncompetitive_5x7.dat", 6, 42.0367926192, no_test},
};
// clang-format on

std::string path_of(const std::string& file) {
  const std::string example = QUILLON_SOURCE_DIR "/examples/" + file;
  return std::filesystem::exists(example) ? example
                                          : QUILLON_SOURCE_DIR "/tests/analysis/data/" + file;
}

TEST(Compare, AgreesWithTheIndependentComputation) {
  std::string last;
  std::optional<Comparison> c;
  for (const Expected& row : expected) {
    SCOPED_TRACE(::testing::Message() << row.file << " model " << row.model);
    if (row.file != last) {
      last = row.file;
      c = fit_file(path_of(row.file), true).comparison;
      ASSERT_TRUE(c.has_value());
    }
    const auto x = std::find_if(c->candidates.begin(), c->candidates.end(),
                                [&](const Candidate& y) { return y.model == row.model; });
    ASSERT_NE(x, c->candidates.end());
    EXPECT_NEAR(x->ssq(), row.ssq, 1e-9 * row.ssq);  // the global optimum within the bounds
    if (std::isnan(row.f_p)) {
      EXPECT_FALSE(x->f_p.has_value());
    } else {
      ASSERT_TRUE(x->f_p.has_value());
      EXPECT_NEAR(*x->f_p, row.f_p, 1e-6 * row.f_p);
    }
  }
}

TEST(Compare, TheGeneratingMechanismRanksFirst) {
  const struct {
    const char* file;
    int model;
  } rows[] = {{"competitive_5x7.dat", 3},
              {"noncompetitive_5x7.dat", 4},
              {"uncompetitive_5x7.dat", 5},
              {"mixed_5x7.dat", 6}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const auto c = fit_file(path_of(row.file), true).comparison;
    ASSERT_TRUE(c.has_value());
    for (const Candidate& x : c->candidates)
      EXPECT_EQ(x.rank == 1, x.model == row.model) << x.model;
  }
}

// A model without another of its group (tight binding, one's own equation) is ranked
// alone: no F test, no second place to read.
TEST(Compare, AGroupOfOneIsNothingToCompare) {
  std::vector<Candidate> alone(1);
  alone[0].model = 9;
  alone[0].np = 2;
  alone[0].aicc = -50.0;
  alone[0].report_ssq = 0.07;
  const Comparison c = rank_candidates(alone, 9, 12);
  EXPECT_EQ(c.candidates[0].rank, 1);
  EXPECT_FALSE(c.candidates[0].f.has_value());
  EXPECT_EQ(c.verdict, "no other model nests with tight binding (9): nothing to compare");
}

}  // namespace
}  // namespace quillon::file_analysis
