target_sources(quillon_core PRIVATE
  src/data_import/data_import.cpp
  src/data_import/text_utils.cpp
)
