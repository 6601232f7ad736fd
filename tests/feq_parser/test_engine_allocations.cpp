// Building a parser and evaluating it must not touch the heap: the model
// evaluation rebuilds the parser at every pass and evaluates it at every point.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feq_parser/equation_parser.h"
#include "support/allocation_counter.h"
#include "support/test_support.h"

namespace quillon::feq_parser {
namespace {

TEST(EngineAllocations, NoneForBuildingAndEvaluatingTheCatalogue) {
  struct Row {
    const char* encoded;
    std::string_view names;
  };
  const Row rows[] = {
      {"Y=b*c/(c+a)", "abc"},
      {"Y=b*(d^c)/(d^c+a^c)", "abcd"},
      {"Y=(b*d/(f+e/c))/(a+d/(f+e/c))", "abcdef"},
      {"Y=(b*d/(f+e/c))/(d+a)", "abcdef"},
      {"Y=(b*d/(f+e/c))/(a/(f+e/c)+d)", "abcdef"},
      {"Y=b*e/(a*(g+f/c)+e*(g+f/d))", "abcdefg"},
      {"y=U(a)*S(b)+pi-1.5^c", "abc"},
  };
  {
    const long long start = quillon::testing::heap_allocations();
    int* volatile probe = new int(1);  // the counter sees allocations at all
    delete probe;
    ASSERT_EQ(quillon::testing::heap_allocations(), start + 1);
  }
  quillon::testing::StringConsole io;
  const std::vector<double> values = {0.3, 7, 0.9, 1.7, 1.1, 0.5, 1};
  const std::vector<float> single = {0.3f, 7, 0.9f, 1.7f, 1.1f, 0.5f, 1};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.encoded);
    std::string text = row.encoded;
    text.resize(512, ' ');
    EquationParser saved = construct_equationparser(text, row.names, io.console);

    const long long before = quillon::testing::heap_allocations();
    double sum = 0.0;
    for (int pass = 0; pass < 3; ++pass) {
      saved.destruct_equationparser();
      saved = construct_equationparser(text, row.names, io.console);
      for (int point = 0; point < 5; ++point)
        sum += saved.evaluate_real64(values);
      sum += saved.evaluate_real32(single);
    }
    const EquationParser copy = saved;
    sum += copy.evaluate_real64(values);
    EXPECT_EQ(quillon::testing::heap_allocations(), before);

    // Rows through a cache: storage is made at the first call only.
    std::vector<double> column(40, 1.25);
    std::vector<double> out(40);
    std::vector<detail::RowValues> rows(values.size());
    for (std::size_t k = 0; k < values.size(); ++k)
      rows[k] = {k == 3 ? column.data() : nullptr, values[k]};
    detail::RowCache cache;
    ASSERT_TRUE(saved.evaluate_real64_rows(rows, out.size(), out.data(), cache, false));
    const long long set_up = quillon::testing::heap_allocations();
    for (int trial = 0; trial < 20; ++trial) {
      rows[static_cast<std::size_t>(trial % 3)].value += 0.125;
      ASSERT_TRUE(saved.evaluate_real64_rows(rows, out.size(), out.data(), cache, trial % 2 == 0));
      sum += out[0];
    }
    EXPECT_EQ(quillon::testing::heap_allocations(), set_up);
    EXPECT_EQ(sum, sum);  // keeps the evaluations
  }
  EXPECT_EQ(io.output(), "");
}

}  // namespace
}  // namespace quillon::feq_parser
