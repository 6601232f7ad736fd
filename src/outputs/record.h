// One input of a batch from its fit to its written files: its numbers, then its
// rendered texts and pictures, each held until it is written.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "file_analysis/fit_file.h"
#include "outputs/output_names.h"

namespace quillon::outputs {

struct Rendered {
  Output kind = Output::report;
  int model = 0;     // a candidate report's model
  std::string text;  // emptied once written, unless the page still needs it
  bool written = false;
};

struct FileRecord {
  std::filesystem::path source;  // where the input is read
  std::string shown;             // the input as the tables name it
  std::string name;              // the file's own name, as its texts and pictures are titled
  std::string stem;              // its outputs' base name (output_names)
  std::string set;               // a table's data set, when its rows have a set column
  bool diagnostic = false;       // also the double-reciprocal picture, where the model has one
  bool done = false;             // fitted or rejected; false when the batch stopped before it
  file_analysis::FileFit fit;
  std::vector<Rendered> outputs;  // of a fitted file

  // The rendered output of this kind, or nullptr.
  const Rendered* output(Output kind, int model = 0) const;
};

// Renders a fitted file's outputs (report, statistics, picture, and with a comparison
// its text, picture and candidate reports; with `pdf` each picture as PDF too) and
// releases what only rendering needed.
void render(FileRecord& record, bool pdf = false);

}  // namespace quillon::outputs
