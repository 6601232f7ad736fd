// The drawing as an SVG 1.1 document: attribute values and text escaped for XML
// (textio::markup_escaped), numbers through pictures::number.
#pragma once

#include <string>

#include "pictures/drawing.h"

namespace quillon::pictures {

std::string to_svg(const Drawing& drawing);

}  // namespace quillon::pictures
