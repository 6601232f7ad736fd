// The few things that differ between operating systems: the folder separator, the
// working directory, narrow file names, the listing of data files, a pause in whole
// seconds, the mode of the standard output stream, threads, terminals, Ctrl-C and
// replacing a file.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::textio::platform {

#ifdef _WIN32
inline constexpr char path_separator = '\\';
#else
inline constexpr char path_separator = '/';
#endif

// The working directory's true path (blanks kept), empty when it cannot be found. On
// Windows it is in the ANSI code page, as the narrow file functions expect.
std::string working_directory();

// A path from a name in the narrow character set of the system's file functions
// (on Windows the ANSI code page), and the name of a path in that set: a name read
// from the console or the listing opens the file it names.
std::filesystem::path path_from_narrow(const std::string& name);
std::string narrow_name(const std::filesystem::path& path);

// Bare names of the files in `folder` whose extension is ".dat" (any letter case),
// sorted byte-wise. Folders are not listed, nor names that cannot be opened by their
// narrow name, nor (unless `any_line`) names that cannot stand on one line.
std::vector<std::string> list_data_files(const std::filesystem::path& folder,
                                         bool any_line = false);

// The bare names of a folder's files with one of these extensions (lower case, with
// the dot; any letter case matches) and of its subfolders, each sorted byte-wise, on
// the same terms as list_data_files.
struct FolderListing {
  std::vector<std::string> files, folders;
};
FolderListing list_folder(const std::filesystem::path& folder,
                          std::span<const std::string_view> extensions, bool any_line);

// Writes the names one per line as a text file of the system, replacing the file.
// False when it cannot be written.
bool write_listing(const std::filesystem::path& file, const std::vector<std::string>& names);

// True when the trimmed name is an existing file that is not a folder.
bool file_name_exists(std::string_view name);

void sleep_seconds(int seconds);

// Whether threads can be started: not in a WebAssembly build without thread support.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
inline constexpr bool has_threads = false;
#else
inline constexpr bool has_threads = true;
#endif

// Whether the standard error stream is a terminal (progress may then redraw a line).
bool standard_error_is_terminal();

// Ctrl-C (SIGINT) from now on only raises a flag, which interrupt_requested reads.
// The flag is the process's one piece of mutable global state: a signal can reach
// nothing else.
void catch_interrupt();
bool interrupt_requested();

// Moves `from` over `to`, replacing it in one step where the system can.
bool replace_file(const std::filesystem::path& from, const std::filesystem::path& to);

// The console writes its own CR LF line ends: a text-mode standard output (Windows)
// would turn them into CR CR LF, so it is switched to binary mode there.
void use_binary_standard_output();

}  // namespace quillon::textio::platform
