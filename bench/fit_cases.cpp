#include "fit_cases.h"

#include <stdexcept>

#include "data_import/data_import.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "numerics/exact_math.h"

namespace quillon::bench {

models::FitState load_fit(const std::string& path, textio::Console& console,
                          models::ModelEvaluator& ev) {
  data_import::ImportResult imported = data_import::data_import(console, path);
  auto* fit = std::get_if<models::FitState>(&imported);
  if (fit == nullptr || !data_import::prepare_data(console, *fit))
    throw std::runtime_error("cannot load " + path);
  models::set_up_model(*fit, ev);
  return std::move(*fit);
}

namespace {

// Stores each point's model value in ycalc and sums the squared residuals, as
// ssq_objfun does; value(x1, x2) is the model at the point.
template <typename Value>
double sum_of_squares(models::FitState& fit, Value value) {
  // A one-column model is handed X1 twice and reads it once.
  const double* x1 = fit.x1.data();
  const double* x2 = fit.nx >= 2 ? fit.x2.data() : x1;
  double s = 0.0;
  for (int i = 0; i < fit.npoints; ++i) {
    const double yc = value(x1[i], x2[i]);
    fit.ycalc[i] = yc;
    const double r = yc - fit.y1[i];
    s = s + r * r;
  }
  return s;
}

// Model 2, Y=b*(d^c)/(d^c+a^c): a..c = P1..P3, d = X1. Written as one would by hand:
// [S]^n once per point and K^n once per call.
double ssq_model2(models::FitState& fit, std::span<const double> p) {
  using numerics::exact_math::pow;
  const double kn = pow(p[0], p[2]);
  return sum_of_squares(fit, [&](double d, double) {
    const double sn = pow(d, p[2]);
    return p[1] * (sn / (sn + kn));
  });
}

// Model 4, Y=(b*d/(f+e/c))/(d+a): a..c = P1..P3, d, e = X1, X2, f = C1.
double ssq_model4(models::FitState& fit, std::span<const double> p) {
  const double f = fit.c[0];
  return sum_of_squares(
      fit, [&](double d, double e) { return (p[1] * (d / (f + e / p[2]))) / (d + p[0]); });
}

// Model 6, Y=b*e/(a*(g+f/c)+e*(g+f/d)): a..d = P1..P4, e, f = X1, X2, g = C1.
double ssq_model6(models::FitState& fit, std::span<const double> p) {
  const double g = fit.c[0];
  return sum_of_squares(fit, [&](double e, double f) {
    return p[1] * (e / (p[0] * (g + f / p[2]) + e * (g + f / p[3])));
  });
}

}  // namespace

double hand_ssq(models::FitState& fit, std::span<const double> p) {
  switch (fit.model) {
  case 2: return ssq_model2(fit, p);
  case 4: return ssq_model4(fit, p);
  case 6: return ssq_model6(fit, p);
  default: throw std::invalid_argument("no hand-written objective for this model");
  }
}

}  // namespace quillon::bench
