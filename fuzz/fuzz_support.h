// Shared pieces of the fuzz targets: a private scratch folder that becomes the
// working directory, and writing the input files into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace quillon::fuzzing {

// Creates a fresh folder under the system's temporary folder, makes it the working
// directory and returns its path. Called once per process.
std::filesystem::path enter_scratch_folder(const char* tag);

// Writes bytes to a file, replacing it.
void write_file(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size);
void write_file(const std::filesystem::path& file, const std::string& text);

}  // namespace quillon::fuzzing

// Every target defines these; the replay program calls them for each saved input.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
