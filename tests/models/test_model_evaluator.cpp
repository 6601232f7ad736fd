#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "models/catalogue.h"
#include "models/model_evaluator.h"
#include "support/allocation_counter.h"
#include "support/test_support.h"
#include "textio/text_utils.h"

namespace quillon::models {
namespace {

// The fit's equation text as the model block leaves it.
std::string equation(int model) {
  std::string eq;
  funchar(eq, model);
  display_form(eq);
  encode_function_names(eq);
  return eq;
}

struct EvalCase {
  int model, np, nx;
  std::vector<double> var;  // P.., X.., C1
  double expected;          // in the engine's grouping: a*b/c is a*(b/c)
  const char* encoded;
};

TEST(Func, CatalogueModelsAtKnownPoints) {
  const EvalCase cases[] = {
      {1, 2, 1, {2, 10, 2, 1}, 10.0 * (2.0 / (2.0 + 2.0)), "Y=b*c/(c+a)"},
      {2, 3, 1, {2, 10, 2, 3, 1}, 10.0 * (9.0 / (9.0 + 4.0)), "Y=b*(d^c)/(d^c+a^c)"},
      {3,
       3,
       2,
       {1, 10, 1, 1, 1, 1},
       (10.0 * (1.0 / (1.0 + 1.0 / 1.0))) / (1.0 + 1.0 / (1.0 + 1.0 / 1.0)),
       "Y=(b*d/(f+e/c))/(a+d/(f+e/c))"},
      {4,
       3,
       2,
       {2, 10, 4, 2, 2, 1},
       (10.0 * (2.0 / (1.0 + 2.0 / 4.0))) / (2.0 + 2.0),
       "Y=(b*d/(f+e/c))/(d+a)"},
      {5,
       3,
       2,
       {2, 10, 4, 2, 2, 1},
       (10.0 * (2.0 / (1.0 + 2.0 / 4.0))) / (2.0 / (1.0 + 2.0 / 4.0) + 2.0),
       "Y=(b*d/(f+e/c))/(a/(f+e/c)+d)"},
      {6,
       4,
       2,
       {2, 10, 4, 8, 3, 2, 1},
       10.0 * (3.0 / (2.0 * (1.0 + 2.0 / 4.0) + 3.0 * (1.0 + 2.0 / 8.0))),
       "Y=b*e/(a*(g+f/c)+e*(g+f/d))"},
  };
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    const std::string eq = equation(c.model);
    const double first = ev.func(1, 1, c.np, c.nx, eq, c.var);
    const double later = ev.func(2, 1, c.np, c.nx, eq, c.var);
    EXPECT_EQ(first, c.expected);
    EXPECT_EQ(later, c.expected);
    EXPECT_EQ(textio::trimmed(ev.eqnsinglecharglobal()), c.encoded);
    EXPECT_EQ(ev.eqnsinglecharglobal().size(), equation_length);
    EXPECT_EQ(eq, equation(c.model)) << "eq unchanged";
  }
  EXPECT_EQ(sc.output(), "");
}

TEST(Func, RebuildsAtObservationOneOnly) {
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  const std::string eq = equation(1);
  const std::string before = eq;
  std::vector<double> var = {2, 10, 2, 1};
  EXPECT_EQ(ev.builds(), 0);
  for (int i : {1, 2, 3}) {
    var[2] = i;
    EXPECT_EQ(ev.func(i, 1, 2, 1, eq, var), 10.0 * (i / (i + 2.0)));
    EXPECT_EQ(eq, before);
  }
  EXPECT_EQ(ev.builds(), 1);
  ev.func(1, 1, 2, 1, eq, var);
  EXPECT_EQ(ev.builds(), 2);
  // A new equation at observation 1 replaces the old parser.
  const std::string eq4 = equation(4);
  EXPECT_EQ(ev.func(1, 1, 3, 2, eq4, std::vector<double>{2, 10, 4, 2, 2, 1}),
            (10.0 * (2.0 / (1.0 + 2.0 / 4.0))) / (2.0 + 2.0));
  EXPECT_EQ(ev.builds(), 3);
  // Same counts, other text: encoded afresh.
  EXPECT_EQ(ev.func(1, 1, 3, 2, equation(3), std::vector<double>{1, 10, 1, 1, 1, 1}),
            (10.0 * (1.0 / (1.0 + 1.0 / 1.0))) / (1.0 + 1.0 / (1.0 + 1.0 / 1.0)));
  EXPECT_EQ(textio::trimmed(ev.eqnsinglecharglobal()), "Y=(b*d/(f+e/c))/(a+d/(f+e/c))");
  EXPECT_EQ(ev.builds(), 4);
}

TEST(Func, ConstantsNotInTheEquationAreNeverRead) {
  // Model 1 carries C1 without using it: any value gives the same result.
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  const std::string eq = equation(1);
  EXPECT_EQ(ev.func(1, 1, 2, 1, eq, std::vector<double>{2, 10, 2, 1}), 5.0);
  EXPECT_EQ(ev.func(2, 1, 2, 1, eq, std::vector<double>{2, 10, 2, 1e300}), 5.0);
}

models::FitState model4_fit() {
  models::FitState fit;
  fit.model = 4;
  fit.np = 3;
  fit.nx = 2;
  fit.nc = 1;
  fit.eq = equation(4);
  fit.x1 = {1, 2, 4, 8, 1, 2, 4, 8};
  fit.x2 = {0, 0, 0, 0, 5, 5, 5, 5};
  fit.x3.assign(8, 0.0);
  fit.y1.assign(8, 0.0);
  fit.npoints = 8;
  fit.ycalc.assign(models::max_points, 0.0);
  fit.c = {1.0};
  fit.var = {0, 0, 0, 0, 0, 1.0};
  return fit;
}

TEST(SsqObjfun, ZeroAtTheGeneratingVectorAndLeavesTheLastPoint) {
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  models::FitState fit = model4_fit();
  const std::vector<double> p = {2.5, 10.0, 4.0};
  for (int i = 0; i < fit.npoints; ++i) {
    const std::vector<double> var = {p[0], p[1], p[2], fit.x1[i], fit.x2[i], 1.0};
    fit.y1[i] = ev.func(1, 1, 3, 2, fit.eq, var);
  }
  EXPECT_EQ(ssq_objfun(fit, ev, p), 0.0);
  for (int i = 0; i < fit.npoints; ++i)
    EXPECT_EQ(fit.ycalc[i], fit.y1[i]);
  EXPECT_EQ(std::vector<double>(fit.var.begin(), fit.var.begin() + 3), p);

  const std::vector<double> q = {2.5, 11.0, 4.0};
  double expected = 0.0;
  for (int i = 0; i < fit.npoints; ++i) {
    const double r = fit.y1[i] * 1.1 - fit.y1[i];
    expected = expected + r * r;
  }
  EXPECT_NEAR(ssq_objfun(fit, ev, q), expected, 1e-12);
  EXPECT_EQ(fit.eq, equation(4));
}

// A global fit's rows are its sets' rows at each set's own parameters, bit for bit,
// also after a trial that moves one set's parameter (the other set is then not evaluated
// again and must keep what it had).
TEST(SsqObjfun, GlobalFitRowsAreItsSetsRows) {
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  models::FitState all = model4_fit();
  for (int i = 0; i < all.npoints; ++i)
    all.y1[i] = 1.0 + 0.5 * i;
  // P1 shared; set 1 has P2, P3 at 1, 2 and set 2 at 3, 4 of the fit's vector.
  all.global.np = 3;
  all.global.sets = {{0, 3, {0, 1, 2}}, {3, 8, {0, 3, 4}}};
  all.np = 5;
  const auto set_alone = [&](std::size_t from, std::size_t to, std::vector<double> p) {
    models::FitState one = model4_fit();
    one.npoints = static_cast<int>(to - from);
    for (auto* v : {&one.x1, &one.x2, &one.x3})
      v->erase(v->begin(), v->begin() + static_cast<std::ptrdiff_t>(from));
    ModelEvaluator alone(sc.console);
    ssq_objfun(one, alone, p);
    return std::vector<double>(one.ycalc.begin(), one.ycalc.begin() + one.npoints);
  };
  for (const std::vector<double>& p : {std::vector<double>{2.5, 10.0, 4.0, 12.0, 3.0},
                                       std::vector<double>{2.5, 10.0, 4.0, 12.0, 6.0},
                                       std::vector<double>{2.0, 10.0, 4.0, 12.0, 6.0}}) {
    const double s = ssq_objfun(all, ev, p);
    std::vector<double> expected = set_alone(0, 3, {p[0], p[1], p[2]});
    const std::vector<double> second = set_alone(3, 8, {p[0], p[3], p[4]});
    expected.insert(expected.end(), second.begin(), second.end());
    double squares[2] = {0.0, 0.0};  // per set, added in set order
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(all.ycalc[i], expected[i]) << "row " << i;
      squares[i < 3 ? 0 : 1] += (expected[i] - all.y1[i]) * (expected[i] - all.y1[i]);
    }
    EXPECT_EQ(s, squares[0] + squares[1]);
    EXPECT_EQ(std::vector<double>(all.var.begin(), all.var.begin() + 5), p);
  }
}

// Whichever way a pass goes (all rows at once, runs of rows from observation 2 on when
// observation 1 reads other constants than the rest), it gives the sum and fitted values
// of one func call per observation, writes nothing past row n and leaves var as the
// last observation's call does. Runs are 256 rows long, so 258 and 300 end on a short one.
TEST(SsqObjfun, EveryPathMatchesOneObservationAtATime) {
  const struct {
    const char* eq;
    int nc;
    int n;
  } cases[] = {
      {"Y=P1*X1+P2+C1", 1, 300},  // all rows at once
      {"Y=P1*X1+P2+C1", 2, 258},  // reads C1 but not the last constant: runs
      {"Y=P1*X1+P2+C1", 2, 300},
      {"Y=P1*X1+P2*C2", 2, 300},  // reads the last constant only: runs
  };
  constexpr int pad = 256;  // room past row n, so an overlong run shows here, not in the heap
  constexpr double untouched = -7.0;
  const std::vector<double> p = {2.0, 0.5};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.eq << " nc " << c.nc << " n " << c.n);
    FitState fit;
    fit.np = 2;
    fit.nx = 1;
    fit.nc = c.nc;
    fit.npoints = c.n;
    fit.eq = c.eq;
    fit.c.assign(constant_values.begin(), constant_values.begin() + c.nc);
    for (int i = 0; i < c.n + pad; ++i) {
      fit.x1.push_back(0.5 + 0.01 * i);
      fit.y1.push_back(2.0 * fit.x1.back() + (i % 5) * 0.1);
    }
    fit.ycalc.assign(static_cast<std::size_t>(c.n + pad), untouched);

    testing::StringConsole sc;
    ModelEvaluator one(sc.console);
    std::vector<double> ycalc;
    std::vector<double> var;
    double expected = 0.0;
    double weighted = 0.0;
    std::vector<double> weights;
    for (int i = 0; i < c.n; ++i) {
      var = {p[0], p[1], fit.x1[i]};
      var.insert(var.end(), fit.c.begin(), fit.c.end());
      ycalc.push_back(one.func(i + 1, c.nc, 2, 1, fit.eq, var));
      const double r = ycalc.back() - fit.y1[i];
      expected = expected + r * r;
      weights.push_back(0.5 + (i % 3));
      weighted = weighted + weights.back() * (r * r);
    }

    ModelEvaluator ev(sc.console);
    EXPECT_EQ(ssq_objfun(fit, ev, p), expected);
    EXPECT_EQ(std::vector<double>(fit.ycalc.begin(), fit.ycalc.begin() + c.n), ycalc);
    EXPECT_EQ(std::count(fit.ycalc.begin() + c.n, fit.ycalc.end(), untouched), pad);
    EXPECT_EQ(fit.var, var);
    EXPECT_EQ(sc.output(), "");
    // Weighted, every path weights every square once.
    fit.weights = weights;
    EXPECT_EQ(ssq_objfun(fit, ev, p), weighted);
    EXPECT_EQ(std::vector<double>(fit.ycalc.begin(), fit.ycalc.begin() + c.n), ycalc);
  }
}

TEST(SsqObjfun, PassesAllocateNothing) {
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  models::FitState fit = model4_fit();
  const std::vector<double> p = {2.5, 10.0, 4.0};
  ssq_objfun(fit, ev, p);  // first encoding of the text
  const long long before = testing::heap_allocations();
  double sum = 0.0;
  for (int pass = 0; pass < 100; ++pass)
    sum += ssq_objfun(fit, ev, p);
  EXPECT_EQ(testing::heap_allocations(), before);
  fit.weights.assign(static_cast<std::size_t>(fit.npoints), 2.0);
  const long long weighted = testing::heap_allocations();
  for (int pass = 0; pass < 100; ++pass)
    sum += ssq_objfun(fit, ev, p);
  EXPECT_EQ(testing::heap_allocations(), weighted);
  EXPECT_GT(sum, 0.0);
}

TEST(SsqObjfun, NoObservationsGiveZero) {
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  models::FitState fit = model4_fit();
  fit.npoints = 0;
  EXPECT_EQ(ssq_objfun(fit, ev, std::vector<double>{1, 2, 3}), 0.0);
}

TEST(SsqObjfun, NonFiniteResidualsFlowThrough) {
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  models::FitState fit = model4_fit();
  // P3 = 0 divides X2 by zero: infinity in the inhibition term, zero rate, but
  // the X2 = 0 rows give 0/0.
  const double s = ssq_objfun(fit, ev, std::vector<double>{2.5, 10.0, 0.0});
  EXPECT_TRUE(std::isnan(s));
}

}  // namespace
}  // namespace quillon::models
