#include "outputs/output_names.h"

#include <algorithm>
#include <set>

#include "models/catalogue.h"

namespace quillon::outputs {
namespace {

std::string folded(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char ch) {
    return static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
  });
  return name;
}

// At most `size` bytes, not cutting a UTF-8 sequence in two.
std::string shortened(std::string_view text, std::size_t size) {
  if (text.size() <= size)
    return std::string(text);
  while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80)
    --size;
  return std::string(text.substr(0, size));
}

}  // namespace

std::string output_name(Output kind, std::string_view stem, int model) {
  const std::string s(stem);
  switch (kind) {
  case Output::report: return s + ".report.txt";
  case Output::stats: return s + ".stats.txt";
  case Output::picture: return s + ".svg";
  case Output::comparison_text: return s + ".compare.txt";
  case Output::comparison_picture: return s + ".compare.svg";
  case Output::diagnostic_picture: return s + ".diagnostic.svg";
  case Output::diagnostic_document: return s + ".diagnostic.pdf";
  case Output::candidate_report: return s + ".m" + std::to_string(model) + ".report.txt";
  case Output::document: return s + ".pdf";
  case Output::comparison_document: return s + ".compare.pdf";
  case Output::converted_data: return s + ".dat";
  case Output::summary: return "summary.csv";
  case Output::comparison_table: return "comparison.csv";
  case Output::page: return "index.html";
  case Output::global_report: return "global.report.txt";
  case Output::global_parameters: return "global.parameters.csv";
  case Output::global_test: return "global.test.csv";
  case Output::global_stats: return "global.stats.txt";
  case Output::global_picture: return "global.svg";
  case Output::global_document: return "global.pdf";
  }
  return s;
}

std::vector<std::string> input_outputs(std::string_view stem, bool compare, bool pdf) {
  std::vector<std::string> names = {
      output_name(Output::report, stem), output_name(Output::stats, stem),
      output_name(Output::picture, stem), output_name(Output::diagnostic_picture, stem)};
  if (pdf) {
    names.push_back(output_name(Output::document, stem));
    names.push_back(output_name(Output::diagnostic_document, stem));
  }
  if (compare && pdf)
    names.push_back(output_name(Output::comparison_document, stem));
  if (compare) {
    names.push_back(output_name(Output::comparison_text, stem));
    names.push_back(output_name(Output::comparison_picture, stem));
    for (const models::Model& m : models::model_table)
      names.push_back(output_name(Output::candidate_report, stem, m.number));
  }
  return names;
}

std::vector<std::string> unique_stems(const std::vector<std::string>& file_stems, bool compare,
                                      bool global, bool pdf) {
  std::set<std::string> taken;
  for (const Output table : {Output::summary, Output::comparison_table, Output::page})
    taken.insert(output_name(table));
  if (global) {
    for (const Output name : global_outputs)
      taken.insert(output_name(name));
    if (pdf)
      taken.insert(output_name(Output::global_document));
  }
  std::vector<std::string> stems;
  for (const std::string& file_stem : file_stems) {
    const std::string base = shortened(file_stem, longest_stem);
    std::string stem = base;
    const auto clashes = [&](const std::string& candidate) {
      for (const std::string& name : input_outputs(candidate, compare, pdf)) {
        if (taken.contains(folded(name)))
          return true;
      }
      return false;
    };
    for (int k = 2; clashes(stem); ++k)
      stem = base + "_" + std::to_string(k);
    for (const std::string& name : input_outputs(stem, compare, pdf))
      taken.insert(folded(name));
    stems.push_back(stem);
  }
  return stems;
}

}  // namespace quillon::outputs
