#include "fit_cases.h"

#include <stdexcept>

#include "data_import/data_import.h"
#include "data_import/text_utils.h"
#include "dialogue/main_loop.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"

namespace quillon::bench {

FitState load_fit(const std::string& path, Console& console) {
  FitState fit;
  fit.fname = fixed_text(path, 200);
  fit.ycalc.assign(max_points, 0.0);
  data_import(console, fit);
  if (fit.import_ok != 1 || !prepare_data(console, fit))
    throw std::runtime_error("cannot load " + path);
  return fit;
}

namespace {

// Stores each point's model value in ycalc and sums the squared residuals, as
// ssq_objfun does; value(x1, x2) is the model at the point.
template <typename Value>
double sum_of_squares(FitState& fit, Value value) {
  double s = 0.0;
  for (int i = 0; i < fit.npoints; ++i) {
    const double yc = value(fit.x1[i], fit.x2[i]);
    fit.ycalc[i] = yc;
    const double r = yc - fit.y1[i];
    s = s + r * r;
  }
  return s;
}

// Model 4, Y=(b*d/(f+e/c))/(d+a): a..c = P1..P3, d, e = X1, X2, f = C1.
double ssq_model4(FitState& fit, std::span<const double> p) {
  const double f = fit.c[0];
  return sum_of_squares(
      fit, [&](double d, double e) { return (p[1] * (d / (f + e / p[2]))) / (d + p[0]); });
}

// Model 6, Y=b*e/(a*(g+f/c)+e*(g+f/d)): a..d = P1..P4, e, f = X1, X2, g = C1.
double ssq_model6(FitState& fit, std::span<const double> p) {
  const double g = fit.c[0];
  return sum_of_squares(fit, [&](double e, double f) {
    return p[1] * (e / (p[0] * (g + f / p[2]) + e * (g + f / p[3])));
  });
}

}  // namespace

double hand_ssq(FitState& fit, std::span<const double> p) {
  switch (fit.model) {
  case 4: return ssq_model4(fit, p);
  case 6: return ssq_model6(fit, p);
  default: throw std::invalid_argument("no hand-written objective for this model");
  }
}

}  // namespace quillon::bench
