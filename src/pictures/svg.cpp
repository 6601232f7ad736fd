#include "pictures/svg.h"

#include <initializer_list>
#include <string_view>
#include <utility>

#include "textio/text_utils.h"

namespace quillon::pictures {
namespace {

using Attributes = std::initializer_list<std::pair<std::string_view, std::string>>;

class Writer {
 public:
  explicit Writer(const Drawing& d) {
    const std::string w = number(d.width), h = number(d.height);
    out_.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n")
        .append("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"")
        .append(w)
        .append("\" height=\"")
        .append(h)
        .append("\" viewBox=\"0 0 ")
        .append(w)
        .append(" ")
        .append(h)
        .append("\" font-family=\"Helvetica, Arial, sans-serif\">\n");
  }

  // <name a="v" ...>text</name>, or <name .../> without text; empty values left out.
  void element(std::string_view name, Attributes attributes, std::string_view text = {}) {
    start_tag(name, attributes);
    if (text.empty()) {
      out_ += "/>\n";
      return;
    }
    out_.append(">").append(textio::markup_escaped(text, true)).append("</");
    out_.append(name).append(">\n");
  }
  void open(std::string_view name, Attributes attributes) {
    start_tag(name, attributes);
    out_ += ">\n";
  }
  void close(std::string_view name) { out_.append("</").append(name).append(">\n"); }

  void operator()(const Line& l) {
    element("line", {{"x1", number(l.from.x)},
                     {"y1", number(l.from.y)},
                     {"x2", number(l.to.x)},
                     {"y2", number(l.to.y)},
                     {"stroke", l.pen.colour},
                     {"stroke-width", number(l.pen.width)},
                     {"stroke-dasharray", dash(l.pen)}});
  }
  void operator()(const Polyline& p) {
    std::string points;
    for (const Point& at : p.points)
      points.append(points.empty() ? "" : " ")
          .append(number(at.x))
          .append(",")
          .append(number(at.y));
    element("polyline", {{"points", points},
                         {"fill", "none"},
                         {"stroke", p.pen.colour},
                         {"stroke-width", number(p.pen.width)},
                         {"stroke-dasharray", dash(p.pen)}});
  }
  void operator()(const Marker& m) {
    const std::string opacity = m.faint ? "0.3" : "";
    if (m.shape == Shape::circle || m.shape == Shape::ring) {
      const bool ring = m.shape == Shape::ring;
      element("circle", {{"cx", number(m.at.x)},
                         {"cy", number(m.at.y)},
                         {"r", number(marker_radius)},
                         {"fill", ring ? "#FFFFFF" : m.colour},
                         {"stroke", ring ? m.colour : ""},
                         {"stroke-width", ring ? "1.5" : ""},
                         {"opacity", opacity}});
      return;
    }
    std::string points;
    for (const Point& at : marker_corners(m.shape, m.at))
      points.append(points.empty() ? "" : " ")
          .append(number(at.x))
          .append(",")
          .append(number(at.y));
    element("polygon", {{"points", points}, {"fill", m.colour}, {"opacity", opacity}});
  }
  void operator()(const Rect& r) {
    element("rect", {{"x", number(r.x)},
                     {"y", number(r.y)},
                     {"width", number(r.width)},
                     {"height", number(r.height)},
                     {"fill", r.fill.empty() ? "none" : r.fill},
                     {"stroke", r.stroke}});
  }
  void operator()(const Text& t) {
    const char* anchors[] = {"", "middle", "end"};
    std::string turn;
    if (t.upward)
      turn.append("rotate(-90 ")
          .append(number(t.at.x))
          .append(" ")
          .append(number(t.at.y))
          .append(")");
    element("text",
            {{"x", number(t.at.x)},
             {"y", number(t.at.y)},
             {"font-size", textio::formatted("%g", t.size)},
             {"text-anchor", anchors[static_cast<int>(t.anchor)]},
             {"font-weight", t.bold ? "bold" : ""},
             {"fill", t.colour == "#000000" ? "" : t.colour},
             {"transform", turn}},
            t.text);
  }
  void operator()(const ClipBegin& c) {
    const std::string id = "clip" + std::to_string(++clips_);
    open("clipPath", {{"id", id}});
    element("rect", {{"x", number(c.x)},
                     {"y", number(c.y)},
                     {"width", number(c.width)},
                     {"height", number(c.height)}});
    close("clipPath");
    open("g", {{"clip-path", "url(#" + id + ")"}});
  }
  void operator()(const ClipEnd&) { close("g"); }

  std::string finish() {
    out_ += "</svg>\n";
    return std::move(out_);
  }

 private:
  static std::string dash(const Pen& pen) {
    std::string list;
    for (const double d : pen.dash)
      list.append(list.empty() ? "" : ",").append(textio::formatted("%g", d));
    return list;
  }
  void start_tag(std::string_view name, Attributes attributes) {
    out_.append("<").append(name);
    for (const auto& [key, value] : attributes) {
      if (!value.empty())
        out_.append(" ")
            .append(key)
            .append("=\"")
            .append(textio::markup_escaped(value, true))
            .append("\"");
    }
  }

  std::string out_;
  int clips_ = 0;
};

}  // namespace

std::string to_svg(const Drawing& drawing) {
  Writer writer(drawing);
  for (const Primitive& item : drawing.items)
    std::visit(writer, item);
  return writer.finish();
}

}  // namespace quillon::pictures
