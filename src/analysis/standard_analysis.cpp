#include "analysis/standard_analysis.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <istream>
#include <ostream>
#include <span>
#include <unsupported/Eigen/LevenbergMarquardt>

#include "models/catalogue.h"
#include "models/model_evaluator.h"
#include "numerics/distributions.h"
#include "textio/console.h"

namespace quillon::analysis {
namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;
using Params = std::vector<double>;

// A residual that is not a finite number counts as this, so that a trial step of
// the minimiser into such a region is simply worse.
constexpr double huge_residual = 1e100;

// The fit's residuals (fitted minus observed, in ascending X1) at any parameter
// vector, through the program's own model evaluation, on a copy of the fit. Where
// the fit has weights, each residual is scaled by the square root of its weight, so
// that their sum of squares is the weighted one the fit minimises (the Jacobian is
// then the weighted one too).
class Model {
 public:
  explicit Model(const models::FitState& fit)
      : fit_(fit), console_(no_input_, no_output_), evaluator_(console_) {
    for (const double w : fit_.weights)
      root_weights_.push_back(std::sqrt(w));
  }

  int n() const { return fit_.npoints; }
  int np() const { return fit_.np; }
  double lower(int k) const { return fit_.plower[static_cast<std::size_t>(k)]; }
  double upper(int k) const { return fit_.pupper[static_cast<std::size_t>(k)]; }
  // Held by equal bounds: a constant of the fit, not an estimate.
  bool fixed(int k) const { return lower(k) == upper(k); }

  double ssq(const Params& p) {
    const double s = models::ssq_objfun(fit_, evaluator_, p);
    return std::isfinite(s) ? s : HUGE_VAL;
  }

  void residuals(const Params& p, double* r) {
    raw_residuals(p, r);
    for (int i = 0; i < n(); ++i)
      r[i] = std::isfinite(r[i]) ? r[i] : huge_residual;
  }

  // Column k of the Jacobian of the residuals at p: central differences with a step
  // scaled to the parameter, one-sided ones where a central step would leave the bounds.
  // With `stand_ins`, from the residuals as the minimiser sees them (a slope out of a
  // region where the model overflows); without, an entry whose differences meet a
  // residual that is not finite is not finite either.
  void jacobian_column(const Params& p, int k, double* column, bool stand_ins) {
    const auto u = static_cast<std::size_t>(k);
    const double lo = lower(k);
    const double hi = upper(k);
    double scale = std::max(std::fabs(p[u]), 1e-6 * (hi - lo));
    if (!(scale > 0.0))
      scale = 1e-8;
    const double h0 = 6.0555e-6 * scale;  // about the cube root of the epsilon
    Params q = p;
    const auto at = [&](double x, std::vector<double>& r) {
      q[u] = x;
      r.resize(static_cast<std::size_t>(n()));
      if (stand_ins)
        residuals(q, r.data());
      else
        raw_residuals(q, r.data());
    };
    int direction = 0;  // 0 central, +1 forward, -1 backward
    if (p[u] - h0 < lo && p[u] + 2 * h0 <= hi)
      direction = 1;
    else if (p[u] + h0 > hi && p[u] - 2 * h0 >= lo)
      direction = -1;
    if (direction == 0) {
      const double h = (p[u] + h0) - (p[u] - h0);
      at(p[u] + h0, a_);
      at(p[u] - h0, b_);
      for (int i = 0; i < n(); ++i)
        column[i] = (a_[static_cast<std::size_t>(i)] - b_[static_cast<std::size_t>(i)]) / h;
      return;
    }
    const double h = direction * ((p[u] + direction * h0) - p[u]);
    at(p[u], c_);
    at(p[u] + h, a_);
    at(p[u] + 2 * h, b_);
    for (int i = 0; i < n(); ++i) {
      const auto v = static_cast<std::size_t>(i);
      column[i] = (-3.0 * c_[v] + 4.0 * a_[v] - b_[v]) / (2.0 * h);
    }
  }

  const models::FitState& fit() const { return fit_; }

 private:
  void raw_residuals(const Params& p, double* r) {
    models::ssq_objfun(fit_, evaluator_, p);
    for (int i = 0; i < n(); ++i) {
      const auto u = static_cast<std::size_t>(i);
      r[i] = fit_.ycalc[u] - fit_.y1[u];
    }
    if (!root_weights_.empty()) {
      for (int i = 0; i < n(); ++i)
        r[i] *= root_weights_[static_cast<std::size_t>(i)];
    }
  }

  models::FitState fit_;
  std::istream no_input_{nullptr};
  std::ostream no_output_{nullptr};  // the evaluation's warnings have no reader here
  textio::Console console_;
  models::ModelEvaluator evaluator_;
  std::vector<double> a_, b_, c_;
  std::vector<double> root_weights_;  // empty: unweighted
};

double clamp_to(double x, double lo, double hi) {
  return std::min(std::max(x, lo), hi);
}

// The residuals as a function of the free parameters, the others held, for Eigen's
// Levenberg-Marquardt; a free value beyond a bound is evaluated at the bound.
struct FreeParameters : Eigen::DenseFunctor<double> {
  FreeParameters(Model& model, const Params& base, const std::vector<int>& free)
      : DenseFunctor(static_cast<int>(free.size()), model.n()),
        model(model),
        base(base),
        free(free) {}

  Params full(const VectorXd& x) const {
    Params p = base;
    for (std::size_t j = 0; j < free.size(); ++j) {
      const int k = free[j];
      p[static_cast<std::size_t>(k)] =
          clamp_to(x(static_cast<Eigen::Index>(j)), model.lower(k), model.upper(k));
    }
    return p;
  }
  int operator()(const VectorXd& x, VectorXd& fvec) {
    model.residuals(full(x), fvec.data());
    return 0;
  }
  int df(const VectorXd& x, MatrixXd& fjac) {
    const Params p = full(x);
    for (std::size_t j = 0; j < free.size(); ++j)
      model.jacobian_column(p, free[j], fjac.col(static_cast<Eigen::Index>(j)).data(), true);
    return 0;
  }

  Model& model;
  const Params& base;
  const std::vector<int>& free;
};

// Minimises the sum of squares from p within the bounds, over the parameters not
// held (nor fixed): Levenberg-Marquardt on the free ones; a parameter that reaches a
// bound is held there until the slope pulls it back inside. Returns the sum of
// squares at p.
double polish(Model& model, Params& p, int held_parameter = -1) {
  const int np = model.np();
  for (int k = 0; k < np; ++k)
    p[static_cast<std::size_t>(k)] =
        clamp_to(p[static_cast<std::size_t>(k)], model.lower(k), model.upper(k));
  double s = model.ssq(p);
  std::vector<bool> on_bound(static_cast<std::size_t>(np), false);
  for (int round = 0; round < 2 * np + 2; ++round) {
    std::vector<int> free;
    for (int k = 0; k < np; ++k)
      if (k != held_parameter && !model.fixed(k) && !on_bound[static_cast<std::size_t>(k)])
        free.push_back(k);
    if (!free.empty()) {
      FreeParameters functor(model, p, free);
      VectorXd x(static_cast<Eigen::Index>(free.size()));
      for (std::size_t j = 0; j < free.size(); ++j)
        x(static_cast<Eigen::Index>(j)) = p[static_cast<std::size_t>(free[j])];
      Eigen::LevenbergMarquardt<FreeParameters> lm(functor);
      lm.setFtol(1e-15);
      lm.setXtol(1e-15);
      lm.setGtol(0.0);
      lm.setMaxfev(400);
      lm.minimize(x);
      const Params trial = functor.full(x);
      const double st = model.ssq(trial);
      if (st < s) {
        p = trial;
        s = st;
      }
    }
    bool changed = false;
    for (const int k : free) {
      const double x = p[static_cast<std::size_t>(k)];
      if (x == model.lower(k) || x == model.upper(k)) {
        on_bound[static_cast<std::size_t>(k)] = true;
        changed = true;
      }
    }
    if (!changed) {
      // Release a bound whose inward step lowers the sum of squares.
      for (int k = 0; k < np; ++k) {
        const auto u = static_cast<std::size_t>(k);
        if (!on_bound[u])
          continue;
        const double inward = p[u] == model.lower(k) ? 1.0 : -1.0;
        Params q = p;
        q[u] += inward * 1e-7 * std::max(std::fabs(p[u]), 1e-6 * (model.upper(k) - model.lower(k)));
        if (model.ssq(q) < s) {
          on_bound[u] = false;
          changed = true;
        }
      }
    }
    if (!changed)
      break;
  }
  return s;
}

// Wald standard errors and correlations from s^2 (J'J)^-1, through the singular
// values of J with its columns scaled to unit length (so that the parameters' units
// do not decide what counts as singular). J has a column for each parameter not
// fixed; a fixed one has no error and correlates with none. Any intermediate that is
// not a finite number leaves them all undetermined, as a singular J does. Returns the
// note that says why they are not determined, or nullptr.
const char* wald(Model& model, StandardAnalysis& a) {
  static constexpr const char* singular =
      "the Jacobian is singular at the best fit: standard errors not determined";
  static constexpr const char* out_of_range =
      "the Jacobian or the covariance at the best fit is not a finite number: standard "
      "errors not determined";
  const int n = model.n();
  const int np = model.np();
  std::vector<int> free;
  for (int k = 0; k < np; ++k)
    if (!model.fixed(k))
      free.push_back(k);
  const auto m = static_cast<Eigen::Index>(free.size());
  if (m == 0)
    return nullptr;  // nothing to estimate
  MatrixXd j(n, m);
  for (Eigen::Index c = 0; c < m; ++c)
    model.jacobian_column(a.best, free[static_cast<std::size_t>(c)], j.col(c).data(), false);
  if (!j.allFinite())
    return out_of_range;
  const VectorXd norms = j.colwise().norm().transpose();
  if (!norms.allFinite())
    return out_of_range;
  if ((norms.array() == 0.0).any())
    return singular;
  const MatrixXd scaled = j * norms.cwiseInverse().asDiagonal();
  const Eigen::JacobiSVD<MatrixXd> svd(scaled, Eigen::ComputeThinV);
  const VectorXd& sv = svd.singularValues();
  if (!sv.allFinite())
    return out_of_range;
  if (!(sv(m - 1) > 1e-8 * sv(0)))
    return singular;  // or nearly: no standard error means anything
  const MatrixXd v = svd.matrixV() * sv.cwiseInverse().asDiagonal();
  const MatrixXd unscaled = norms.cwiseInverse().asDiagonal() * v;
  const MatrixXd cov = a.sigma * a.sigma * (unscaled * unscaled.transpose());
  MatrixXd correlation(m, m);
  for (Eigen::Index r = 0; r < m; ++r)
    for (Eigen::Index c = 0; c < m; ++c)
      correlation(r, c) = cov(r, c) / std::sqrt(cov(r, r) * cov(c, c));
  if (!cov.allFinite() || !correlation.allFinite())
    return out_of_range;
  std::vector<ParameterStats> rows(static_cast<std::size_t>(np));
  for (Eigen::Index c = 0; c < m; ++c) {
    const auto u = static_cast<std::size_t>(free[static_cast<std::size_t>(c)]);
    const double se = std::sqrt(cov(c, c));
    rows[u].se = se;
    rows[u].wald_lo = a.best[u] - a.t * se;
    rows[u].wald_hi = a.best[u] + a.t * se;
    if (!std::isfinite(*rows[u].wald_lo) || !std::isfinite(*rows[u].wald_hi))
      return out_of_range;
  }
  for (std::size_t k = 0; k < rows.size(); ++k) {
    a.parameters[k].se = rows[k].se;
    a.parameters[k].wald_lo = rows[k].wald_lo;
    a.parameters[k].wald_hi = rows[k].wald_hi;
  }
  a.correlation.assign(static_cast<std::size_t>(np),
                       std::vector<double>(static_cast<std::size_t>(np), 0.0));
  for (int k = 0; k < np; ++k)
    a.correlation[static_cast<std::size_t>(k)][static_cast<std::size_t>(k)] = 1.0;
  for (Eigen::Index r = 0; r < m; ++r)
    for (Eigen::Index c = 0; c < m; ++c)
      a.correlation[static_cast<std::size_t>(free[static_cast<std::size_t>(r)])]
                   [static_cast<std::size_t>(free[static_cast<std::size_t>(c)])] =
          correlation(r, c);
  return nullptr;
}

// One end of the profile-likelihood interval of parameter k: where the statistic
// sqrt((S(theta) - S_min) / s^2), S re-minimised over the other parameters, reaches
// t(0.975; df). Steps out from the best fit (doubling), then closes in on the
// crossing by regula falsi (Illinois); empty when the bound comes first, or when
// either search runs out of steps.
std::optional<double> profile_end(Model& model, const StandardAnalysis& a, int k, double direction,
                                  bool& lower_found) {
  const auto u = static_cast<std::size_t>(k);
  const double best = a.best[u];
  const double bound = direction > 0 ? model.upper(k) : model.lower(k);
  if (best == bound)
    return std::nullopt;
  Params warm = a.best;
  const auto excess = [&](double theta) {
    warm[u] = theta;
    const double s = polish(model, warm, k);
    if (s < a.ssq * (1.0 - 1e-9))
      lower_found = true;
    return std::sqrt(std::max(0.0, s - a.ssq)) / a.sigma - a.t;
  };

  const auto& se = a.parameters[u].se;
  double step =
      se && *se > 0.0 ? *se : 0.1 * std::max(std::fabs(best), 1e-6 * std::fabs(bound - best));
  double inside = best;
  double g_inside = -a.t;
  std::optional<double> outside;
  double g_outside = 0.0;
  for (int tries = 0; tries <= 200 && !outside; ++tries) {
    const double theta =
        direction > 0 ? std::min(inside + step, bound) : std::max(inside - step, bound);
    const double g = excess(theta);
    if (!std::isfinite(g)) {
      step *= 1e-4;  // the sum of squares overflowed: no crossing to interpolate
    } else if (g >= 0.0) {
      outside = theta;
      g_outside = g;
    } else if (theta == bound) {
      return std::nullopt;
    } else {
      inside = theta;
      g_inside = g;
      step *= 2.0;
    }
  }
  if (!outside)
    return std::nullopt;

  int side = 0;  // which end moved last, for the Illinois halving
  for (int iteration = 0; iteration < 200; ++iteration) {
    const double width = std::fabs(*outside - inside);
    double theta = inside - g_inside * (*outside - inside) / (g_outside - g_inside);
    if (width <= 1e-12 * std::max(std::fabs(inside), std::fabs(*outside)))
      return std::isfinite(theta) ? theta : inside;
    if (!(theta > std::min(inside, *outside) && theta < std::max(inside, *outside)))
      theta = 0.5 * (inside + *outside);
    warm = a.best;  // from the inside end's neighbourhood, not a far solution
    warm[u] = inside;
    polish(model, warm, k);
    const double g = excess(theta);
    if (std::fabs(g) <= 1e-12 * a.t)
      return theta;
    if (g < 0.0) {
      inside = theta;
      g_inside = g;
      if (side == -1)
        g_outside *= 0.5;
      side = -1;
    } else {
      outside = theta;
      g_outside = g;
      if (side == 1)
        g_inside *= 0.5;
      side = 1;
    }
  }
  return std::nullopt;  // the bracket never closed: an end would be a guess
}

std::string percent(double fraction) {
  const double pc = 100.0 * fraction;
  if (pc < 0.01)
    return "less than 0.01 %";
  char text[32];
  std::snprintf(text, sizeof text, pc >= 10.0 ? "%.0f %%" : "%.2g %%", pc);
  return text;
}

}  // namespace

StandardAnalysis standard_analysis(const models::FitState& fit, bool profiles) {
  StandardAnalysis a;
  const int np = fit.np;
  a.df = fit.npoints - np;
  if (a.df < 1 || fit.pbest.size() < static_cast<std::size_t>(np)) {
    a.warnings.push_back("no residual degrees of freedom: no standard errors or intervals");
    return a;
  }
  Model model(fit);
  const Params search_best(fit.pbest.begin(), fit.pbest.begin() + np);
  const double search_ssq = model.ssq(search_best);
  a.best = search_best;
  const double ssq = polish(model, a.best);
  if (!std::isfinite(ssq)) {
    a.warnings.push_back("the sum of squares is not finite at the best fit: no standard analysis");
    return a;
  }
  a.ssq = ssq;
  // A sum of squares at the rounding level of the data (an exact fit) has nothing
  // left for a polish to find.
  double data_level = 0.0;
  for (int i = 0; i < fit.npoints; ++i) {
    const auto u = static_cast<std::size_t>(i);
    data_level +=
        fit.weights.empty() ? fit.y1[u] * fit.y1[u] : fit.weights[u] * (fit.y1[u] * fit.y1[u]);
  }
  data_level *= 1e-20;
  if (!std::isfinite(search_ssq)) {
    a.polished = true;
    a.warnings.push_back(
        "the sum of squares is not finite at the search's best fit: the standard analysis "
        "uses a local polish of it");
  } else {
    a.search_ssq = search_ssq;
    if (a.ssq < search_ssq * (1.0 - 1e-9) && search_ssq > data_level) {
      a.polished = true;
      a.warnings.push_back(
          "the search stopped short of the optimum: a local polish lowers the sum of "
          "squares by " +
          percent((search_ssq - a.ssq) / search_ssq) +
          " (the standard analysis uses the polished fit)");
    }
  }
  a.available = true;
  a.sigma = std::sqrt(a.ssq / a.df);
  a.t = numerics::t975(a.df);
  a.parameters.resize(static_cast<std::size_t>(np));
  for (int k = 0; k < np; ++k) {
    if (model.fixed(k)) {
      a.parameters[static_cast<std::size_t>(k)].fixed = true;
      char value[32];
      std::snprintf(value, sizeof value, "%.6g", a.best[static_cast<std::size_t>(k)]);
      a.warnings.push_back(models::fit_parameter_name(fit, k) + ": fixed at " + value +
                           " by equal bounds: no standard error or interval");
    }
  }

  std::vector<double> r(static_cast<std::size_t>(fit.npoints));
  model.residuals(a.best, r.data());
  a.runs = runs_test(r);
  if (a.runs && a.runs->p < 0.05) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "runs test: %d runs of residual signs, p = %.2g: the curve misses the data "
                  "systematically",
                  a.runs->runs, a.runs->p);
    a.warnings.push_back(text);
  }

  if (!(a.sigma > 0.0)) {
    a.warnings.push_back(
        "the fit is exact (no residual variance): no standard errors or intervals");
    return a;
  }
  if (const char* note = wald(model, a))
    a.warnings.push_back(note);

  bool lower_found = false;
  for (int k = 0; k < np && profiles; ++k) {
    if (model.fixed(k))
      continue;
    auto& row = a.parameters[static_cast<std::size_t>(k)];
    row.profile_lo = profile_end(model, a, k, -1.0, lower_found);
    row.profile_hi = profile_end(model, a, k, 1.0, lower_found);
    const std::string name = models::fit_parameter_name(fit, k);
    if (!row.profile_lo)
      a.warnings.push_back(name + ": lower 95 % limit not determined within its bounds");
    if (!row.profile_hi)
      a.warnings.push_back(name + ": upper 95 % limit not determined within its bounds");
  }
  if (lower_found && a.ssq > data_level)
    a.warnings.push_back(
        "profiling found a lower sum of squares than the best fit: the fit is "
        "not the global optimum");
  return a;
}

}  // namespace quillon::analysis
