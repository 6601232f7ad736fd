target_sources(quillon_core PRIVATE
  src/optimise/random_pool.cpp
)
