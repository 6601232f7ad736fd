// The few things that differ between operating systems: the folder separator, the
// working directory, the listing of data files and a pause in whole seconds.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillon::platform {

#ifdef _WIN32
inline constexpr char path_separator = '\\';
#else
inline constexpr char path_separator = '/';
#endif

// The working directory's true path (blanks kept), empty when it cannot be found.
std::string working_directory();

// Bare names of the files in `folder` whose extension is ".dat" (any letter case),
// sorted byte-wise. Folders are not listed, nor names that cannot stand on one line.
std::vector<std::string> list_data_files(const std::filesystem::path& folder);

// Writes the names one per line, replacing the file. False when it cannot be written.
bool write_listing(const std::filesystem::path& file, const std::vector<std::string>& names);

void sleep_seconds(int seconds);

}  // namespace quillon::platform
