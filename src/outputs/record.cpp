#include "outputs/record.h"

#include <cstdio>

#include "models/catalogue.h"
#include "models/weighting.h"
#include "outputs/comparison_table.h"
#include "outputs/stats_text.h"
#include "pictures/pdf.h"
#include "pictures/plot.h"
#include "pictures/svg.h"

namespace quillon::outputs {
namespace {

pictures::Drawing comparison_picture(const std::string& title, const file_analysis::FileFit& fit) {
  std::vector<pictures::PlotCandidate> curves;
  for (const file_analysis::Candidate& c : fit.comparison->candidates) {
    char delta[32] = "n.d.";
    if (c.delta)
      std::snprintf(delta, sizeof delta, "%.1f", *c.delta);
    // Delta of the criterion the candidates were ranked by.
    const char* criterion = fit.comparison->by_aic ? "AIC " : "AICc ";
    curves.push_back(
        {models::short_name(c.model) + ", \xCE\x94" + criterion + delta, c.state, c.plotted});
  }
  return pictures::compare_plot(title, fit.state, curves);
}

}  // namespace

const Rendered* FileRecord::output(Output kind, int model) const {
  for (const Rendered& r : outputs) {
    if (r.kind == kind && r.model == model)
      return &r;
  }
  return nullptr;
}

void render(FileRecord& record, bool pdf) {
  file_analysis::FileFit& fit = record.fit;
  if (!fit.fitted)
    return;
  const std::string& shown = record.name;
  const std::vector<std::string>& names = fit.names;
  auto& out = record.outputs;
  out.push_back({Output::report, 0, std::move(fit.report)});
  std::vector<std::string> units;
  for (int k = 0; k < fit.np; ++k)
    units.push_back(models::parameter_unit(fit.model, k, fit.units.x1, fit.units.x2, fit.units.y));
  out.push_back(
      {Output::stats, 0,
       stats_text(shown, fit.model_name, names, fit.n, *fit.standard, fit.uncertainty, units,
                  fit.replicates ? &*fit.replicates : nullptr,
                  fit.weighting == models::Weighting::none ? std::string_view()
                                                           : models::weighting_name(fit.weighting),
                  fit.derived_asked ? derived_lines(fit.derived, fit.units.x1)
                                    : std::vector<std::string>(),
                  fit.review_warnings)});
  // Each picture drawn once, then written as SVG and, asked for, as PDF.
  const auto add_picture = [&](Output svg, Output document, const pictures::Drawing& drawing) {
    out.push_back({svg, 0, pictures::to_svg(drawing)});
    if (pdf)
      out.push_back({document, 0, pictures::to_pdf(drawing)});
  };
  add_picture(
      Output::picture, Output::document,
      pictures::fit_plot(shown + ": " + fit.model_name, fit.state, fit.plotted,
                         pictures::parameter_caption(names, fit.plotted, &*fit.standard, units)));
  if (record.diagnostic && models::find_model(fit.model)->double_reciprocal) {
    add_picture(Output::diagnostic_picture, Output::diagnostic_document,
                pictures::double_reciprocal_plot(shown + ": double-reciprocal diagnostic",
                                                 fit.state, fit.plotted));
  }
  if (fit.comparison) {
    out.push_back({Output::comparison_text, 0, compare_text(shown, *fit.comparison)});
    add_picture(Output::comparison_picture, Output::comparison_document,
                comparison_picture(shown + ": model comparison", fit));
    for (file_analysis::Candidate& c : fit.comparison->candidates) {
      out.push_back({Output::candidate_report, c.model, std::move(c.report)});
      c.state = {};
    }
  }
  fit.report.clear();
  fit.state = {};
}

}  // namespace quillon::outputs
