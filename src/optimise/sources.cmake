target_sources(quillon_core PRIVATE
  src/optimise/random_pool.cpp
  src/optimise/steepda.cpp
  src/optimise/tunnelling_search.cpp
)
