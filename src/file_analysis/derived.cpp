#include "file_analysis/derived.h"

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "models/catalogue.h"

namespace quillon::file_analysis {
namespace {

// A parameter a constant reads, with the constant's derivative in it.
struct Slope {
  std::size_t k;
  double d;
};

// The constant and its standard error sqrt(g' Cov g), the covariance being the Wald
// one. A parameter held by equal bounds is a constant of the fit: it adds no variance,
// and a constant of such parameters alone has no standard error, as they have none.
Derived delta(const analysis::StandardAnalysis& a, double value,
              std::initializer_list<Slope> slopes) {
  Derived d;
  if (!std::isfinite(value))
    return d;
  d.value = value;
  double variance = 0.0;
  bool estimated = false;
  for (const Slope& i : slopes) {
    const analysis::ParameterStats& pi = a.parameters[i.k];
    if (pi.fixed)
      continue;
    if (!pi.se || a.correlation.size() != a.parameters.size())
      return d;
    estimated = true;
    for (const Slope& j : slopes) {
      const analysis::ParameterStats& pj = a.parameters[j.k];
      if (!pj.fixed && pj.se)
        variance += i.d * j.d * a.correlation[i.k][j.k] * *pi.se * *pj.se;
    }
  }
  const double se = std::sqrt(variance);
  if (!estimated || !std::isfinite(se))
    return d;
  d.se = se;
  if (std::isfinite(value - a.t * se) && std::isfinite(value + a.t * se)) {
    d.lo = value - a.t * se;
    d.hi = value + a.t * se;
  }
  return d;
}

// The first parameter of the role, or -1.
int with_role(const models::Model& m, models::Role role) {
  for (int k = 0; k < m.np; ++k) {
    if (m.parameters[static_cast<std::size_t>(k)].role == role)
      return k;
  }
  return -1;
}

}  // namespace

DerivedConstants derived_constants(int model, const analysis::StandardAnalysis& standard,
                                   std::optional<double> enzyme, std::optional<double> substrate,
                                   std::optional<double> km) {
  DerivedConstants c;
  const models::Model* m = models::find_model(model);
  if (m == nullptr || !standard.available ||
      standard.best.size() != static_cast<std::size_t>(m->np) ||
      standard.parameters.size() != standard.best.size())
    return c;
  const auto index = [&](std::string_view name) { return models::parameter_index(model, name); };
  const auto at = [](int k) { return static_cast<std::size_t>(k); };
  const std::vector<double>& p = standard.best;

  if (const int v = index("Vmax"); v >= 0 && enzyme) {
    const double e = *enzyme;
    c.kcat = delta(standard, p[at(v)] / e, {{at(v), 1.0 / e}});
    if (const int k = index("Km"); k >= 0) {
      const double vmax = p[at(v)];
      const double km_fit = p[at(k)];
      c.kcat_km = delta(standard, vmax / (e * km_fit),
                        {{at(v), 1.0 / (e * km_fit)}, {at(k), -vmax / (e * km_fit * km_fit)}});
    }
  }

  // A model with two inhibition constants (mixed inhibition).
  if (const int k1 = index("Ki1"), k2 = index("Ki2"); k1 >= 0 && k2 >= 0) {
    const double ki1 = p[at(k1)];
    const double ki2 = p[at(k2)];
    c.alpha = delta(standard, ki2 / ki1, {{at(k2), 1.0 / ki1}, {at(k1), -ki2 / (ki1 * ki1)}});
  }

  // Cheng-Prusoff holds for competitive inhibition, read off a falling dose-response
  // curve (a model with a Hill coefficient); S and the substrate's Km are exact
  // constants of the assay.
  if (substrate && km) {
    const int n = with_role(*m, models::Role::hill_coefficient);
    const int ic50 = with_role(*m, models::Role::half_saturation);
    if (n >= 0 && ic50 >= 0 && p[at(n)] < 0.0) {
      const double shift = 1.0 + *substrate / *km;
      c.ki_cheng_prusoff = delta(standard, p[at(ic50)] / shift, {{at(ic50), 1.0 / shift}});
    }
  }
  return c;
}

}  // namespace quillon::file_analysis
