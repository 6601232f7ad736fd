#include "report/fit_report.h"

#include "report/plot2scrn.h"

namespace quillon::report {

std::vector<ResidualRow> write_residual_table(textio::Console& console, models::FitState& fit,
                                              const Objective& objective) {
  const int n = fit.npoints;
  // A global fit's rows name their data set, numbered from 1.
  const auto& sets = fit.global.sets;
  if (sets.empty()) {
    console.write("(A5,4A20)", "Pt", "X", "Ycalc", "Yobs", "Residual");
    console.write("(A5,4A20)", "--", "-----", "-----", "----", "--------");
  } else {
    console.write("(A5,A5,4A20)", "Pt", "Set", "X", "Ycalc", "Yobs", "Residual");
    console.write("(A5,A5,4A20)", "--", "---", "-----", "-----", "----", "--------");
  }
  // After the search ycalc holds its last trial: evaluate again at the best fit.
  objective(std::span<const double>(fit.pbest.data(), static_cast<std::size_t>(fit.np)));
  std::vector<ResidualRow> rows;
  rows.reserve(static_cast<std::size_t>(n));
  std::size_t set = 0;
  for (int i = 0; i < n; ++i) {
    const double yc = fit.ycalc[i];
    const double yo = fit.y1[i];
    if (sets.empty()) {
      console.write("(I5,4F20.6)", i + 1, fit.x1[i], yc, yo, yo - yc);
    } else {
      while (set + 1 < sets.size() && static_cast<std::size_t>(i) >= sets[set].end)
        ++set;
      console.write("(I5,I5,4F20.6)", i + 1, static_cast<int>(set) + 1, fit.x1[i], yc, yo, yo - yc);
    }
    rows.push_back({fit.x1[i], yc, yo, yo - yc});
  }
  return rows;
}

ReportResult fit_report(textio::Console& console, models::FitState& fit, const Objective& objective,
                        const SamplingSettings& sampling) {
  const auto n = static_cast<std::size_t>(fit.npoints);
  ReportResult result;
  result.residuals = write_residual_table(console, fit, objective);
  for (const ResidualRow& row : result.residuals)
    result.ssq0 += (row.ycalc - row.yobs) * (row.ycalc - row.yobs);
  fit.ssq0 = result.ssq0;
  result.wssq0 = result.ssq0;
  if (!fit.weights.empty()) {
    result.wssq0 = 0.0;
    for (std::size_t i = 0; i < result.residuals.size(); ++i) {
      const ResidualRow& row = result.residuals[i];
      result.wssq0 += fit.weights[i] * ((row.ycalc - row.yobs) * (row.ycalc - row.yobs));
    }
  }
  fit.wssq0 = result.wssq0;
  plot2scrn_mod::plot2scrn(console, fit.model_name, std::span<const double>(fit.x1.data(), n),
                           std::span<const double>(fit.y1.data(), n),
                           std::span<const double>(fit.ycalc.data(), n));
  result.uncertainty = estimate_uncertainty(console, fit, objective, sampling);
  return result;
}

ReportResult fit_report(textio::Console& console, models::FitState& fit,
                        models::ModelEvaluator& evaluator, const SamplingSettings& sampling) {
  return fit_report(
      console, fit,
      [&](std::span<const double> p) { return models::ssq_objfun(fit, evaluator, p); }, sampling);
}

}  // namespace quillon::report
