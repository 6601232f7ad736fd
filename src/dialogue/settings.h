// What the dialogue takes from outside besides the console: the pause of the
// information screen, which tests and fuzzing replace to run at full speed, and
// the limits of the search and of the report's sampling, which fuzzing lowers.
#pragma once

#include <functional>

#include "optimise/tunnelling_search.h"
#include "report/uncertainty.h"
#include "textio/platform.h"

namespace quillon::dialogue {

struct ProgramSettings {
  std::function<void(int seconds)> sleep_seconds = textio::platform::sleep_seconds;
  // The fit's search and the report's sampling; only fuzzing shortens them.
  optimise::SearchSettings search{};
  report::SamplingSettings sampling{};
};

}  // namespace quillon::dialogue
