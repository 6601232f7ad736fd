#include "batch/inputs.h"

#include <set>
#include <stdexcept>
#include <system_error>

#include "textio/platform.h"

namespace quillon::batch {
namespace {

namespace fs = std::filesystem;
namespace platform = textio::platform;

constexpr std::string_view folder_extensions[] = {".dat", ".csv", ".tsv"};

// A folder's data files and tables, then (recursive) each subfolder's, depth first;
// a folder reached twice (through a link) is listed once.
void collect_folder(const fs::path& path, const std::string& shown, bool recursive,
                    std::set<fs::path>& visited, std::vector<Input>& inputs) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(path, ec);
  if (!visited.insert(ec ? path : canonical).second)
    return;
  const platform::FolderListing listing = platform::list_folder(path, folder_extensions, true);
  for (const std::string& name : listing.files)
    inputs.push_back({shown + name, path / platform::path_from_narrow(name)});
  if (!recursive)
    return;
  for (const std::string& name : listing.folders)
    collect_folder(path / platform::path_from_narrow(name), shown + name + platform::path_separator,
                   true, visited, inputs);
}

}  // namespace

std::vector<Input> collect_inputs(const std::vector<std::string>& paths, bool recursive) {
  std::vector<Input> inputs;
  for (const std::string& given : paths) {
    std::set<fs::path> visited;  // per path: a folder given twice is listed twice
    const fs::path path = platform::path_from_narrow(given);
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (fs::is_directory(status)) {
      const bool has_separator = !given.empty() && (given.back() == '/' || given.back() == '\\');
      collect_folder(path, has_separator ? given : given + platform::path_separator, recursive,
                     visited, inputs);
    } else if (fs::exists(status)) {
      inputs.push_back({given, path});
    } else {
      throw std::invalid_argument(given + ": no such file or folder");
    }
  }
  return inputs;
}

}  // namespace quillon::batch
