// The drawing as a one-page PDF 1.4 document the picture's size: vector paths and real
// text in the standard Helvetica (WinAnsiEncoding) and Symbol fonts, which every reader
// has, so nothing is embedded. Uncompressed, and the same bytes on every platform:
// no dates or identifiers, numbers through pictures::number.
#pragma once

#include <string>

#include "pictures/drawing.h"

namespace quillon::pictures {

std::string to_pdf(const Drawing& drawing);

}  // namespace quillon::pictures
