// Pictures of a fit: the observations with the fitted curve (one series per inhibitor
// level) over a residual panel, and a comparison's candidate curves over the data.
// Curves come from the program's own model evaluation, never from formulas of their own.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/standard_analysis.h"
#include "models/fit_state.h"
#include "pictures/drawing.h"

namespace quillon::pictures {

struct Axis {
  double lo = 0.0, hi = 1.0;  // ends, at ticks
  bool log = false;
  std::vector<double> ticks;  // 1, 2, 5 x 10^k steps; decades on a log axis
};

// True when the positive values span more than two decades.
bool wants_log_axis(std::span<const double> x);
// An axis holding [lo, hi]; a log axis needs lo > 0.
Axis make_axis(double lo, double hi, bool log);

struct PlotSeries {
  std::string label;                                  // legend text; no entry when empty
  int style = 0;                                      // colour, marker and dash
  bool black = false;                                 // points whose colours are left to the curves
  bool grey = false;                                  // levels past the palette's: behind the rest
  std::vector<double> x, y, residual;                 // observations (residual may be empty)
  std::vector<std::vector<double>> curve_x, curve_y;  // polylines
  // Replicates: each X's mean with one standard deviation (0: a single observation);
  // the single points are then drawn faint behind them.
  std::vector<double> mean_x, mean_y, sd;
};

struct PlotData {
  std::string title, caption, note;
  std::string x_label = "[S]", y_label = "v";
  std::vector<PlotSeries> series;
  bool residual_panel = false;
  bool log_x = false;  // as the curves' X1 grid was spaced
};

// The picture, for any writer (svg.h, pdf.h).
Drawing render_plot(const PlotData& plot);

// "Km = 2.466 ± 0.075 mM, Vmax = 11.94 ± 0.10 (± SE)": the standard error to two
// significant digits and the value to its last decimal, then the unit where `units` has
// one; "n.d." for an undetermined error. Where the 95 % profile interval is open or more
// than twice as wide (or narrow) as the Wald one, it stands in place of the standard
// error: "Km = 5.74 mM, 95 % profile interval 2.24 to 468".
// That interval's words for parameter k where it stands in place of the standard error.
std::optional<std::string> profile_instead(const analysis::StandardAnalysis& standard,
                                           std::size_t k);

std::string parameter_caption(const std::vector<std::string>& names, std::span<const double> best,
                              const analysis::StandardAnalysis* standard,
                              const std::vector<std::string>& units = {});

// The fit's observations (a prepared, fitted state) and its curve at parameters p; the
// axis titles carry the state's units.
Drawing fit_plot(const std::string& title, const models::FitState& fit, std::span<const double> p,
                 const std::string& caption);

struct PlotCandidate {
  std::string label;
  models::FitState fit;  // prepared for the candidate's model
  std::vector<double> p;
};

Drawing compare_plot(const std::string& title, const models::FitState& fit,
                     const std::vector<PlotCandidate>& candidates);

// The fit of a model whose curves are straight in 1/X1 against 1/Y, drawn so: the
// observations and the fitted curves transformed, a line per inhibitor level; a
// diagnostic, labelled as one, never a fit of its own.
Drawing double_reciprocal_plot(const std::string& title, const models::FitState& fit,
                               std::span<const double> p);

// One data set of a global fit: its own prepared fit and the model's parameters the
// global fit gives it.
struct PlotSet {
  std::string label;
  models::FitState fit;
  std::vector<double> p;
};

// Every set's observations and curve, a colour each, over one residual panel.
Drawing global_plot(const std::string& title, const std::vector<PlotSet>& sets,
                    const std::string& caption);

}  // namespace quillon::pictures
