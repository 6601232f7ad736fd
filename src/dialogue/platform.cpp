#include "dialogue/platform.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <system_error>
#include <thread>

namespace quillon::platform {

std::string working_directory() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (ec)
    return {};
  return cwd.string();
}

namespace {

bool has_data_extension(const std::string& name) {
  if (name.size() < 4)
    return false;
  const std::string ext = name.substr(name.size() - 4);
  return ext[0] == '.' && (ext[1] == 'd' || ext[1] == 'D') && (ext[2] == 'a' || ext[2] == 'A') &&
         (ext[3] == 't' || ext[3] == 'T');
}

}  // namespace

std::vector<std::string> list_data_files(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec)
    return names;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
    if (ec)
      break;
    std::error_code type_ec;
    if (it->is_directory(type_ec))
      continue;
    std::string name;
    try {
      name = it->path().filename().string();
    } catch (const std::exception&) {
      continue;  // not representable in the narrow character set
    }
    if (!has_data_extension(name))
      continue;
    // A line end inside a name would split it in the scratch file.
    if (name.find_first_of("\r\n") != std::string::npos)
      continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool write_listing(const std::filesystem::path& file, const std::vector<std::string>& names) {
  std::ofstream out(file, std::ios::trunc);
  if (!out)
    return false;
  for (const auto& name : names)
    out << name << '\n';
  out.close();
  return !out.fail();
}

void sleep_seconds(int seconds) {
  if (seconds > 0)
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
}

}  // namespace quillon::platform
