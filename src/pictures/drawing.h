// A picture as a list of drawing primitives, built once by the plot code and written
// by each picture writer (svg.h, pdf.h). Coordinates are user units with the origin
// at the top left and Y downwards; colours are "#RRGGBB".
#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace quillon::pictures {

// "%.2f" (textio::formatted), "-0.00" spelled "0.00": every writer's numbers, so that
// the same drawing gives the same bytes on every platform.
std::string number(double v);

struct Point {
  double x = 0.0, y = 0.0;
};

struct Pen {
  std::string colour = "#000000";
  double width = 1.0;
  std::vector<double> dash;  // on, off, ... lengths; empty: solid
};

struct Line {
  Point from, to;
  Pen pen;
};

struct Polyline {
  std::vector<Point> points;
  Pen pen;
};

enum class Shape { circle, square, triangle, diamond, triangle_down, ring };

// A circle's and a ring's radius; the other shapes are polygons.
inline constexpr double marker_radius = 3.5;
// The corners of a polygon shape centred at `at`, in drawing order.
std::vector<Point> marker_corners(Shape shape, Point at);

// A data point's symbol centred at `at`; a ring is white inside.
struct Marker {
  Shape shape = Shape::circle;
  Point at;
  std::string colour;
  bool faint = false;  // drawn at 30% opacity, behind the replicates' means
};

struct Rect {
  double x = 0.0, y = 0.0, width = 0.0, height = 0.0;
  std::string fill;    // empty: not filled
  std::string stroke;  // empty: no outline; a 1-unit line
};

enum class Anchor { start, middle, end };

// Text on its baseline at `at`; `upward` turns it a quarter anticlockwise about `at`.
struct Text {
  Point at;
  std::string text;  // UTF-8
  double size = 11.0;
  Anchor anchor = Anchor::start;
  bool upward = false;
  bool bold = false;
  std::string colour = "#000000";
};

// What follows, up to the matching ClipEnd, is drawn only inside the rectangle.
struct ClipBegin {
  double x = 0.0, y = 0.0, width = 0.0, height = 0.0;
};
struct ClipEnd {};

using Primitive = std::variant<Line, Polyline, Marker, Rect, Text, ClipBegin, ClipEnd>;

struct Drawing {
  double width = 0.0, height = 0.0;
  std::vector<Primitive> items;  // in painting order

  template <class T>
  void add(T item) {
    items.emplace_back(std::move(item));
  }
};

}  // namespace quillon::pictures
