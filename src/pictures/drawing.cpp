#include "pictures/drawing.h"

#include "textio/text_utils.h"

namespace quillon::pictures {

std::string number(double v) {
  std::string text = textio::formatted("%.2f", v);
  // "-0.00" and "0.00" are the same point; one spelling keeps outputs comparable.
  return text == "-0.00" ? "0.00" : text;
}

std::vector<Point> marker_corners(Shape shape, Point at) {
  std::vector<Point> offsets;
  switch (shape) {
  case Shape::square: offsets = {{-3.2, -3.2}, {3.2, -3.2}, {3.2, 3.2}, {-3.2, 3.2}}; break;
  case Shape::triangle: offsets = {{0, -4.5}, {4, 3}, {-4, 3}}; break;
  case Shape::diamond: offsets = {{0, -4.5}, {4.5, 0}, {0, 4.5}, {-4.5, 0}}; break;
  case Shape::triangle_down: offsets = {{0, 4.5}, {4, -3}, {-4, -3}}; break;
  case Shape::circle:
  case Shape::ring: break;
  }
  for (Point& p : offsets)
    p = {at.x + p.x, at.y + p.y};
  return offsets;
}

}  // namespace quillon::pictures
