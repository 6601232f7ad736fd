// The model block and the whole search account for the noncompetitive example of
// the help screen, compared line by line with a reference transcript.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data_import/data_import.h"
#include "dialogue/main_loop.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "optimise/tunnelling_search.h"
#include "support/test_support.h"
#include "textio/text_utils.h"

namespace quillon::optimise {
namespace {

// The fit state after its import and preparation: X1 sorted ascending by
// dsort3 with the other columns carried along, values vector filled.
models::FitState example_fit() {
  testing::StringConsole import_console;
  models::FitState fit = testing::prepared_fit(
      import_console.console, std::string(QUILLON_TEST_DATA) + "/help_example_m4.dat");
  EXPECT_EQ(fit.npoints, 35);
  return fit;
}

TEST(SearchGolden, ModelBlockAndSearchAccountMatchReference) {
  testing::StringConsole sc;
  models::FitState fit = example_fit();
  models::ModelEvaluator ev(sc.console);
  models::print_model_block(sc.console, fit, models::set_up_model(fit, ev));
  const SearchOutcome outcome = tunnelling_search(sc.console, fit, ev);

  const auto expected = testing::split_crlf(
      testing::read_file(std::string(QUILLON_TEST_DATA) + "/help_example_m4.report.txt"));
  const auto actual = testing::split_crlf(sc.output());
  // The reference goes on with the report; the block and the search end with the
  // empty line after the last run's parameters.
  const std::size_t last = [&] {
    std::size_t k = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (expected[i].rfind("Best-fit params = ", 0) == 0)
        k = i;
    }
    return k + 2;
  }();
  ASSERT_EQ(last, 135u);
  ASSERT_EQ(actual.size(), last);
  for (std::size_t i = 0; i < last; ++i)
    EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;
  EXPECT_EQ(sc.output().substr(sc.output().size() - 2), "\r\n");

  EXPECT_EQ(outcome.runs, 6);
  EXPECT_EQ(outcome.stop, SearchStop::no_improvement);
  EXPECT_EQ(outcome.run[0].passes, 69);
  EXPECT_EQ(outcome.run[0].naccept, 465);
  EXPECT_LT(fit.best, 5.5440e-4);
  EXPECT_EQ(outcome.pbest, fit.pbest);
  EXPECT_EQ(outcome.best, fit.best);
}

}  // namespace
}  // namespace quillon::optimise
