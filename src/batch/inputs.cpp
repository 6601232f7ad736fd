#include "batch/inputs.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <system_error>

#include "textio/platform.h"

namespace quillon::batch {
namespace {

namespace platform = textio::platform;

// Output names differing only in letter case would be one file on Windows.
std::string folded(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char ch) {
    return static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
  });
  return name;
}

}  // namespace

std::vector<Input> collect_inputs(const std::vector<std::string>& paths) {
  std::vector<Input> inputs;
  for (const std::string& given : paths) {
    const std::filesystem::path path = platform::path_from_narrow(given);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status)) {
      const bool has_separator = !given.empty() && (given.back() == '/' || given.back() == '\\');
      const std::string folder = has_separator ? given : given + platform::path_separator;
      for (const std::string& name : platform::list_data_files(path))
        inputs.push_back({folder + name, path / platform::path_from_narrow(name), {}});
    } else if (std::filesystem::exists(status)) {
      inputs.push_back({given, path, {}});
    } else {
      throw std::invalid_argument(given + ": no such file or folder");
    }
  }

  // Two files of one stem from different folders get distinct outputs: a, a_2, a_3, ...
  std::set<std::string> taken;
  for (Input& input : inputs) {
    const std::string stem = platform::narrow_name(input.path.stem());
    std::string name = stem;
    for (int k = 2; !taken.insert(folded(name)).second; ++k)
      name = stem + "_" + std::to_string(k);
    input.stem = name;
  }
  return inputs;
}

}  // namespace quillon::batch
