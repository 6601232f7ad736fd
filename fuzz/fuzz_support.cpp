#include "fuzz_support.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace quillon::fuzzing {

std::filesystem::path enter_scratch_folder(const char* tag) {
  namespace fs = std::filesystem;
  // create_directory fails on an existing name, so a clash just draws another name.
  std::random_device seed;
  std::mt19937_64 engine(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path folder = fs::temp_directory_path() / (std::string("quillon-") + tag + "-" +
                                                         std::to_string(engine() % 1000000000));
    std::error_code error;
    if (fs::create_directory(folder, error)) {
      fs::current_path(folder);
      return folder;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

void write_file(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void write_file(const std::filesystem::path& file, const std::string& text) {
  write_file(file, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace quillon::fuzzing
