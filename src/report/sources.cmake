target_sources(quillon_core PRIVATE
  src/report/dsort3.cpp
)
