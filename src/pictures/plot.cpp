#include "pictures/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <sstream>

#include "models/model_evaluator.h"
#include "textio/console.h"
#include "textio/text_utils.h"

namespace quillon::pictures {
namespace {

// Okabe-Ito, yellow last: it is the palette's weakest on white.
constexpr const char* colours[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                   "#E69F00", "#56B4E9", "#000000", "#F0E442"};
constexpr Shape shapes[] = {Shape::circle,  Shape::square,        Shape::triangle,
                            Shape::diamond, Shape::triangle_down, Shape::ring};
const std::vector<double> dashes[] = {{}, {7, 3}, {2, 3}, {9, 3, 2, 3}, {14, 4}, {4, 2, 1, 2}};
constexpr const char* grey = "#999999";
constexpr const char* black = "#000000";

// Layout, in user units: the panels' sides, then what sits around them.
namespace layout {
constexpr double width = 780, height = 600;
constexpr double left = 80, right = 540, top = 50;
constexpr double bottom = 490;       // of the lowest panel
constexpr double main_bottom = 380;  // above a residual panel
constexpr double residual_top = 400;
constexpr double title_y = 28, x_title_y = 522, y_title_x = 24;
constexpr double caption_y = 556, note_y = 578;
constexpr double tick_label_below = 15, tick_label_gap = 6, tick_label_drop = 4;
constexpr double legend_x = 556, legend_first = 10, legend_step = 20;
constexpr double legend_line = 30, legend_text = 38, legend_drop = 4;
constexpr double title_size = 15, axis_title_size = 13, caption_size = 12, label_size = 11;
constexpr double note_size = 10;
constexpr double curve_width = 1.8, bar_width = 1.2, bar_half = 4;
constexpr const char* gridline = "#DDDDDD";
constexpr const char* note_colour = "#555555";
}  // namespace layout

struct Frame {
  Axis axis_x, axis_y;
  double x0, x1, y0, y1;  // panel corners: y0 top
  // Far-off values would only make huge numbers; the clip hides them anyway.
  double px(double v) const { return std::clamp(x0 + (x1 - x0) * at(axis_x, v), -1.0e4, 1.0e4); }
  double py(double v) const { return std::clamp(y1 - (y1 - y0) * at(axis_y, v), -1.0e4, 1.0e4); }
  // Where a point goes; nothing when a value is not finite or the axis cannot place it
  // (not positive on a log axis).
  std::optional<Point> place(double x, double y) const {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(at(axis_x, x)) ||
        !std::isfinite(at(axis_y, y)))
      return std::nullopt;
    return Point{px(x), py(y)};
  }
  static double at(const Axis& a, double v) {
    if (a.log)
      return (std::log10(v) - std::log10(a.lo)) / (std::log10(a.hi) - std::log10(a.lo));
    // Halves where the width overflows: ends near -/+DBL_MAX.
    const double span = a.hi - a.lo;
    return std::isfinite(span) ? (v - a.lo) / span : (v / 2 - a.lo / 2) / (a.hi / 2 - a.lo / 2);
  }
  ClipBegin clip() const { return {x0, y0, x1 - x0, y1 - y0}; }
};

Pen curve_pen(const std::string& colour, int style) {
  return {colour, layout::curve_width, dashes[style % std::size(dashes)]};
}

Marker marker(int style, Point at, const std::string& colour, bool faint = false) {
  return {shapes[style % std::size(shapes)], at, colour, faint};
}

void add_text(Drawing& d, Text t) {
  if (!t.text.empty())
    d.add(std::move(t));
}

void polyline(Drawing& d, const Frame& f, const std::vector<double>& x,
              const std::vector<double>& y, const Pen& pen) {
  // A value the model cannot give (a pole, an overflow) breaks the line.
  Polyline line{{}, pen};
  const auto flush = [&] {
    if (line.points.size() > 1)
      d.add(line);
    line.points.clear();
  };
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (const auto at = f.place(x[i], y[i]))
      line.points.push_back(*at);
    else
      flush();
  }
  flush();
}

// Grid lines, tick labels and the panel's frame; X tick labels only on the lowest panel.
void axes(Drawing& d, const Frame& f, bool x_labels) {
  const Pen grid{layout::gridline, 1, {}};
  for (const double t : f.axis_x.ticks)
    d.add(Line{{f.px(t), f.y0}, {f.px(t), f.y1}, grid});
  for (const double t : f.axis_y.ticks)
    d.add(Line{{f.x0, f.py(t)}, {f.x1, f.py(t)}, grid});
  if (x_labels)
    for (const double t : f.axis_x.ticks)
      add_text(d, {{f.px(t), f.y1 + layout::tick_label_below},
                   textio::formatted("%g", t),
                   layout::label_size,
                   Anchor::middle});
  for (const double t : f.axis_y.ticks)
    add_text(d, {{f.x0 - layout::tick_label_gap, f.py(t) + layout::tick_label_drop},
                 textio::formatted("%g", t),
                 layout::label_size,
                 Anchor::end});
  d.add(Rect{f.x0, f.y0, f.x1 - f.x0, f.y1 - f.y0, "", black});
}

void extend(double& lo, double& hi, const std::vector<double>& v) {
  for (const double x : v)
    if (std::isfinite(x)) {
      lo = std::min(lo, x);
      hi = std::max(hi, x);
    }
}

// The model at each (x1[i], x2[i]) through a copy of the fit whose observations are
// these rows.
std::vector<double> evaluate(const models::FitState& fit, std::span<const double> p,
                             const std::vector<double>& x1, const std::vector<double>& x2) {
  models::FitState at = fit;
  const std::size_t n = x1.size();
  at.npoints = static_cast<int>(n);
  at.x1 = x1;
  at.x2 = x2;
  at.x3.assign(n, 0.0);
  at.y1.assign(n, 0.0);
  at.ycalc.assign(n, 0.0);
  at.weights.clear();  // the observations' weights: not these rows'
  std::istringstream none;
  std::ostringstream ignored;
  textio::Console console(none, ignored);
  models::ModelEvaluator evaluator(console);
  models::ssq_objfun(at, evaluator, p);
  at.ycalc.resize(n);
  return at.ycalc;
}

// The model at the fit's own observations.
std::vector<double> fitted_values(const models::FitState& fit, std::span<const double> p) {
  const auto n = static_cast<std::size_t>(fit.npoints);
  const std::vector<double> x1(fit.x1.begin(), fit.x1.begin() + fit.npoints);
  const std::vector<double> x2 =
      fit.nx >= 2 ? std::vector<double>(fit.x2.begin(), fit.x2.begin() + fit.npoints)
                  : std::vector<double>(n, 0.0);
  return evaluate(fit, p, x1, x2);
}

// The observations' X2 levels: one level (0) without an inhibitor column.
std::vector<double> levels_of(const models::FitState& fit) {
  if (fit.nx < 2)
    return {0.0};
  std::vector<double> levels(fit.x2.begin(), fit.x2.begin() + fit.npoints);
  std::sort(levels.begin(), levels.end());
  levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
  return levels;
}

struct Grid {
  std::vector<double> x;
  int left_out = 0;  // observations with X1 <= 0 on a log axis
  bool log = false;
};

// A few hundred X1 values across the observations' range, evenly spaced on the axis.
Grid grid_of(const models::FitState& fit) {
  const std::span<const double> x1(fit.x1.data(), static_cast<std::size_t>(fit.npoints));
  Grid g;
  g.log = wants_log_axis(x1);
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const double x : x1) {
    if (g.log && x <= 0) {
      ++g.left_out;
      continue;
    }
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  }
  constexpr int steps = 300;
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    // The other forms where hi / lo or hi - lo overflows: extreme but finite data.
    if (g.log)
      g.x.push_back(std::isfinite(hi / lo)
                        ? lo * std::pow(hi / lo, t)
                        : std::pow(10.0, std::lerp(std::log10(lo), std::log10(hi), t)));
    else
      g.x.push_back(std::isfinite(hi - lo) ? lo + (hi - lo) * t : lo * (1 - t) + hi * t);
  }
  return g;
}

std::string note_of(const Grid& g) {
  if (g.left_out == 0)
    return {};
  return std::to_string(g.left_out) + (g.left_out == 1 ? " point" : " points") +
         " with [S] <= 0 not shown on the log axis";
}

// The palette tells eight levels apart. Past that, eight spread over the levels keep
// their own colours, curves and legend entries and the others' observations go grey
// into one series without curves: a picture that stays readable and small.
std::vector<bool> own_styles(std::size_t levels) {
  constexpr std::size_t n = std::size(colours);
  std::vector<bool> own(levels, levels <= n);
  if (levels > n)
    for (std::size_t j = 0; j < n; ++j)
      own[(j * (levels - 1) + (n - 1) / 2) / (n - 1)] = true;
  return own;
}

PlotSeries others(const std::vector<bool>& own) {
  PlotSeries s;
  s.grey = true;
  const auto count = std::count(own.begin(), own.end(), false);
  if (count > 0)
    s.label = "other [I]: " + std::to_string(count) + " levels";
  return s;
}

}  // namespace

bool wants_log_axis(std::span<const double> x) {
  double lo = std::numeric_limits<double>::infinity(), hi = 0.0;
  for (const double v : x)
    if (v > 0) {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  return hi > 0 && hi / lo > 100.0;
}

Axis make_axis(double lo, double hi, bool log) {
  constexpr double big = std::numeric_limits<double>::max();
  Axis a;
  a.log = log;
  if (log) {
    if (!(lo > 0 && lo <= big))
      lo = 1;
    if (!(hi >= lo && hi <= big))
      hi = lo;
    // Decade ends; a range within one decade still gets two ticks. 10^-323 is the least
    // power of ten above zero in double precision.
    const int k0 = static_cast<int>(std::clamp(std::floor(std::log10(lo) + 1e-9), -323.0, 307.0));
    const int k1 = static_cast<int>(std::clamp(std::ceil(std::log10(hi) - 1e-9), k0 + 1.0, 308.0));
    // Beyond ten decades six or seven ticks, a few decades apart, so that the labels
    // stay apart; the upper end always, without a tick too close below it.
    const int decades = k1 - k0, stride = decades <= 10 ? 1 : (decades + 5) / 6;
    for (int k = k0; k < k1; k += stride)
      if (k == k0 || k1 - k >= (stride + 1) / 2)
        a.ticks.push_back(std::pow(10.0, k));
    a.ticks.push_back(std::pow(10.0, k1));
    // Past the least or largest power of ten the end has no tick.
    a.lo = k0 == -323 ? std::min(a.ticks.front(), lo) : a.ticks.front();
    a.hi = k1 == 308 ? std::max(a.ticks.back(), hi) : a.ticks.back();
    return a;
  }
  if (!std::isfinite(lo) || !std::isfinite(hi))
    lo = hi = 0;
  // One value, or values a few ulps apart (their step would be too small to count
  // ticks by): a range around the value. Half widths, as hi - lo may overflow.
  const double half = hi / 2 - lo / 2;
  if (!(half >= 5e-10 * std::max(std::abs(lo), std::abs(hi))) ||
      !(half >= std::numeric_limits<double>::min())) {
    const double pad =
        std::abs(lo) >= std::numeric_limits<double>::min() ? std::abs(lo) * 0.1 : 1.0;
    hi = std::min(lo + pad, big);
    lo = std::max(lo - pad, -big);
  }
  const double raw = std::isfinite(hi - lo) ? (hi - lo) / 5 : hi / 5 - lo / 5;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double f = raw / magnitude;
  const double step = (f <= 1 + 1e-9 ? 1 : f <= 2 + 1e-9 ? 2 : f <= 5 + 1e-9 ? 5 : 10) * magnitude;
  // Ticks as whole multiples of the step: no drift from repeated sums. The range is at
  // least 1e-9 of the values, so k stays below 1e10 and counts exactly; a few steps
  // span it.
  const double k0 = std::floor(lo / step + 1e-9), k1 = std::ceil(hi / step - 1e-9);
  const auto tick = [step](double k) { return k == 0 ? 0.0 : k * step; };
  const int n = k1 - k0 < 100 ? static_cast<int>(k1 - k0) : 100;
  for (int j = 0; j <= n; ++j)
    if (const double t = tick(k0 + j); std::abs(t) <= big)
      a.ticks.push_back(t);
  // An end past the largest double: the data still fit, the end has no tick.
  a.lo = std::max(tick(k0), -big);
  a.hi = std::min(tick(k1), big);
  return a;
}

namespace {

std::string colour_of(const PlotSeries& s) {
  return s.grey ? grey : colours[s.style % std::size(colours)];
}

struct Panels {
  Frame main, residuals;
};

// The panels' axes over every series' values; the residual panel shares main's X axis.
Panels panels(const PlotData& plot) {
  using namespace layout;
  double xlo = std::numeric_limits<double>::infinity(), xhi = -xlo;
  double ylo = 0.0, yhi = 0.0;  // rates: the zero stays in view
  double rlo = 0.0, rhi = 0.0;
  for (const PlotSeries& s : plot.series) {
    extend(xlo, xhi, s.x);
    extend(ylo, yhi, s.y);
    extend(rlo, rhi, s.residual);
    for (std::size_t k = 0; k < s.curve_x.size(); ++k) {
      extend(xlo, xhi, s.curve_x[k]);
      extend(ylo, yhi, s.curve_y[k]);
    }
  }
  if (!(xhi >= xlo))
    xlo = xhi = plot.log_x ? 1.0 : 0.0;
  // No observation on the frame: each range widened by a few per cent of itself (on a
  // log axis, of its decades).
  const auto pad = [](double& lo, double& hi, bool log) {
    constexpr double share = 0.03;
    if (log && lo > 0.0 && hi > lo && std::isfinite(hi / lo)) {
      const double factor = std::pow(hi / lo, share);
      lo /= factor;
      hi *= factor;
    } else if (!log && hi > lo && std::isfinite(hi - lo)) {
      const double width = (hi - lo) * share;
      // A range of positive values does not cross zero for the padding.
      lo = lo >= 0.0 ? std::max(0.0, lo - width) : lo - width;
      hi = hi <= 0.0 ? std::min(0.0, hi + width) : hi + width;
    }
  };
  pad(xlo, xhi, plot.log_x);
  pad(ylo, yhi, false);
  pad(rlo, rhi, false);
  const Axis x = make_axis(xlo, xhi, plot.log_x);
  return {
      {x, make_axis(ylo, yhi, false), left, right, top, plot.residual_panel ? main_bottom : bottom},
      {x, make_axis(rlo, rhi, false), left, right, residual_top, bottom}};
}

// A series' curves, points (faint behind their means, which carry error bars of one
// standard deviation) and residuals, each panel's clipped to it.
void draw_series(Drawing& d, const PlotSeries& s, const Frame& main, const Frame* residuals) {
  const std::string colour = colour_of(s);
  const std::string point_colour = s.black ? black : colour;
  d.add(main.clip());
  for (std::size_t k = 0; k < s.curve_x.size(); ++k)
    polyline(d, main, s.curve_x[k], s.curve_y[k], curve_pen(colour, s.style));
  const bool means = !s.mean_x.empty();
  for (std::size_t i = 0; i < s.x.size(); ++i)
    if (const auto at = main.place(s.x[i], s.y[i]))
      d.add(marker(s.style, *at, point_colour, means));
  for (std::size_t i = 0; i < s.mean_x.size(); ++i) {
    const auto at = main.place(s.mean_x[i], s.mean_y[i]);
    if (!at)
      continue;
    if (s.sd[i] > 0 && std::isfinite(s.sd[i])) {
      const double lo = main.py(s.mean_y[i] - s.sd[i]), hi = main.py(s.mean_y[i] + s.sd[i]);
      const Pen bar{point_colour, layout::bar_width, {}};
      d.add(Line{{at->x, lo}, {at->x, hi}, bar});
      for (const double end : {lo, hi})
        d.add(Line{{at->x - layout::bar_half, end}, {at->x + layout::bar_half, end}, bar});
    }
    d.add(marker(s.style, *at, point_colour));
  }
  d.add(ClipEnd{});
  if (residuals != nullptr) {
    d.add(residuals->clip());
    for (std::size_t i = 0; i < s.residual.size(); ++i)
      if (const auto at = residuals->place(s.x[i], s.residual[i]))
        d.add(marker(s.style, *at, colour));
    d.add(ClipEnd{});
  }
}

// An entry per labelled series: its line and marker, as drawn, and its label.
void legend(Drawing& d, const std::vector<PlotSeries>& series) {
  using namespace layout;
  double y = top + legend_first;
  for (const PlotSeries& s : series) {
    if (s.label.empty())
      continue;
    const std::string colour = colour_of(s);
    if (!s.curve_x.empty())
      d.add(Line{{legend_x, y}, {legend_x + legend_line, y}, curve_pen(colour, s.style)});
    if (!s.x.empty())
      d.add(marker(s.style, {legend_x + legend_line / 2, y}, s.black ? black : colour));
    add_text(d, {{legend_x + legend_text, y + legend_drop}, s.label, label_size});
    y += legend_step;
  }
}

}  // namespace

Drawing render_plot(const PlotData& plot) {
  using namespace layout;
  Drawing d{width, height, {}};
  d.add(Rect{0, 0, width, height, "#FFFFFF", ""});
  add_text(d, {{left, title_y}, plot.title, title_size});
  const Panels p = panels(plot);
  axes(d, p.main, !plot.residual_panel);
  if (plot.residual_panel) {
    const Frame& r = p.residuals;
    axes(d, r, true);
    d.add(Line{{r.x0, r.py(0)}, {r.x1, r.py(0)}, {black, 1, {}}});
  }
  add_text(d, {{(left + right) / 2, x_title_y}, plot.x_label, axis_title_size, Anchor::middle});
  const auto y_title = [&](const std::string& text, double mid) {
    add_text(d, {{y_title_x, mid}, text, axis_title_size, Anchor::middle, true});
  };
  y_title(plot.y_label, (p.main.y0 + p.main.y1) / 2);
  if (plot.residual_panel)
    y_title("residual", (p.residuals.y0 + p.residuals.y1) / 2);
  for (const bool greyed : {true, false})  // grey series first, beneath the others
    for (const PlotSeries& s : plot.series)
      if (s.grey == greyed)
        draw_series(d, s, p.main, plot.residual_panel ? &p.residuals : nullptr);
  legend(d, plot.series);
  add_text(d, {{left, caption_y}, plot.caption, caption_size});
  add_text(d, {{left, note_y}, plot.note, note_size, Anchor::start, false, false, note_colour});
  return d;
}

std::optional<std::string> profile_instead(const analysis::StandardAnalysis& standard,
                                           std::size_t k) {
  if (!standard.available || k >= standard.parameters.size())
    return std::nullopt;
  const analysis::ParameterStats& p = standard.parameters[k];
  if (p.fixed)
    return std::nullopt;
  const bool open = !p.profile_lo || !p.profile_hi;
  if (!open) {
    if (!p.wald_lo || !p.wald_hi)
      return std::nullopt;
    const double wald = *p.wald_hi - *p.wald_lo;
    const double profile = *p.profile_hi - *p.profile_lo;
    if (!(profile > 2.0 * wald || 2.0 * profile < wald))
      return std::nullopt;
  }
  const auto end = [](const std::optional<double>& v) {
    return v ? textio::formatted("%.3g", *v) : std::string("not determined");
  };
  return "95 % profile interval " + end(p.profile_lo) + " to " + end(p.profile_hi);
}

std::string parameter_caption(const std::vector<std::string>& names, std::span<const double> best,
                              const analysis::StandardAnalysis* standard,
                              const std::vector<std::string>& units) {
  std::string caption;
  bool with_se = false;
  for (std::size_t k = 0; k < names.size() && k < best.size(); ++k) {
    const std::string unit = k < units.size() && !units[k].empty() ? " " + units[k] : "";
    caption += (caption.empty() ? "" : ", ") + names[k] + " = ";
    // An interval far from symmetric, or open, says more than a standard error.
    if (const auto profile = standard ? profile_instead(*standard, k) : std::nullopt) {
      caption += textio::formatted("%.3g", best[k]) + unit + ", " + *profile;
      continue;
    }
    std::optional<double> se;
    if (standard && k < standard->parameters.size())
      se = standard->parameters[k].se;
    if (se && std::isfinite(*se) && *se > 0) {
      const int decimals = std::clamp(1 - static_cast<int>(std::floor(std::log10(*se))), 0, 12);
      char pattern[16];
      std::snprintf(pattern, sizeof pattern, "%%.%df", decimals);
      caption +=
          textio::formatted(pattern, best[k]) + " \xC2\xB1 " + textio::formatted(pattern, *se);
    } else {
      caption += textio::formatted("%.4g", best[k]) + " \xC2\xB1 n.d.";
    }
    caption += unit;
    with_se = true;
  }
  return with_se ? caption + " (\xC2\xB1 SE)" : caption;
}

namespace {

std::string with_unit(std::string title, const std::string& unit) {
  return unit.empty() ? title : title + " (" + unit + ")";
}

// The axes by the table's column names, else by the model: X1 is an inhibitor's
// concentration for a tight binder and a dose for a falling dose-response curve.
void label_axes(PlotData& plot, const models::FitState& fit, std::span<const double> p) {
  const models::Units& units = fit.units;
  const models::Model* model = models::find_model(fit.model);
  bool falls = model != nullptr && model->shape == models::Shape::falling;
  for (int k = 0; model != nullptr && model->shape == models::Shape::either && k < model->np; ++k) {
    const auto u = static_cast<std::size_t>(k);
    if (model->parameters[u].role == models::Role::hill_coefficient && u < p.size())
      falls = p[u] < 0.0;
  }
  std::string x = "[S]";
  if (falls)
    x = model->shape == models::Shape::falling ? "[I]" : "dose";
  plot.x_label = with_unit(units.x1_name.empty() ? x : units.x1_name, units.x1);
  plot.y_label = with_unit(units.y_name.empty() ? "v" : units.y_name, units.y);
}

std::string level_label(double level, const models::Units& units) {
  return "[I] = " + textio::formatted("%g", level) + (units.x2.empty() ? "" : " " + units.x2);
}

// Each X's mean and standard deviation where some X of the series has replicates.
// The observations come in ascending X (the prepared order), so equal X are adjacent.
void add_means(PlotSeries& s) {
  bool replicated = false;
  for (std::size_t i = 0, j = 0; i < s.x.size(); i = j) {
    for (j = i + 1; j < s.x.size() && s.x[j] == s.x[i];)
      ++j;
    double sum = 0.0;
    for (std::size_t k = i; k < j; ++k)
      sum += s.y[k];
    const double mean = sum / static_cast<double>(j - i);
    double squares = 0.0;
    for (std::size_t k = i; k < j; ++k)
      squares += (s.y[k] - mean) * (s.y[k] - mean);
    s.mean_x.push_back(s.x[i]);
    s.mean_y.push_back(mean);
    s.sd.push_back(j - i > 1 ? std::sqrt(squares / static_cast<double>(j - i - 1)) : 0.0);
    replicated = replicated || j - i > 1;
  }
  if (!replicated) {
    s.mean_x.clear();
    s.mean_y.clear();
    s.sd.clear();
  }
}

// The observations at one inhibitor level (all of them for a model without X2),
// leaving out those a log axis cannot place; with their residuals when `fitted` is given.
void add_observations(PlotSeries& into, const models::FitState& fit, double level, bool log,
                      const std::vector<double>* fitted) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(fit.npoints); ++i) {
    if ((fit.nx < 2 || fit.x2[i] == level) && !(log && fit.x1[i] <= 0)) {
      into.x.push_back(fit.x1[i]);
      into.y.push_back(fit.y1[i]);
      if (fitted != nullptr)
        into.residual.push_back(fit.y1[i] - (*fitted)[i]);
    }
  }
  add_means(into);
}

}  // namespace

Drawing fit_plot(const std::string& title, const models::FitState& fit, std::span<const double> p,
                 const std::string& caption) {
  const Grid grid = grid_of(fit);
  const std::vector<double> fitted = fitted_values(fit, p);
  PlotData plot;
  plot.title = title;
  plot.caption = caption;
  plot.note = note_of(grid);
  plot.log_x = grid.log;
  plot.residual_panel = true;
  label_axes(plot, fit, p);
  const std::vector<double> levels = levels_of(fit);
  const std::vector<bool> own = own_styles(levels.size());
  PlotSeries rest = others(own);
  int style = 0;
  for (std::size_t k = 0; k < levels.size(); ++k) {
    PlotSeries s;
    PlotSeries& into = own[k] ? s : rest;
    add_observations(into, fit, levels[k], grid.log, &fitted);
    if (!own[k])
      continue;
    s.style = style++;
    if (fit.nx >= 2)
      s.label = level_label(levels[k], fit.units);
    s.curve_x.push_back(grid.x);
    s.curve_y.push_back(evaluate(fit, p, grid.x, std::vector<double>(grid.x.size(), levels[k])));
    plot.series.push_back(std::move(s));
  }
  if (!rest.label.empty())
    plot.series.push_back(std::move(rest));
  return render_plot(plot);
}

Drawing compare_plot(const std::string& title, const models::FitState& fit,
                     const std::vector<PlotCandidate>& candidates) {
  const Grid grid = grid_of(fit);
  PlotData plot;
  plot.title = title;
  plot.note = note_of(grid);
  plot.log_x = grid.log;
  label_axes(plot, fit, fit.pbest);
  const std::vector<double> levels = levels_of(fit);
  const std::vector<bool> own = own_styles(levels.size());
  PlotSeries rest = others(own);
  int style = 0;
  for (std::size_t k = 0; k < levels.size(); ++k) {
    PlotSeries s;
    PlotSeries& into = own[k] ? s : rest;
    add_observations(into, fit, levels[k], grid.log, nullptr);
    if (!own[k])
      continue;
    s.style = style++;
    s.black = true;
    s.label = fit.nx >= 2 ? level_label(levels[k], fit.units) : "observed";
    plot.series.push_back(std::move(s));
  }
  if (!rest.label.empty())
    plot.series.push_back(std::move(rest));
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    PlotSeries s;
    s.style = static_cast<int>(c);
    s.label = candidates[c].label;
    for (std::size_t k = 0; k < levels.size(); ++k) {
      if (!own[k])
        continue;
      const double level = levels[k];
      s.curve_x.push_back(grid.x);
      s.curve_y.push_back(evaluate(candidates[c].fit, candidates[c].p, grid.x,
                                   std::vector<double>(grid.x.size(), level)));
    }
    plot.series.push_back(std::move(s));
  }
  return render_plot(plot);
}

Drawing global_plot(const std::string& title, const std::vector<PlotSet>& sets,
                    const std::string& caption) {
  // One grid over every set's observations, so that the curves can be compared.
  models::FitState all = sets.front().fit;
  all.x1.clear();
  for (const PlotSet& set : sets)
    all.x1.insert(all.x1.end(), set.fit.x1.begin(), set.fit.x1.begin() + set.fit.npoints);
  all.npoints = static_cast<int>(all.x1.size());
  const Grid grid = grid_of(all);
  PlotData plot;
  plot.title = title;
  plot.caption = caption;
  plot.note = note_of(grid);
  plot.log_x = grid.log;
  plot.residual_panel = true;
  label_axes(plot, all, sets.front().p);
  for (std::size_t k = 0; k < sets.size(); ++k) {
    const models::FitState& fit = sets[k].fit;
    const std::vector<double> fitted = fitted_values(fit, sets[k].p);
    PlotSeries s;
    s.style = static_cast<int>(k);
    s.label = sets[k].label;
    // A set's inhibitor levels share its colour: a curve each.
    for (const double level : levels_of(fit)) {
      PlotSeries at;
      add_observations(at, fit, level, grid.log, &fitted);
      for (auto [to, from] : {std::pair{&s.x, &at.x},
                              {&s.y, &at.y},
                              {&s.residual, &at.residual},
                              {&s.mean_x, &at.mean_x},
                              {&s.mean_y, &at.mean_y},
                              {&s.sd, &at.sd}})
        to->insert(to->end(), from->begin(), from->end());
      s.curve_x.push_back(grid.x);
      s.curve_y.push_back(
          evaluate(fit, sets[k].p, grid.x, std::vector<double>(grid.x.size(), level)));
    }
    plot.series.push_back(std::move(s));
  }
  return render_plot(plot);
}

Drawing double_reciprocal_plot(const std::string& title, const models::FitState& fit,
                               std::span<const double> p) {
  PlotData plot;
  plot.title = title;
  plot.note =
      "A diagnostic of the nonlinear fit: the lines are its curves in 1/[S] and 1/v, "
      "not a fit of their own";
  const models::Units& units = fit.units;
  plot.x_label = "1/" + (units.x1_name.empty() ? std::string("[S]") : units.x1_name) +
                 (units.x1.empty() ? "" : " (1/" + units.x1 + ")");
  plot.y_label = "1/" + (units.y_name.empty() ? std::string("v") : units.y_name) +
                 (units.y.empty() ? "" : " (1/(" + units.y + "))");
  const auto n = static_cast<std::size_t>(fit.npoints);
  double largest = 0.0;  // of 1/X1
  for (std::size_t i = 0; i < n; ++i) {
    if (fit.x1[i] > 0.0)
      largest = std::max(largest, 1.0 / fit.x1[i]);
  }
  // From near the axis (a large X1) to a little past the smallest X1.
  constexpr int steps = 100;
  std::vector<double> u, x1;
  for (int k = 0; k <= steps; ++k) {
    u.push_back(largest * (0.01 + 1.04 * k / steps));
    x1.push_back(1.0 / u.back());
  }
  const std::vector<double> levels = levels_of(fit);
  const std::vector<bool> own = own_styles(levels.size());
  int style = 0;
  for (std::size_t k = 0; k < levels.size(); ++k) {
    if (!own[k])
      continue;
    PlotSeries s;
    s.style = style++;
    if (fit.nx >= 2)
      s.label = level_label(levels[k], units);
    for (std::size_t i = 0; i < n; ++i) {
      const bool at_level = fit.nx < 2 || fit.x2[i] == levels[k];
      if (at_level && fit.x1[i] > 0.0 && fit.y1[i] > 0.0) {
        s.x.push_back(1.0 / fit.x1[i]);
        s.y.push_back(1.0 / fit.y1[i]);
      }
    }
    const std::vector<double> f = evaluate(fit, p, x1, std::vector<double>(x1.size(), levels[k]));
    std::vector<double> line_x, line_y;  // where the model is positive
    for (std::size_t i = 0; i < f.size(); ++i) {
      if (f[i] > 0.0) {
        line_x.push_back(u[i]);
        line_y.push_back(1.0 / f[i]);
      }
    }
    s.curve_x.push_back(line_x);
    s.curve_y.push_back(line_y);
    plot.series.push_back(std::move(s));
  }
  return render_plot(plot);
}

}  // namespace quillon::pictures
