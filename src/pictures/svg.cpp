#include "pictures/svg.h"

#include <cstdio>

namespace quillon::pictures {

std::string svg_number(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  // "-0.00" and "0.00" are the same point; one spelling keeps outputs comparable.
  return std::string_view(buf) == "-0.00" ? "0.00" : buf;
}

namespace {

// Length of the well-formed UTF-8 sequence at text[i], 0 when there is none (a file
// name on Linux may hold any bytes; the document must still parse).
std::size_t utf8_length(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t n = lead < 0x80                   ? 1
                        : lead >= 0xC2 && lead < 0xE0 ? 2
                        : lead >= 0xE0 && lead < 0xF0 ? 3
                        : lead >= 0xF0 && lead < 0xF5 ? 4
                                                      : 0;
  if (n == 0 || i + n > text.size())
    return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
      return 0;
  return n;
}

}  // namespace

std::string xml_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char ch = text[i];
    const std::size_t n = utf8_length(text, i);
    if (n == 0) {
      out += '?';
      ++i;
      continue;
    }
    if (n > 1) {
      out += text.substr(i, n);
      i += n;
      continue;
    }
    ++i;
    switch (ch) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&apos;"; break;
    default:
      // Control characters other than tab and line ends are not allowed in XML 1.0.
      if (static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n' && ch != '\r')
        out += '?';
      else
        out += ch;
    }
  }
  return out;
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
    out_ += "=\"" + xml_escaped(value) + '"';
  }
}

void Svg::element(std::string_view name, Attributes attributes, std::string_view text) {
  start_tag(name, attributes);
  if (text.empty()) {
    out_ += "/>\n";
    return;
  }
  out_ += '>' + xml_escaped(text) + "</";
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
