target_sources(quillon_core PRIVATE
  src/models/catalogue.cpp
  src/models/model_block.cpp
  src/models/model_evaluator.cpp
)
