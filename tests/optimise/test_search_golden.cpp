// The model block and the whole search account for the noncompetitive example of
// the help screen, compared line by line with a reference transcript.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "data_import/text_utils.h"
#include "models/catalogue.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "optimise/tunnelling_search.h"
#include "support/test_support.h"

namespace quillon::optimise {
namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> split_crlf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos)
      break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (start < text.size())
    lines.push_back(text.substr(start) + " <no CR LF>");
  return lines;
}

std::vector<double> numbers(std::string line, std::size_t count) {
  line = line.substr(0, line.find('!'));
  std::replace(line.begin(), line.end(), ',', ' ');
  std::istringstream in(line);
  std::vector<double> v(count);
  for (double& x : v)
    in >> x;
  return v;
}

// The fit state for model 4 as the main loop prepares it, observations in the
// order of the reference's residual table.
FitState example_fit() {
  std::ifstream in(std::string(QUILLON_TEST_DATA) + "/help_example_m4.dat");
  std::string line;
  FitState fit;
  std::getline(in, line);
  fit.model = 4;
  fit.model_name = fixed_text("NONCOMPETITIVE INHIBITION MODEL", 512);
  fit.np = 3;
  fit.nx = 2;
  fit.nc = 1;
  std::getline(in, line);
  const auto pinit = numbers(line, 3);
  std::getline(in, line);
  const auto lower = numbers(line, 3);
  std::getline(in, line);
  const auto upper = numbers(line, 3);
  std::vector<std::array<double, 3>> rows;
  while (std::getline(in, line)) {
    const auto v = numbers(line, 3);
    if (line.find_first_not_of(" \t\r") == std::string::npos || line[0] == '#')
      continue;
    rows.push_back({v[0], v[1], v[2]});
  }
  EXPECT_EQ(rows.size(), 35u);
  // Key X1 ascending; within a key, the reference carries rows in this order of X2.
  static const std::vector<std::vector<double>> x2_order = {
      {0, 200, 300, 400, 100}, {0, 100, 300, 200, 400}, {100, 400, 0, 300, 200},
      {300, 200, 0, 400, 100}, {0, 100, 400, 200, 300}, {400, 300, 200, 100, 0},
      {0, 100, 300, 200, 400}};
  static const std::vector<double> keys = {50, 100, 200, 250, 333, 500, 700};
  for (std::size_t g = 0; g < keys.size(); ++g) {
    for (double x2 : x2_order[g]) {
      const auto it = std::find_if(rows.begin(), rows.end(),
                                   [&](const auto& r) { return r[0] == keys[g] && r[1] == x2; });
      fit.x1.push_back((*it)[0]);
      fit.x2.push_back((*it)[1]);
      fit.y1.push_back((*it)[2]);
    }
  }
  fit.npoints = static_cast<int>(fit.x1.size());
  fit.x3.assign(fit.x1.size(), 0.0);
  fit.ycalc.assign(max_points, 0.0);
  fit.c = {models::constant_values[0]};
  fit.var.assign(6, 0.0);
  for (int k = 0; k < 3; ++k) {
    fit.var[k] = pinit[k];
    fit.plower[k] = lower[k];
    fit.pupper[k] = upper[k];
  }
  fit.var[5] = fit.c[0];
  return fit;
}

TEST(SearchGolden, ModelBlockAndSearchAccountMatchReference) {
  testing::StringConsole sc;
  FitState fit = example_fit();
  models::ModelEvaluator ev(sc.console);
  models::print_model_block(sc.console, fit, ev);
  const SearchOutcome outcome = tunnelling_search(sc.console, fit, ev);

  const auto expected =
      split_crlf(read_file(std::string(QUILLON_TEST_DATA) + "/help_example_m4.report.txt"));
  const auto actual = split_crlf(sc.output());
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
}

}  // namespace
}  // namespace quillon::optimise
