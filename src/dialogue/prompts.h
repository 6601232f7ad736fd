// The dialogue's typed answers.
#pragma once

#include <string>
#include <string_view>

#include "textio/console.h"

namespace quillon::dialogue {

// Prints the trimmed prompt and a blank on an open line, reads one answer of at
// most 80 characters; a non-blank answer (leading blanks removed) replaces the
// first 80 characters of `answer`, blanking the rest. A blank answer keeps it.
textio::ReadStatus getstr(textio::Console& console, std::string_view prompt, std::string& answer);

}  // namespace quillon::dialogue
