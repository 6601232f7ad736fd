#include "pictures/pdf.h"

#include <array>
#include <cstddef>
#include <utility>

#include "textio/text_utils.h"

namespace quillon::pictures {
namespace {

enum Font { helvetica, helvetica_bold, symbol };
constexpr const char* font_names[] = {"/F1", "/F2", "/F3"};

// Helvetica's advance widths (per 1000 units of size) of WinAnsi bytes 32 to 255; 0
// where WinAnsi has no character.
constexpr std::array<short, 224> helvetica_widths = {
    278,  278, 355, 556, 556, 889,  667,  191,  333, 333,  389, 584, 278,  333, 278, 278,  // 32
    556,  556, 556, 556, 556, 556,  556,  556,  556, 556,  278, 278, 584,  584, 584, 556,  // 48
    1015, 667, 667, 722, 722, 667,  611,  778,  722, 278,  500, 667, 556,  833, 722, 778,  // 64
    667,  778, 722, 667, 611, 722,  667,  944,  667, 667,  611, 278, 278,  278, 469, 556,  // 80
    333,  556, 556, 500, 556, 556,  278,  556,  556, 222,  222, 500, 222,  833, 556, 556,  // 96
    556,  556, 333, 500, 278, 556,  500,  722,  500, 500,  500, 334, 260,  334, 584, 0,    // 112
    556,  0,   222, 556, 333, 1000, 556,  556,  333, 1000, 667, 333, 1000, 0,   611, 0,    // 128
    0,    222, 222, 333, 333, 350,  556,  1000, 333, 1000, 500, 333, 944,  0,   500, 667,  // 144
    278,  333, 556, 556, 556, 556,  260,  556,  333, 737,  370, 556, 584,  333, 737, 333,  // 160
    400,  584, 333, 333, 333, 556,  537,  278,  333, 333,  365, 556, 834,  834, 834, 611,  // 176
    667,  667, 667, 667, 667, 667,  1000, 722,  667, 667,  667, 667, 278,  278, 278, 278,  // 192
    722,  722, 778, 778, 778, 778,  778,  584,  778, 722,  722, 722, 722,  667, 667, 611,  // 208
    556,  556, 556, 556, 556, 556,  889,  500,  556, 556,  556, 556, 278,  278, 278, 278,  // 224
    556,  556, 556, 556, 556, 556,  556,  584,  611, 556,  556, 556, 556,  500, 556, 500,  // 240
};

// Helvetica-Bold's, of the printable ASCII bytes 32 to 126; other bytes take
// Helvetica's, a close enough guess for placing a centred or right-aligned label.
constexpr std::array<short, 95> bold_widths = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278,  // 32
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611,  // 48
    975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778,  // 64
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556,  // 80
    333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611,  // 96
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584,       // 112
};

struct Glyph {
  Font font;
  unsigned char byte;
  short width;
};

// WinAnsi's characters outside ASCII and Latin-1, and the Greek letters we may draw,
// which the Symbol font has.
struct Mapped {
  char32_t code;
  Glyph glyph;
};
constexpr Mapped mapped[] = {
    {0x20AC, {helvetica, 0x80, 556}},  {0x201A, {helvetica, 0x82, 222}},
    {0x0192, {helvetica, 0x83, 556}},  {0x201E, {helvetica, 0x84, 333}},
    {0x2026, {helvetica, 0x85, 1000}}, {0x2020, {helvetica, 0x86, 556}},
    {0x2021, {helvetica, 0x87, 556}},  {0x02C6, {helvetica, 0x88, 333}},
    {0x2030, {helvetica, 0x89, 1000}}, {0x0160, {helvetica, 0x8A, 667}},
    {0x2039, {helvetica, 0x8B, 333}},  {0x0152, {helvetica, 0x8C, 1000}},
    {0x017D, {helvetica, 0x8E, 611}},  {0x2018, {helvetica, 0x91, 222}},
    {0x2019, {helvetica, 0x92, 222}},  {0x201C, {helvetica, 0x93, 333}},
    {0x201D, {helvetica, 0x94, 333}},  {0x2022, {helvetica, 0x95, 350}},
    {0x2013, {helvetica, 0x96, 556}},  {0x2014, {helvetica, 0x97, 1000}},
    {0x02DC, {helvetica, 0x98, 333}},  {0x2122, {helvetica, 0x99, 1000}},
    {0x0161, {helvetica, 0x9A, 500}},  {0x203A, {helvetica, 0x9B, 333}},
    {0x0153, {helvetica, 0x9C, 944}},  {0x017E, {helvetica, 0x9E, 500}},
    {0x0178, {helvetica, 0x9F, 667}},  {0x0394, {symbol, 'D', 612}},
    {0x03B1, {symbol, 'a', 631}},      {0x03B2, {symbol, 'b', 549}},
    {0x03B3, {symbol, 'g', 411}},      {0x03BC, {symbol, 'm', 576}},
};

// The glyph of a character; '?' for one neither font has.
Glyph glyph_of(char32_t c, bool bold) {
  const Font text = bold ? helvetica_bold : helvetica;
  if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) {
    const auto byte = static_cast<unsigned char>(c);
    const bool ascii = c < 0x7F;
    return {text, byte, bold && ascii ? bold_widths[byte - 32] : helvetica_widths[byte - 32]};
  }
  for (const Mapped& s : mapped) {
    if (s.code == c)
      return s.glyph.font == helvetica ? Glyph{text, s.glyph.byte, s.glyph.width} : s.glyph;
  }
  return glyph_of('?', bold);
}

std::string colour(const std::string& hex, const char* op) {
  std::string out;
  for (std::size_t k = 0; k < 3; ++k) {
    const unsigned v = hex.size() == 7 ? std::stoul(hex.substr(1 + 2 * k, 2), nullptr, 16) : 0;
    out.append(textio::formatted("%.3f", v / 255.0)).append(" ");
  }
  return out.append(op).append("\n");
}

class Content {
 public:
  explicit Content(double height) : height_(height) {}

  void operator()(const Line& l) {
    pen(l.pen);
    move(l.from);
    draw(l.to);
    out_ += "S\n";
  }
  void operator()(const Polyline& p) {
    if (p.points.empty())
      return;
    pen(p.pen);
    move(p.points.front());
    for (std::size_t k = 1; k < p.points.size(); ++k)
      draw(p.points[k]);
    out_ += "S\n";
  }
  void operator()(const Marker& m) {
    if (m.faint)
      out_ += "q /Faint gs\n";
    const bool ring = m.shape == Shape::ring;
    out_ += colour(ring ? "#FFFFFF" : m.colour, "rg");
    if (m.shape == Shape::circle || ring) {
      // Four Bezier quarters: the usual 0.5523 of the radius for the control points.
      const double r = marker_radius, k = 0.5523 * r, x = m.at.x, y = m.at.y;
      move({x + r, y});
      curve({x + r, y + k}, {x + k, y + r}, {x, y + r});
      curve({x - k, y + r}, {x - r, y + k}, {x - r, y});
      curve({x - r, y - k}, {x - k, y - r}, {x, y - r});
      curve({x + k, y - r}, {x + r, y - k}, {x + r, y});
    } else {
      const std::vector<Point> corners = marker_corners(m.shape, m.at);
      move(corners.front());
      for (std::size_t k = 1; k < corners.size(); ++k)
        draw(corners[k]);
    }
    if (ring) {
      pen({m.colour, 1.5, {}});
      out_ += "b\n";
    } else {
      out_ += "h f\n";
    }
    if (m.faint)
      out_ += "Q\n";
  }
  void operator()(const Rect& r) {
    if (r.fill.empty() && r.stroke.empty())
      return;
    if (!r.fill.empty())
      out_ += colour(r.fill, "rg");
    if (!r.stroke.empty())
      pen({r.stroke, 1, {}});
    rect(r.x, r.y, r.width, r.height);
    out_ += r.fill.empty() ? "S\n" : r.stroke.empty() ? "f\n" : "B\n";
  }
  void operator()(const Text& t) {
    std::vector<Glyph> glyphs;
    double advance = 0.0;
    for (const char32_t c : textio::code_points(t.text)) {
      glyphs.push_back(glyph_of(c, t.bold));
      advance += glyphs.back().width * t.size / 1000;
    }
    if (glyphs.empty())
      return;
    const double back = t.anchor == Anchor::start    ? 0
                        : t.anchor == Anchor::middle ? advance / 2
                                                     : advance;
    // Along the baseline: rightwards, or upwards on the page (Y up in PDF).
    const double x = t.upward ? t.at.x : t.at.x - back;
    const double y = height_ - t.at.y - (t.upward ? back : 0);
    out_.append("BT\n").append(colour(t.colour, "rg"));
    out_.append(t.upward ? "0 1 -1 0 " : "1 0 0 1 ").append(number(x)).append(" ");
    out_.append(number(y)).append(" Tm\n");
    for (std::size_t k = 0; k < glyphs.size();) {
      const Font font = glyphs[k].font;
      out_.append(font_names[font]).append(" ").append(number(t.size)).append(" Tf (");
      for (; k < glyphs.size() && glyphs[k].font == font; ++k) {
        const unsigned char b = glyphs[k].byte;
        if (b == '(' || b == ')' || b == '\\')
          out_.append("\\").push_back(static_cast<char>(b));
        else if (b >= 0x80)
          out_.append("\\").append(octal(b));
        else
          out_.push_back(static_cast<char>(b));
      }
      out_ += ") Tj\n";
    }
    out_ += "ET\n";
  }
  void operator()(const ClipBegin& c) {
    out_ += "q\n";
    rect(c.x, c.y, c.width, c.height);
    out_ += "W n\n";
  }
  void operator()(const ClipEnd&) { out_ += "Q\n"; }

  std::string take() { return std::move(out_); }

 private:
  static std::string octal(unsigned char b) {
    return {static_cast<char>('0' + (b >> 6)), static_cast<char>('0' + (b >> 3 & 7)),
            static_cast<char>('0' + (b & 7))};
  }
  void pen(const Pen& p) {
    out_ += colour(p.colour, "RG");
    out_.append(number(p.width)).append(" w [");
    for (std::size_t k = 0; k < p.dash.size(); ++k)
      out_.append(k == 0 ? "" : " ").append(number(p.dash[k]));
    out_ += "] 0 d\n";
  }
  void point(Point p, const char* op) {
    out_.append(number(p.x))
        .append(" ")
        .append(number(height_ - p.y))
        .append(" ")
        .append(op)
        .append("\n");
  }
  void move(Point p) { point(p, "m"); }
  void draw(Point p) { point(p, "l"); }
  void curve(Point a, Point b, Point c) {
    out_.append(number(a.x)).append(" ").append(number(height_ - a.y)).append(" ");
    out_.append(number(b.x)).append(" ").append(number(height_ - b.y)).append(" ");
    point(c, "c");
  }
  void rect(double x, double y, double w, double h) {
    out_.append(number(x)).append(" ").append(number(height_ - y - h)).append(" ");
    out_.append(number(w)).append(" ").append(number(h)).append(" re\n");
  }

  double height_;
  std::string out_;
};

}  // namespace

std::string to_pdf(const Drawing& drawing) {
  Content content(drawing.height);
  // SVG's default: lines join and end as they do there.
  std::string stream = "4 M\n";
  for (const Primitive& item : drawing.items)
    std::visit(content, item);
  stream += content.take();

  std::string page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ";
  page.append(number(drawing.width)).append(" ").append(number(drawing.height));
  page.append("] /Resources << /Font << /F1 4 0 R /F2 5 0 R /F3 6 0 R >>");
  page.append(" /ExtGState << /Faint 7 0 R >> >> /Contents 8 0 R >>");
  std::string contents = "<< /Length ";
  contents.append(std::to_string(stream.size())).append(" >>\nstream\n");
  contents.append(stream).append("endstream");
  const std::string objects[] = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      page,
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Symbol >>",
      "<< /Type /ExtGState /ca 0.3 /CA 0.3 >>",
      contents,
  };
  // A comment of high bytes marks the file as binary for transfer programs.
  std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t k = 0; k < std::size(objects); ++k) {
    offsets.push_back(out.size());
    out.append(std::to_string(k + 1)).append(" 0 obj\n").append(objects[k]).append("\nendobj\n");
  }
  const std::size_t xref = out.size();
  const auto padded = [](std::size_t v) {
    const std::string digits = std::to_string(v);
    return std::string(10 - digits.size(), '0') + digits;
  };
  out.append("xref\n0 ").append(std::to_string(offsets.size() + 1)).append("\n");
  out += "0000000000 65535 f \n";
  for (const std::size_t at : offsets)
    out.append(padded(at)).append(" 00000 n \n");
  out.append("trailer\n<< /Size ").append(std::to_string(offsets.size() + 1));
  out.append(" /Root 1 0 R >>\nstartxref\n").append(std::to_string(xref)).append("\n%%EOF\n");
  return out;
}

}  // namespace quillon::pictures
