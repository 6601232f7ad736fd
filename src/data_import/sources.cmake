target_sources(quillon_core PRIVATE
  src/data_import/text_utils.cpp
)
