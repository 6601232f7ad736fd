#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine_test_support.h"
#include "feq_parser/evaluation.h"
#include "numerics/exact_math.h"
#include "support/test_support.h"
#include "textio/error.h"

namespace quillon::feq_parser {
namespace {

using quillon::testing::StringConsole;
using testing::bits;
using testing::quiet_parser;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Walks the postfix tokens one by one with a NumberStack: the plain reading of the
// postfix list that the compiled form must match bit for bit.
double evaluate_tokens(const EquationParser& p, const std::vector<double>& values) {
  if (!p.postfix.has_array())
    return 0.0;
  NumberStack s;
  s.construct_numberstack(128);
  double a = 0.0;
  double b = 0.0;
  for (std::int32_t k = 0; k < p.postfix.top; ++k) {
    const Token& t = p.postfix.stack[k];
    const std::string_view text = t.text.trimmed();
    switch (t.kind) {
    case kind::number: {
      double v = 0.0;
      if (!detail::number_value(text, v))
        throw std::runtime_error("bad number");
      s.push_numberstack(v, nullptr);
      break;
    }
    case kind::variable: {
      const int at = p.variables.find(text[0]);
      if (at >= 0)
        s.push_numberstack(values[at], nullptr);
      break;
    }
    case kind::binary_operator:
      s.pop_numberstack(b, nullptr);
      s.pop_numberstack(a, nullptr);
      s.push_numberstack(text == "+"   ? a + b
                         : text == "-" ? a - b
                         : text == "*" ? a * b
                         : text == "/" ? a / b
                         : text == "^" ? numerics::exact_math::pow(a, b)
                                       : 0.0,
                         nullptr);
      break;
    case kind::function:
      s.pop_numberstack(a, nullptr);
      s.push_numberstack(detail::f_of_x(text, a), nullptr);
      break;
    case kind::unary_operator:
      if (text == "-") {
        s.pop_numberstack(a, nullptr);
        s.push_numberstack(-a, nullptr);
      }
      break;
    default: break;
    }
  }
  s.pop_numberstack(a, nullptr);
  return a;
}

struct ValueRow {
  const char* equation;
  std::vector<double> values;           // for the names a, b, c, ...
  double (*expected)(const double* v);  // the same arithmetic written in C++
};

const ValueRow value_rows[] = {
    {"y = b/(1.0 + a/e)",
     {2, 10, 0, 0, 4},
     [](const double* v) { return v[1] / (1.0 + v[0] / v[4]); }},
    {"y=a-b-c", {10, 4, 3}, [](const double* v) { return v[0] - (v[1] - v[2]); }},
    {"y=a/b*c", {1, 3, 7}, [](const double* v) { return v[0] / (v[1] * v[2]); }},
    {"y=a*b/c", {0.1, 0.7, 3}, [](const double* v) { return v[0] * (v[1] / v[2]); }},
    {"y=a^b^c",
     {2, 3, 2},
     [](const double* v) {
       return numerics::exact_math::pow(v[0], numerics::exact_math::pow(v[1], v[2]));
     }},
    {"y=a+b*c-d", {1, 2, 3, 4}, [](const double* v) { return v[0] + (v[1] * v[2] - v[3]); }},
    // ^ binds tighter than * and / on either side.
    {"y=2^3*2", {}, [](const double*) { return 16.0; }},
    {"y=2^3/2", {}, [](const double*) { return 4.0; }},
    {"y=2*2^3", {}, [](const double*) { return 16.0; }},
    {"y=2/2^3", {}, [](const double*) { return 0.25; }},
    {"y=-a+b", {1, 2}, [](const double* v) { return -(v[0] + v[1]); }},
    {"y=-a-b", {1, 2}, [](const double* v) { return -(v[0] - v[1]); }},
    {"y=-a*b", {1.5, 2}, [](const double* v) { return -(v[0] * v[1]); }},
    {"y=-a^2", {3}, [](const double* v) { return -numerics::exact_math::pow(v[0], 2.0); }},
    {"y=+a", {3}, [](const double* v) { return v[0]; }},
    {"y=(*a)+b", {3, 4}, [](const double* v) { return v[0] + v[1]; }},
    {"y=(a)(b)", {3, 4}, [](const double* v) { return v[1]; }},
    {"y=(a+b", {3, 4}, [](const double* v) { return v[0] + v[1]; }},
    {"y=pi*1.0", {}, [](const double*) { return 3.1415927410125732 * 1.0; }},
    {"y=PI", {}, [](const double*) { return 3.1415927410125732; }},
    {"y=5.+.5+0.1", {}, [](const double*) { return 5.0 + (0.5 + 0.1); }},
    {"y=a/b", {1, 0}, [](const double* v) { return v[0] / v[1]; }},
    {"y=a/b", {0, 0}, [](const double* v) { return v[0] / v[1]; }},
    {"y=a^b", {-8, 1.0 / 3}, [](const double* v) { return numerics::exact_math::pow(v[0], v[1]); }},
    {"y=a*b", {1e300, 1e300}, [](const double* v) { return v[0] * v[1]; }},
    {"y=S(a)", {-1}, [](const double* v) { return std::sqrt(v[0]); }},
    {"y=S(a)", {2}, [](const double* v) { return std::sqrt(v[0]); }},
    {"y=O(a)+Q(a)+R(a)",
     {0.3},
     [](const double* v) { return std::cos(v[0]) + (std::tan(v[0]) + std::tanh(v[0])); }},
    {"y=T(a)*V(b)*W(b)",
     {-2, 5},
     [](const double* v) {
       return std::fabs(v[0]) * (numerics::exact_math::log(v[1]) * std::log10(v[1]));
     }},
    {"y=X(a)-Y(a)-Z(a)",
     {0.25},
     [](const double* v) {
       return std::acos(v[0]) - (std::asin(v[0]) - numerics::exact_math::atan(v[0]));
     }},
    {"y=V(a)", {0}, [](const double* v) { return numerics::exact_math::log(v[0]); }},
    {"y=V(a)", {-1}, [](const double* v) { return numerics::exact_math::log(v[0]); }},
    {"y=Uab(a)+1", {5}, [](const double*) { return 0.0 + 1.0; }},
    {"y=U(a)^2",
     {1.5},
     [](const double* v) {
       return numerics::exact_math::pow(numerics::exact_math::exp(v[0]), 2.0);
     }},
    {"y=2*U(a)", {1.5}, [](const double* v) { return 2.0 * numerics::exact_math::exp(v[0]); }},
    // The guarded exponential.
    {"y=U(a)", {0}, [](const double*) { return 1.0; }},
    {"y=U(a)", {-0.0}, [](const double*) { return 1.0; }},
    {"y=U(a)", {1e-310}, [](const double*) { return 1.0; }},
    {"y=U(a)", {nan}, [](const double*) { return 1.0; }},
    {"y=U(a)", {inf}, [](const double*) { return 5.54062238439351E+34; }},
    {"y=U(a)", {-inf}, [](const double*) { return 5.54062238439351E+34; }},
    {"y=U(a)", {100}, [](const double*) { return numerics::exact_math::exp(80.0); }},
    {"y=U(a)", {-100}, [](const double*) { return 1.8048513878454153E-35; }},
    {"y=U(a)", {80}, [](const double* v) { return numerics::exact_math::exp(v[0]); }},
    {"y=U(a)", {-3.25}, [](const double* v) { return numerics::exact_math::exp(v[0]); }},
    // Missing operands count as 0.0 (the warnings are checked with the console).
    {"y=a+", {3}, [](const double* v) { return 0.0 + v[0]; }},
    {"y=a*-b", {3, 4}, [](const double* v) { return 0.0 * v[0] - v[1]; }},
    {"y=-", {}, [](const double*) { return -0.0; }},
    {"y=U()", {}, [](const double*) { return 1.0; }},
    {"y=", {}, [](const double*) { return 0.0; }},
    {"y=a+b)", {3, 4}, [](const double* v) { return v[0] + v[1]; }},
    // The catalogue models in their encoded form.
    {"Y=b*c/(c+a)", {2, 10, 2}, [](const double* v) { return v[1] * (v[2] / (v[2] + v[0])); }},
    {"Y=b*(d^c)/(d^c+a^c)",
     {2, 10, 1.5, 3},
     [](const double* v) {
       return v[1] *
              (numerics::exact_math::pow(v[3], v[2]) /
               (numerics::exact_math::pow(v[3], v[2]) + numerics::exact_math::pow(v[0], v[2])));
     }},
    {"Y=(b*d/(f+e/c))/(a+d/(f+e/c))",
     {1, 10, 1, 1, 1, 1},
     [](const double* v) {
       return (v[1] * (v[3] / (v[5] + v[4] / v[2]))) / (v[0] + v[3] / (v[5] + v[4] / v[2]));
     }},
    {"Y=(b*d/(f+e/c))/(d+a)",
     {0.3, 7, 0.9, 1.1, 0.5, 1},
     [](const double* v) { return (v[1] * (v[3] / (v[5] + v[4] / v[2]))) / (v[3] + v[0]); }},
    {"Y=(b*d/(f+e/c))/(a/(f+e/c)+d)",
     {0.3, 7, 0.9, 1.1, 0.5, 1},
     [](const double* v) {
       return (v[1] * (v[3] / (v[5] + v[4] / v[2]))) / (v[0] / (v[5] + v[4] / v[2]) + v[3]);
     }},
    {"Y=b*e/(a*(g+f/c)+e*(g+f/d))",
     {0.3, 7, 0.9, 1.7, 1.1, 0.5, 1},
     [](const double* v) {
       return v[1] * (v[4] / (v[0] * (v[6] + v[5] / v[2]) + v[4] * (v[6] + v[5] / v[3])));
     }},
};

TEST(Evaluate, ValuesMatchTheSameArithmeticInCpp) {
  for (const ValueRow& row : value_rows) {
    SCOPED_TRACE(row.equation);
    const EquationParser p = quiet_parser(row.equation, "abcdefg");
    const double expected = row.expected(row.values.data());
    // The first evaluation after the build and repeated ones give the same bits.
    for (int round = 0; round < 3; ++round) {
      EXPECT_EQ(bits(p.evaluate_real64(row.values)), bits(expected))
          << p.evaluate_real64(row.values);
    }
    EXPECT_EQ(bits(evaluate_tokens(p, row.values)), bits(expected));
  }
}

TEST(Evaluate, FirstExamplesHaveTheirDecimalValues) {
  EXPECT_EQ(quiet_parser("y = b/(1.0 + a/e)", "abcde")
                .evaluate_real64(std::vector<double>{2, 10, 0, 0, 4}),
            6.666666666666667);
  EXPECT_EQ(quiet_parser("y=a-b-c", "abc").evaluate_real64(std::vector<double>{10, 4, 3}), 9.0);
  EXPECT_EQ(quiet_parser("y=a^b^c", "abc").evaluate_real64(std::vector<double>{2, 3, 2}), 512.0);
  EXPECT_TRUE(std::isnan(quiet_parser("y=S(a)", "a").evaluate_real64(std::vector<double>{-1})));
  EXPECT_EQ(quiet_parser("y=1.0/0.0", "").evaluate_real64({}), inf);
  EXPECT_EQ(quiet_parser("y=U(a)", "a").evaluate_real64(std::vector<double>{-inf}),
            5.54062238439351E+34);
}

TEST(Evaluate, SinglePrecisionWidensInputsAndRoundsResult) {
  const EquationParser p = quiet_parser("y = b/(1.0 + a/e)", "abcde");
  const std::vector<float> values = {2, 10, 0, 0, 4};
  EXPECT_EQ(p.evaluate_real32(values), static_cast<float>(10.0 / (1.0 + 2.0 / 4.0)));
  const EquationParser q = quiet_parser("y=a*b", "ab");
  const std::vector<float> fv = {0.1f, 3.0f};
  EXPECT_EQ(p.evaluate_real32(values), p.evaluate_real32(values));
  EXPECT_EQ(q.evaluate_real32(fv),
            static_cast<float>(static_cast<double>(0.1f) * static_cast<double>(3.0f)));
  EXPECT_EQ(quiet_parser("y=pi", "").evaluate_real32({}), static_cast<float>(3.1415927410125732));
}

TEST(Evaluate, BadNumberStopsOnlyWhenEvaluated) {
  struct Row {
    const char* equation;
    const char* stop_text;
  };
  const Row rows[] = {
      {"y=a+1.2.3", "Bad real number in equation: '1.2.3'"},
      {"y=2p*a", "Bad real number in equation: '2p'"},
      {"y=.", "Bad real number in equation: '.'"},
      {"y=Pi", "Bad real number in equation: 'Pi'"},
      {"y=p", "Bad real number in equation: 'p'"},
      {"y=a*pI", "Bad real number in equation: 'pI'"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.equation);
    std::int32_t ok = 0;
    const EquationParser p = quiet_parser(row.equation, "a", &ok);
    EXPECT_EQ(ok, 1);  // building does not look at the number
    try {
      p.evaluate_real64(std::vector<double>{1.0});
      ADD_FAILURE() << "no stop";
    } catch (const quillon::textio::FatalError& stop) {
      EXPECT_STREQ(stop.what(), row.stop_text);
    }
    EXPECT_THROW(p.evaluate_real32(std::vector<float>{1.0f}), quillon::textio::FatalError);
  }
}

TEST(Evaluate, TooFewValuesIsRefused) {
  const EquationParser p = quiet_parser("y=a+c", "abc");
  EXPECT_THROW(p.evaluate_real64(std::vector<double>{1.0, 2.0}), std::out_of_range);
  EXPECT_EQ(p.evaluate_real64(std::vector<double>{1.0, 2.0, 3.0}), 4.0);
}

TEST(FunctionLibrary, NamesInEitherCase) {
  EXPECT_EQ(detail::f_of_x("u", 0.0), 1.0);
  EXPECT_EQ(detail::f_of_x("S   ", 4.0), 2.0);
  EXPECT_EQ(detail::f_of_x("t", -3.0), 3.0);
  EXPECT_EQ(detail::f_of_x("Uab", 3.0), 0.0);
  EXPECT_EQ(detail::f_of_x("A", 3.0), 0.0);
  EXPECT_EQ(detail::f_of_x("p", 0.5), std::sin(0.5));
}

// Missing operands: one warning line each, on every evaluation; well-formed rows
// print nothing.
TEST(EvaluateWarnings, OneLinePerMissingOperand) {
  struct Row {
    const char* equation;
    std::vector<double> values;
    double expected;
    int warnings_per_call;
  };
  const Row rows[] = {
      {"y=a+", {3}, 3.0, 1},
      {"y=a*-b", {3, 4}, -4.0, 1},
      {"y=", {}, 0.0, 1},
      {"y=()", {}, 0.0, 1},
      {"y=-", {}, -0.0, 1},
      {"y=U()", {}, 1.0, 1},
      {"y=+", {}, 0.0, 1},
      {"y=a++b", {3, 4}, 7.0, 1},  // postfix a b + +: the outer + misses
                                   // its left operand
      {"y=*", {}, 0.0, 2},
      {"y=(a)(b)", {3, 4}, 4.0, 0},
      {"y=(a+b", {3, 4}, 7.0, 0},
      {"y=U(a)", {nan}, 1.0, 0},
  };
  const std::string line = " WARNING: attempt to pop from empty NumberStack\r\n";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.equation);
    StringConsole io;
    const EquationParser p =
        construct_equationparser(row.equation, std::string_view("ab"), io.console);
    ASSERT_EQ(io.output(), "");
    for (int call = 1; call <= 2; ++call) {
      EXPECT_EQ(bits(p.evaluate_real64(row.values)), bits(row.expected));
      std::string expected;
      for (int k = 0; k < call * row.warnings_per_call; ++k)
        expected += line;
      EXPECT_EQ(io.output(), expected);
    }
  }
}

}  // namespace
}  // namespace quillon::feq_parser
