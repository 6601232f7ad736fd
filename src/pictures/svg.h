// A minimal SVG 1.1 writer: elements appended in order, attribute values and text
// escaped for XML (textio::markup_escaped), numbers at fixed precision so the same
// drawing gives the same bytes on every platform.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace quillon::pictures {

// "%.2f": coordinates in user units.
std::string svg_number(double v);

class Svg {
 public:
  using Attributes = std::initializer_list<std::pair<std::string_view, std::string>>;

  Svg(double width, double height);

  // <name a="v" ...>text</name>, or <name .../> without text.
  void element(std::string_view name, Attributes attributes, std::string_view text = {});
  void open(std::string_view name, Attributes attributes);  // a group, say
  void close(std::string_view name);

  // The document, closed.
  std::string finish();

 private:
  void start_tag(std::string_view name, Attributes attributes);
  std::string out_;
};

}  // namespace quillon::pictures
