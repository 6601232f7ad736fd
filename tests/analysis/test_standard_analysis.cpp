// The standard analysis against an independent computation (R: analytic Jacobian,
// profile ends by root finding with re-minimisation at every trial value;
// tests/analysis/make_expected.R), on the example files and made data sets.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "analysis/standard_analysis.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "optimise/tunnelling_search.h"
#include "support/test_support.h"

namespace quillon::analysis {
namespace {

constexpr double open_end = std::numeric_limits<double>::quiet_NaN();

struct Expected {
  const char* file;
  int df;
  double ssq;
  std::vector<double> best, se, profile_lo, profile_hi;
};

// clang-format off
const Expected expected[] = {
{"competitive_inhibition.dat", 15, 0.681727922545, { 2.04499184864, 50.33641244196,  5.06422832858},
 {0.0277667243028, 0.1833601387646, 0.0898902866153},
 { 1.98666011189, 49.94763648599,  4.87701805103},
 { 2.10494737800, 50.72967505307,  5.26039869824}},
{"help_example_m4.dat", 32, 0.000554395262772, {244.330162489210,   0.178422622449, 118.125533673624},
 {24.84714340400195,  0.00776433132956,  5.68627225900530},
 {198.707917022879,   0.163874394789, 107.478891737545},
 {301.148817991612,   0.195606392204, 129.988812211641}},
{"hill_sigmoidal.dat", 9, 10.9258950879, { 4.97663291836, 99.99049023141,  2.31670257099},
 {0.0667665597198, 0.8748905822868, 0.0660545191000},
 { 4.83151162202, 98.08346790755,  2.17437332096},
 {  5.13000888296, 101.98374936973,   2.46923386623}},
{"michaelis_menten.dat", 8, 0.114485066312, { 2.46562350237, 11.93796174024},
 {0.0753388705245, 0.1011988426574},
 { 2.29921703588, 11.70907362477},
 { 2.64313528853, 12.17260767348}},
{"mixed_inhibition.dat", 14, 3.28288876686, { 3.02485599159, 79.42758365103,  4.10448675008, 12.81464687703},
 {0.0659320906645, 0.4908378877128, 0.1928947899161, 0.4651077871974},
 { 2.88696273320, 78.38700152163,  3.72078077341, 11.88300823851},
 { 3.16855828094, 80.48652026318,  4.54694405495, 13.87747174866}},
{"uncompetitive_inhibition.dat", 15, 0.481290638654, { 1.49083076659, 30.05388194834,  7.90067433172},
 {0.0264398812414, 0.1694740531567, 0.1217063558306},
 { 1.43524318104, 29.69432772360,  7.64650269230},
 { 1.54831557172, 30.41832119311,  8.16626353979}},
{"competitive_5x7.dat", 32, 25.0768993326, { 2.18849355366, 51.59144621990,  1.64327553477},
 {0.0976165185187, 0.6634757552461, 0.1106324038167},
 { 1.99648028258, 50.26472940505,  1.43509347909},
 { 2.39720284850, 52.97464734251,  1.89064382965}},
{"hill_falling.dat", 5, 10.6484343474, { 5.16571534649, 98.43648359267, -1.62662282039},
 {0.1907219894053, 1.0272908079580, 0.0769949740898},
 { 4.70248410521, 95.87145472247, -1.83447413012},
 {  5.67526558237, 101.08451682817,  -1.44587151201}},
{"hill_k_bounded.dat", 9, 85.3858912854, { 4.50000000000, 95.69016823084,  2.45500737504},
 {0.160552063083, 2.211473281354, 0.203576777256},
 { 4.37453648754, 92.14235737740,  2.08505319621},
 {open_end, 99.31570280758,  2.91172572836}},
{"mixed_5x7.dat", 31, 94.7891599773, { 3.56251431043, 84.12175424660,  2.71874624006,  4.69551835119},
 {0.279965095074, 2.438299344296, 0.540717260876, 0.738601491998},
 { 3.03120489051, 79.36552843836,  1.87676000573,  3.50741959038},
 { 4.18617306722, 89.41338448058,  4.28855526420,  6.77879777248}},
{"mm_below_km.dat", 5, 0.0339449333619, { 9.29215447611, 17.27411533321},
 {3.89566981106, 6.25113923295},
 {4.12075486250, 8.92780043331},
 {open_end, 165.162829642}},
};
// clang-format on

std::string path_of(const std::string& file) {
  if (std::filesystem::path(file).is_absolute())
    return file;
  const std::string example = QUILLON_SOURCE_DIR "/examples/" + file;
  return std::filesystem::exists(example) ? example
                                          : QUILLON_SOURCE_DIR "/tests/analysis/data/" + file;
}

void expect_near(const std::optional<double>& got, double want, double tolerance,
                 const std::string& what) {
  if (std::isnan(want)) {
    EXPECT_FALSE(got.has_value()) << what << " should be open, is " << got.value_or(0.0);
    return;
  }
  ASSERT_TRUE(got.has_value()) << what << " missing";
  EXPECT_NEAR(*got, want, tolerance * std::fabs(want)) << what;
}

// The file imported, prepared and searched as the program does, then analysed; from
// `start` in place of the search's best fit when given.
StandardAnalysis analysed(const std::string& file, const std::vector<double>& start = {}) {
  testing::StringConsole sc;
  models::FitState fit = testing::prepared_fit(sc.console, path_of(file));
  models::ModelEvaluator ev(sc.console);
  models::set_up_model(fit, ev);
  optimise::tunnelling_search(sc.console, fit, ev);
  if (!start.empty())
    fit.pbest = start;
  return standard_analysis(fit);
}

TEST(StandardAnalysis, AgreesWithTheIndependentComputation) {
  for (const Expected& row : expected) {
    SCOPED_TRACE(row.file);
    const StandardAnalysis a = analysed(row.file);
    ASSERT_TRUE(a.available);
    EXPECT_EQ(a.df, row.df);
    EXPECT_NEAR(a.ssq, row.ssq, 1e-9 * row.ssq);
    for (std::size_t k = 0; k < row.best.size(); ++k) {
      std::string name = std::to_string(k + 1);
      name.insert(name.begin(), 'P');  // "P" + ... trips a false -Wrestrict in GCC 12
      EXPECT_NEAR(a.best[k], row.best[k], 1e-6 * std::fabs(row.best[k])) << name;
      expect_near(a.parameters[k].se, row.se[k], 1e-4, name + " SE");
      expect_near(a.parameters[k].profile_lo, row.profile_lo[k], 1e-4, name + " profile lower");
      expect_near(a.parameters[k].profile_hi, row.profile_hi[k], 1e-4, name + " profile upper");
    }
  }
}

TEST(StandardAnalysis, SaysWhatTheDataDoNotDetermine) {
  const struct {
    const char* file;
    bool available, polished, determined;
    std::vector<std::string> notes;
  } rows[] = {
      {"mm_below_km.dat",
       true,
       false,
       true,
       {"Km: upper 95 % limit not determined within its bounds"}},
      {"hill_k_bounded.dat",
       true,
       true,
       true,
       {"the search stopped short of the optimum: a local polish lowers the sum of squares by",
        "K: upper 95 % limit not determined within its bounds"}},
      {"singular_same_x.dat",
       true,
       false,
       false,
       {"the Jacobian is singular at the best fit: standard errors not determined",
        "Km: lower 95 % limit not determined within its bounds",
        "Km: upper 95 % limit not determined within its bounds"}},
      {"no_df.dat",
       false,
       false,
       false,
       {"no residual degrees of freedom: no standard errors or intervals"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const StandardAnalysis a = analysed(row.file);
    EXPECT_EQ(a.available, row.available);
    EXPECT_EQ(a.polished, row.polished);
    EXPECT_EQ(!a.correlation.empty(), row.determined);
    for (const ParameterStats& p : a.parameters)
      EXPECT_EQ(p.se.has_value(), row.determined);  // never a number for a singular fit
    for (const std::string& note : row.notes) {
      EXPECT_TRUE(std::any_of(a.warnings.begin(), a.warnings.end(), [&](const std::string& w) {
        return w.starts_with(note);
      })) << note;
    }
  }
}

// Data the analysis must come through with every number finite (or empty): held
// parameters, a model that overflows beside the best fit, sums of squares that
// overflow.
TEST(StandardAnalysis, ReturnsOnlyFiniteNumbers) {
  const struct {
    const char* name;
    const char* data;
    std::vector<double> start;  // in place of the search's best fit
    bool available;
    std::vector<bool> fixed;  // held by equal bounds
    bool determined;          // the others have standard errors and intervals
    const char* note;
  } rows[] = {
      {"fixed_km",
       "1\n2 10\n2 0.01\n2 1000\n0.25 1.066\n0.5 1.997\n1 3.353\n2 5.307\n3 6.490\n"
       "5 8.152\n8 9.160\n12 10.110\n20 10.480\n30 10.937\n",
       {},
       true,
       {true, false},
       true,
       "Km: fixed at 2 by equal bounds"},
      {"all_fixed",
       "1\n2 12\n2 12\n2 12\n0.25 1.066\n0.5 1.997\n1 3.353\n2 5.307\n3 6.490\n5 8.152\n",
       {},
       true,
       {true, true},
       false,
       "Vmax: fixed at 12 by equal bounds"},
      // X1^n overflows at X1 = 1e300 for n above 1.0275: the fit ends on that edge.
      {"hill_overflow_edge",
       "2\n1 10 1\n0.01 0.01 0.1\n100 1000 10\n1e-320 0\n1e-10 1.02e-14\n0.1 0.3156\n"
       "0.3 1.447\n1 5.041\n2 7.293\n3 8.156\n5 8.916\n10 9.542\n30 9.989\n1e10 10.23\n"
       "1e300 10.3\n",
       {},
       true,
       {false, false, false},
       false,
       "the Jacobian or the covariance at the best fit is not a finite number"},
      {"hill_search_beyond_edge",
       "2\n1 10 1\n0.01 0.01 0.1\n100 1000 10\n0.1 0.8581\n0.3 2.294\n1 5.149\n2 6.877\n"
       "3 7.618\n5 8.286\n10 8.891\n30 9.428\n1e10 9.844\n1e300 10.05\n",
       {1.0, 10.0, 1.02752},
       true,
       {false, false, false},
       true,
       "the sum of squares is not finite at the search's best fit"},
      // Steps scaled to the bounds overflow: no Jacobian, and a first profile step far
      // into a sum of squares that overflows.
      {"bounds_1e308",
       "1\n2 10\n-1e308 -1e308\n1e308 1e308\n0.25 1.066\n0.5 1.997\n1 3.353\n2 5.307\n"
       "3 6.490\n5 8.152\n",
       {},
       true,
       {false, false},
       false,
       "the Jacobian or the covariance at the best fit is not a finite number"},
      {"rates_1e300",
       "1\n2 10\n0.01 0.01\n100 1000\n0.5 1e300\n1 1.5e300\n2 1.7e300\n4 1e300\n8 1.2e300\n",
       {},
       false,
       {false, false},
       false,
       "the sum of squares is not finite at the best fit"},
  };
  const auto folder =
      std::filesystem::temp_directory_path() / ("quillon analysis " + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto path = folder / (std::string(row.name) + ".dat");
    std::ofstream(path, std::ios::binary) << row.data;
    const StandardAnalysis a = analysed(path.string(), row.start);
    EXPECT_EQ(a.available, row.available);

    std::vector<double> numbers = a.best;
    numbers.insert(numbers.end(), {a.ssq, a.sigma, a.t, a.search_ssq.value_or(0.0)});
    for (const ParameterStats& p : a.parameters) {
      for (const auto* v : {&p.se, &p.wald_lo, &p.wald_hi, &p.profile_lo, &p.profile_hi})
        numbers.push_back(v->value_or(0.0));
    }
    for (const auto& r : a.correlation)
      numbers.insert(numbers.end(), r.begin(), r.end());
    if (a.runs)
      numbers.push_back(a.runs->p);
    for (const double v : numbers)
      EXPECT_TRUE(std::isfinite(v)) << v;

    EXPECT_TRUE(std::any_of(a.warnings.begin(), a.warnings.end(), [&](const std::string& w) {
      return w.starts_with(row.note);
    })) << row.note;
    if (!row.available)
      continue;
    ASSERT_EQ(a.parameters.size(), row.fixed.size());
    EXPECT_EQ(!a.correlation.empty(), row.determined);
    for (std::size_t k = 0; k < row.fixed.size(); ++k) {
      const ParameterStats& p = a.parameters[k];
      EXPECT_EQ(p.fixed, row.fixed[k]) << k;
      const bool expected = row.determined && !row.fixed[k];
      EXPECT_EQ(p.se.has_value(), expected) << k;
      EXPECT_EQ(p.wald_lo.has_value() && p.wald_hi.has_value(), expected) << k;
      EXPECT_FALSE(row.fixed[k] && (p.profile_lo || p.profile_hi)) << k;
      EXPECT_LT(p.profile_lo.value_or(-HUGE_VAL), a.best[k]) << k;  // the best fit is inside
      EXPECT_GT(p.profile_hi.value_or(HUGE_VAL), a.best[k]) << k;
    }
  }
  std::filesystem::remove_all(folder);
}

// With Km held, Vmax enters linearly: its standard error is s / |dy/dVmax|, and the
// profile interval is the Wald one.
TEST(StandardAnalysis, AHeldParameterIsNoColumnOfTheJacobian) {
  const double x[] = {0.25, 0.5, 1, 2, 3, 5, 8, 12, 20, 30};
  const double y[] = {1.066, 1.997, 3.353, 5.307, 6.490, 8.152, 9.160, 10.110, 10.480, 10.937};
  std::string data = "1\n2 10\n2 0.01\n2 1000\n";
  double ff = 0.0, fy = 0.0;
  for (std::size_t i = 0; i < std::size(x); ++i) {
    data += std::to_string(x[i]) + " " + std::to_string(y[i]) + "\n";
    const double f = x[i] / (2.0 + x[i]);
    ff += f * f;
    fy += f * y[i];
  }
  const double vmax = fy / ff;
  double ssq = 0.0;
  for (std::size_t i = 0; i < std::size(x); ++i)
    ssq += (y[i] - vmax * x[i] / (2.0 + x[i])) * (y[i] - vmax * x[i] / (2.0 + x[i]));
  const double se = std::sqrt(ssq / 8.0 / ff);

  const auto path = std::filesystem::temp_directory_path() /
                    ("quillon held " + std::to_string(::getpid()) + ".dat");
  std::ofstream(path, std::ios::binary) << data;
  const StandardAnalysis a = analysed(path.string());
  std::filesystem::remove(path);
  ASSERT_TRUE(a.available);
  EXPECT_NEAR(a.best[1], vmax, 1e-9 * vmax);
  ASSERT_TRUE(a.parameters[1].se && a.parameters[1].profile_lo && a.parameters[1].profile_hi);
  EXPECT_NEAR(*a.parameters[1].se, se, 1e-5 * se);
  EXPECT_NEAR(*a.parameters[1].profile_lo, *a.parameters[1].wald_lo, 1e-6 * vmax);
  EXPECT_NEAR(*a.parameters[1].profile_hi, *a.parameters[1].wald_hi, 1e-6 * vmax);
  EXPECT_EQ(a.correlation[0][1], 0.0);
}

}  // namespace
}  // namespace quillon::analysis
