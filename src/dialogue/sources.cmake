target_sources(quillon_core PRIVATE
  src/dialogue/banner.cpp
  src/dialogue/console.cpp
  src/dialogue/format.cpp
  src/dialogue/list_read.cpp
  src/dialogue/program.cpp
)
