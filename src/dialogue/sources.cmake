target_sources(quillon_core PRIVATE
  src/dialogue/banner.cpp
  src/dialogue/console.cpp
  src/dialogue/fit_stages.cpp
  src/dialogue/format.cpp
  src/dialogue/help_screens.cpp
  src/dialogue/list_read.cpp
  src/dialogue/main_loop.cpp
  src/dialogue/picker.cpp
  src/dialogue/platform.cpp
  src/dialogue/program.cpp
  src/dialogue/screen_texts.cpp
)
