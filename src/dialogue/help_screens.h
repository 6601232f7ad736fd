// The information screen and the two help screens of the file-name prompt. Each
// routine is called with every answer and shows its screen only for its own keyword.
#pragma once

#include <string_view>

#include "dialogue/settings.h"
#include "textio/console.h"

namespace quillon::dialogue {

// The information screen, for "LICENSE" or an all-blank keyword; it pauses 5 seconds.
void help1(textio::Console& console, std::string_view keyword, const ProgramSettings& settings);

// The data-file help for "?", the model help for "??" (trailing blanks ignored).
void help2(textio::Console& console, std::string_view keyword);

}  // namespace quillon::dialogue
