// The report of the help screen's noncompetitive example against the reference
// transcript, with the model written out in C++ instead of the expression engine.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data_import/text_utils.h"
#include "report/fit_report.h"
#include "support/test_support.h"

namespace quillon::report {
namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Lines first..last (1-based, inclusive) of a CR LF text, each with its CR LF.
std::string line_range(const std::string& text, int first, int last) {
  std::size_t start = 0;
  for (int line = 1; line < first; ++line)
    start = text.find("\r\n", start) + 2;
  std::size_t end = start;
  for (int line = first; line <= last; ++line)
    end = text.find("\r\n", end) + 2;
  return text.substr(start, end - start);
}

// The observations in the order the sort by X1 leaves them: (X1, X2, Y).
const double observations[35][3] = {
    {50, 0, 0.032},    {50, 200, 0.010},  {50, 300, 0.006},  {50, 400, 0.004},  {50, 100, 0.017},
    {100, 0, 0.055},   {100, 100, 0.028}, {100, 300, 0.012}, {100, 200, 0.018}, {100, 400, 0.008},
    {200, 100, 0.045}, {200, 400, 0.012}, {200, 0, 0.080},   {200, 300, 0.019}, {200, 200, 0.030},
    {250, 300, 0.023}, {250, 200, 0.036}, {250, 0, 0.090},   {250, 400, 0.014}, {250, 100, 0.050},
    {333, 0, 0.102},   {333, 100, 0.065}, {333, 400, 0.015}, {333, 200, 0.041}, {333, 300, 0.027},
    {500, 400, 0.022}, {500, 300, 0.030}, {500, 200, 0.048}, {500, 100, 0.072}, {500, 0, 0.116},
    {700, 0, 0.130},   {700, 100, 0.078}, {700, 300, 0.035}, {700, 200, 0.052}, {700, 400, 0.024},
};

FitState noncompetitive_example() {
  FitState fit;
  fit.model = 4;
  fit.model_name = fixed_text("NONCOMPETITIVE INHIBITION MODEL", 512);
  fit.np = 3;
  fit.nx = 2;
  fit.nc = 2;
  fit.npoints = 35;
  for (const auto& o : observations) {
    fit.x1.push_back(o[0]);
    fit.x2.push_back(o[1]);
    fit.x3.push_back(0.0);
    fit.y1.push_back(o[2]);
  }
  fit.ycalc.assign(max_points, 0.0);
  fit.plower = {0.1, 0.1, 0.1};
  fit.pupper = {1000, 1000, 1000};
  // The least-squares minimum, which the search reaches to about eight digits.
  fit.pbest = {244.33016242282076, 0.1784226235549953, 118.12553001904777};
  fit.rng.seed(5489);
  return fit;
}

TEST(ReportGolden, ResidualTablePlotAndCriteriaOfTheNoncompetitiveExample) {
  FitState fit = noncompetitive_example();
  const Objective model = [&fit](std::span<const double> p) {
    double s = 0.0;
    for (int i = 0; i < fit.npoints; ++i) {
      fit.ycalc[i] = (p[1] * fit.x1[i] / (1.0 + fit.x2[i] / p[2])) / (fit.x1[i] + p[0]);
      s += (fit.ycalc[i] - fit.y1[i]) * (fit.ycalc[i] - fit.y1[i]);
    }
    return s;
  };
  testing::StringConsole sc;
  fit_report(sc.console, fit, model);
  const std::string golden = read_file(QUILLON_REPORT_DATA_DIR "/help_example_m4.report.txt");
  const std::string out = sc.output();
  // Residual table, plot, heading, settings and criteria: lines 136 to 240 of the reference.
  EXPECT_EQ(line_range(out, 1, 105), line_range(golden, 136, 240));
}

}  // namespace
}  // namespace quillon::report
