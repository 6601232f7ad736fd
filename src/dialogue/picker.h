// The numbered list of the current folder's data files and the pick by number.
#pragma once

#include <string>

#include "textio/console.h"

namespace quillon::dialogue {

// Lists the *.dat files (also into the scratch file DirContents.txt), asks for a
// number and puts the picked name into the 200-character `fname`, or "X" for 0.
void dir(textio::Console& console, std::string& fname);

}  // namespace quillon::dialogue
