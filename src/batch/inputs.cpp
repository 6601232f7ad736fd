#include "batch/inputs.h"

#include <stdexcept>
#include <system_error>

#include "textio/platform.h"

namespace quillon::batch {

std::vector<Input> collect_inputs(const std::vector<std::string>& paths) {
  namespace platform = textio::platform;
  std::vector<Input> inputs;
  for (const std::string& given : paths) {
    const std::filesystem::path path = platform::path_from_narrow(given);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status)) {
      const bool has_separator = !given.empty() && (given.back() == '/' || given.back() == '\\');
      const std::string folder = has_separator ? given : given + platform::path_separator;
      for (const std::string& name : platform::list_data_files(path, true))
        inputs.push_back({folder + name, path / platform::path_from_narrow(name)});
    } else if (std::filesystem::exists(status)) {
      inputs.push_back({given, path});
    } else {
      throw std::invalid_argument(given + ": no such file or folder");
    }
  }
  return inputs;
}

}  // namespace quillon::batch
