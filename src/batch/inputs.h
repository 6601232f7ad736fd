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

// Each path in order: a file as it is, a folder as its .dat files sorted as the
// interactive picker sorts them. Throws std::invalid_argument naming a path that is
// neither a file nor a folder.
std::vector<Input> collect_inputs(const std::vector<std::string>& paths);

}  // namespace quillon::batch
