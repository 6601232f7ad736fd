// The PDF writer's file structure, which readers rely on: each cross-reference offset
// at its object, the stream's length, text in the fonts' encodings, nothing embedded.
#include <gtest/gtest.h>

#include <string>

#include "pictures/pdf.h"

namespace quillon::pictures {
namespace {

Drawing sample() {
  Drawing d{200, 100, {}};
  d.add(Rect{0, 0, 200, 100, "#FFFFFF", ""});
  d.add(ClipBegin{10, 10, 180, 80});
  d.add(Polyline{{{10, 90}, {50, 40}, {190, 20}}, {"#0072B2", 1.8, {7, 3}}});
  for (const Shape s : {Shape::circle, Shape::square, Shape::triangle, Shape::diamond,
                        Shape::triangle_down, Shape::ring})
    d.add(Marker{s, {50, 40}, "#D55E00", s == Shape::ring});
  d.add(ClipEnd{});
  d.add(Text{{100, 95}, "Km = 2.5 \xC2\xB1 0.1 \xC2\xB5M (a)\\", 12, Anchor::middle});
  d.add(Text{{8, 50},
             "\xCE\x94"
             "AICc",
             11,
             Anchor::end,
             true,
             true,
             "#555555"});
  return d;
}

TEST(Pdf, CrossReferencesPointAtTheirObjects) {
  const std::string pdf = to_pdf(sample());
  ASSERT_TRUE(pdf.starts_with("%PDF-1.4\n"));
  ASSERT_TRUE(pdf.ends_with("%%EOF\n"));
  const std::size_t startxref = pdf.rfind("startxref\n");
  const std::size_t xref = std::stoul(pdf.substr(startxref + 10));
  ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0);
  const std::size_t count = std::stoul(pdf.substr(xref + 7));
  ASSERT_EQ(count, 9u);
  const std::size_t entries = pdf.find('\n', xref + 5) + 1;
  EXPECT_EQ(pdf.substr(entries, 20), "0000000000 65535 f \n");
  for (std::size_t k = 1; k < count; ++k) {
    const std::string entry = pdf.substr(entries + 20 * k, 20);
    ASSERT_EQ(entry.substr(10), " 00000 n \n") << k;
    const std::string object = std::to_string(k) + " 0 obj\n";
    EXPECT_EQ(pdf.compare(std::stoul(entry), object.size(), object), 0) << k;
  }
  // The stream's declared length ends it exactly.
  const std::size_t length = std::stoul(pdf.substr(pdf.find("/Length ") + 8));
  const std::size_t stream = pdf.find("stream\n") + 7;
  EXPECT_EQ(pdf.compare(stream + length, 9, "endstream"), 0);
  EXPECT_EQ(pdf.find("/Image"), std::string::npos);
  EXPECT_EQ(pdf.find("/XObject"), std::string::npos);
  EXPECT_EQ(to_pdf(sample()), pdf);  // nothing from the clock or the memory
}

TEST(Pdf, TextIsWinAnsiOrSymbolWithStringsEscaped) {
  const std::string pdf = to_pdf(sample());
  const std::pair<const char*, const char*> cases[] = {
      {"Helvetica", "/BaseFont /Helvetica /Encoding /WinAnsiEncoding"},
      {"+-, micro, brackets, backslash", "/F1 12.00 Tf (Km = 2.5 \\261 0.1 \\265M \\(a\\)\\\\) Tj"},
      {"Greek capital delta in Symbol", "/F3 11.00 Tf (D) Tj\n/F2 11.00 Tf (AICc) Tj"},
      {"reading upward", "0 1 -1 0 8.00 "},
      {"grey text", "0.333 0.333 0.333 rg"},
      {"faint marker", "q /Faint gs"},
      {"dashed curve", "[7.00 3.00] 0 d"},
      {"clip", "10.00 10.00 180.00 80.00 re\nW n"},
  };
  for (const auto& [what, expected] : cases)
    EXPECT_NE(pdf.find(expected), std::string::npos) << what;
}

}  // namespace
}  // namespace quillon::pictures
