#include <gtest/gtest.h>

#include "models/catalogue.h"
#include "models/model_block.h"
#include "support/test_support.h"
#include "textio/text_utils.h"

namespace quillon::models {
namespace {

FitState fit_for(int model) {
  const Model& m = *find_model(model);
  const int np = m.np;
  const int nx = m.nx;
  FitState fit;
  fit.model = model;
  fit.model_name = textio::fixed_text(m.name, 512);
  fit.np = np;
  fit.nx = nx;
  fit.nc = m.nc;
  fit.var.assign(np + nx + 1, 0.0);
  for (int k = 0; k < np; ++k) {
    fit.var[k] = 1.0 + k;
    fit.plower[k] = 0.1 * (k + 1);
    fit.pupper[k] = 1000.0 * (k + 1);
  }
  fit.var[np + nx] = 1.0;
  return fit;
}

TEST(ModelBlock, Model1) {
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  FitState fit = fit_for(1);
  print_model_block(sc.console, fit, set_up_model(fit, ev));
  EXPECT_EQ(sc.output(), testing::crlf_lines({
                             "",
                             " ONE SITE MICHAELIS-MENTEN MODEL",
                             " Parameters: P1, P2, P3, P4 (e.g., Km, Vmax, Ki)",
                             " Independent X variables: X1 and X2 (e.g., [S] and [I])",
                             " Constants: C1 and C2 (e.g., 1.0 and 2.0)",
                             " Model equation: Y=P2*X1/(X1+P1)",
                             " Model equation (encoded): Y=B*C/(C+A)",
                             "",
                             " Model lower and upper bounds:",
                             "  1.000000E-01  2.000000E-01",
                             "  1.000000E+03  2.000000E+03",
                         }));
  // The fit keeps the display form; the engine got the lower-case encoding.
  EXPECT_EQ(textio::trimmed(fit.eq), "Y=P2*X1/(X1+P1)");
  EXPECT_EQ(textio::trimmed(ev.eqnsinglecharglobal()), "Y=b*c/(c+a)");
  EXPECT_EQ(ev.builds(), 1);
}

TEST(ModelBlock, Model6FourBoundsPerLine) {
  testing::StringConsole sc;
  ModelEvaluator ev(sc.console);
  FitState fit = fit_for(6);
  print_model_block(sc.console, fit, set_up_model(fit, ev));
  const std::string out = sc.output();
  EXPECT_NE(out.find(" Model equation: Y=P2*X1/(P1*(C1+X2/P3)+X1*(C1+X2/P4))\r\n"),
            std::string::npos);
  EXPECT_NE(out.find(" Model equation (encoded): Y=B*E/(A*(G+F/C)+E*(G+F/D))\r\n"),
            std::string::npos);
  EXPECT_NE(out.find(" Model lower and upper bounds:\r\n"
                     "  1.000000E-01  2.000000E-01  3.000000E-01  4.000000E-01\r\n"
                     "  1.000000E+03  2.000000E+03  3.000000E+03  4.000000E+03\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace quillon::models
