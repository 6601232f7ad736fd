// The one naming rule for every file a batch writes: an input's outputs are its stem
// and a suffix per kind; the batch's own tables have fixed names. Stems are made
// unique so that no two outputs of a run share a name, even where the file system
// ignores letter case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon::outputs {

enum class Output {
  report,               // <stem>.report.txt
  stats,                // <stem>.stats.txt
  picture,              // <stem>.svg
  comparison_text,      // <stem>.compare.txt
  comparison_picture,   // <stem>.compare.svg
  diagnostic_picture,   // <stem>.diagnostic.svg: the double-reciprocal view (--diagnostic)
  diagnostic_document,  // <stem>.diagnostic.pdf
  candidate_report,     // <stem>.m<model>.report.txt
  document,             // <stem>.pdf: the picture's PDF (--pdf)
  comparison_document,  // <stem>.compare.pdf
  converted_data,       // <stem>.dat, in a folder of its own
  summary,              // summary.csv
  comparison_table,     // comparison.csv
  page,                 // index.html
  global_report,        // global.report.txt
  global_parameters,    // global.parameters.csv
  global_test,          // global.test.csv
  global_stats,         // global.stats.txt
  global_picture,       // global.svg
  global_document,      // global.pdf
};

// The global fit's outputs, in the order they are written; global_document follows
// with --pdf.
inline constexpr Output global_outputs[] = {Output::global_report, Output::global_parameters,
                                            Output::global_test, Output::global_stats,
                                            Output::global_picture};

// The file name of an output; `stem` for an input's outputs, `model` for a candidate's report.
std::string output_name(Output kind, std::string_view stem = {}, int model = 0);

// Every name a run may write for an input of this stem; `pdf` with --pdf.
std::vector<std::string> input_outputs(std::string_view stem, bool compare, bool pdf = false);

// The longest stem kept, in bytes: with the longest suffix and a "_NNNN" it stays within
// the 255 bytes a file name may have on common file systems.
inline constexpr std::size_t longest_stem = 200;

// Stems for inputs of these file stems, in order: each shortened to longest_stem (at a
// character boundary) and, where one of its outputs would share a name (letter case
// ignored) with an earlier input's or a table's, given "_2", "_3", ...
// With `global`, the global fit's names are taken too.
std::vector<std::string> unique_stems(const std::vector<std::string>& file_stems, bool compare,
                                      bool global = false, bool pdf = false);

}  // namespace quillon::outputs
