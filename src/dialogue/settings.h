// What the dialogue takes from outside besides the console: the pause of the
// information screen, which tests and fuzzing replace to run at full speed.
#pragma once

#include <functional>

#include "dialogue/platform.h"

namespace quillon {

struct ProgramSettings {
  std::function<void(int seconds)> sleep_seconds = platform::sleep_seconds;
};

}  // namespace quillon
