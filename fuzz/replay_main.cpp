// Replays saved inputs through a fuzz target without libFuzzer: every argument is
// a file or a folder of files, run in name order. Any crash, sanitizer report or
// uncaught exception fails the run, as it would under the fuzzer.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_support.h"

namespace {

void run_file(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  std::printf("replay %s (%zu bytes)\n", file.string().c_str(), bytes.size());
  std::fflush(stdout);
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  // Absolute names first: the target may change the working directory.
  std::vector<std::filesystem::path> files;
  for (int k = 1; k < argc; ++k) {
    const std::filesystem::path arg = std::filesystem::absolute(argv[k]);
    if (std::filesystem::is_directory(arg)) {
      std::vector<std::filesystem::path> inside;
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (entry.is_regular_file())
          inside.push_back(entry.path());
      }
      std::sort(inside.begin(), inside.end());
      files.insert(files.end(), inside.begin(), inside.end());
    } else {
      files.push_back(arg);
    }
  }
  LLVMFuzzerInitialize(&argc, &argv);
  for (const auto& file : files)
    run_file(file);
  std::printf("%zu inputs replayed\n", files.size());
  return 0;
}
