#include "fuzz_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon::fuzzing {

std::filesystem::path enter_scratch_folder(const char* tag) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / (std::string("quillon-") + tag + "-XXXXXX"))
          .string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr)
    throw std::runtime_error("cannot create a scratch folder");
  const std::filesystem::path folder(buffer.data());
  std::filesystem::current_path(folder);
  return folder;
}

void write_file(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void write_file(const std::filesystem::path& file, const std::string& text) {
  write_file(file, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace quillon::fuzzing
