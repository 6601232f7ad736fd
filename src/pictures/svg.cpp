#include "pictures/svg.h"

#include <cstdio>

#include "textio/text_utils.h"

namespace quillon::pictures {

std::string svg_number(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  // "-0.00" and "0.00" are the same point; one spelling keeps outputs comparable.
  return std::string_view(buf) == "-0.00" ? "0.00" : buf;
}

Svg::Svg(double width, double height) {
  const std::string w = svg_number(width), h = svg_number(height);
  out_ =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
      w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
      "\" font-family=\"Helvetica, Arial, sans-serif\">\n";
}

void Svg::start_tag(std::string_view name, Attributes attributes) {
  out_ += '<';
  out_ += name;
  for (const auto& [key, value] : attributes) {
    out_ += ' ';
    out_ += key;
    out_ += "=\"" + textio::markup_escaped(value, true) + '"';
  }
}

void Svg::element(std::string_view name, Attributes attributes, std::string_view text) {
  start_tag(name, attributes);
  if (text.empty()) {
    out_ += "/>\n";
    return;
  }
  out_ += '>' + textio::markup_escaped(text, true) + "</";
  out_ += name;
  out_ += ">\n";
}

void Svg::open(std::string_view name, Attributes attributes) {
  start_tag(name, attributes);
  out_ += ">\n";
}

void Svg::close(std::string_view name) {
  out_ += "</";
  out_ += name;
  out_ += ">\n";
}

std::string Svg::finish() {
  out_ += "</svg>\n";
  return std::move(out_);
}

}  // namespace quillon::pictures
