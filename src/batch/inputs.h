// The files a batch fits, from the paths on its command line.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillon::batch {

struct Input {
  std::string shown;           // the path as given, or folder/name for a folder's file
  std::filesystem::path path;  // where it is read
};

// Each path in order: a file as it is, a folder as its .dat, .csv and .tsv files
// sorted byte-wise and, when `recursive`, then its subfolders' (sorted, depth first).
// Throws std::invalid_argument naming a path that is neither a file nor a folder.
std::vector<Input> collect_inputs(const std::vector<std::string>& paths, bool recursive = false);

}  // namespace quillon::batch
