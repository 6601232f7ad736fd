#include "textio/platform.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <fstream>
#include <system_error>
#include <thread>

#include "textio/text_utils.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#else
#include <unistd.h>
#endif

namespace quillon::textio::platform {

namespace {

// The name ends in one of the extensions (given in lower case), in any letter case.
bool has_extension(const std::string& name, std::span<const std::string_view> extensions) {
  for (const std::string_view ext : extensions) {
    if (name.size() >= ext.size() &&
        std::equal(ext.begin(), ext.end(), name.end() - static_cast<std::ptrdiff_t>(ext.size()),
                   [](char e, char c) { return std::tolower(static_cast<unsigned char>(c)) == e; }))
      return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> list_data_files(const std::filesystem::path& folder, bool any_line) {
  constexpr std::string_view dat[] = {".dat"};
  return list_folder(folder, dat, any_line).files;
}

#ifdef _WIN32

// The ANSI ("A") functions are used throughout: the import opens files by narrow name,
// which the C runtime takes in the ANSI code page, whereas std::filesystem would hand
// out UTF-8 names here.

std::string working_directory() {
  const DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0)
    return {};
  std::string cwd(needed, '\0');
  const DWORD length = GetCurrentDirectoryA(needed, cwd.data());
  if (length == 0 || length >= needed)
    return {};
  cwd.resize(length);
  return cwd;
}

std::filesystem::path path_from_narrow(const std::string& name) {
  if (name.empty())
    return {};
  const int size =
      MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), size);
  return std::filesystem::path(wide);
}

std::string narrow_name(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty())
    return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string name(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), name.data(), size,
                      nullptr, nullptr);
  return name;
}

FolderListing list_folder(const std::filesystem::path& folder,
                          std::span<const std::string_view> extensions, bool /*any_line*/) {
  FolderListing listing;
  std::vector<std::string>& names = listing.files;
  // Every entry is matched here rather than by a "*.dat" pattern, which would also
  // match longer extensions through their short 8.3 names.
  std::string pattern;
  try {
    pattern = folder.string();
  } catch (const std::exception&) {
    return listing;
  }
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/')
    pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE)
    return listing;
  do {
    std::string name = entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (name != "." && name != ".." && name.find('?') == std::string::npos)
        listing.folders.push_back(std::move(name));
      continue;
    }
    if (!has_extension(name, extensions))
      continue;
    // '?' cannot be part of a Windows file name: it stands for a character the ANSI
    // code page lacks, and such a name cannot be opened as listed.
    if (name.find('?') != std::string::npos)
      continue;
    names.push_back(std::move(name));
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  std::sort(listing.folders.begin(), listing.folders.end());
  return listing;
}

void use_binary_standard_output() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

bool standard_error_is_terminal() {
  return _isatty(_fileno(stderr)) != 0;
}

bool replace_file(const std::filesystem::path& from, const std::filesystem::path& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

#else

std::string working_directory() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (ec)
    return {};
  return cwd.string();
}

std::filesystem::path path_from_narrow(const std::string& name) {
  return std::filesystem::path(name);
}

std::string narrow_name(const std::filesystem::path& path) {
  return path.string();
}

FolderListing list_folder(const std::filesystem::path& folder,
                          std::span<const std::string_view> extensions, bool any_line) {
  FolderListing listing;
  std::vector<std::string>& names = listing.files;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec)
    return listing;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
    if (ec)
      break;
    std::string name;
    try {
      name = it->path().filename().string();
    } catch (const std::exception&) {
      continue;  // not representable in the narrow character set
    }
    std::error_code type_ec;
    if (it->is_directory(type_ec)) {
      if (any_line || name.find_first_of("\r\n") == std::string::npos)
        listing.folders.push_back(std::move(name));
      continue;
    }
    if (!has_extension(name, extensions))
      continue;
    // A line end inside a name would split it in the scratch file.
    if (!any_line && name.find_first_of("\r\n") != std::string::npos)
      continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  std::sort(listing.folders.begin(), listing.folders.end());
  return listing;
}

void use_binary_standard_output() {}

bool standard_error_is_terminal() {
#ifdef __EMSCRIPTEN__
  // The runtime calls its own console a terminal even where the output is a pipe.
  return false;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

bool replace_file(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code ec;
  std::filesystem::rename(from, to, ec);
  return !ec;
}

#endif

bool write_listing(const std::filesystem::path& file, const std::vector<std::string>& names) {
  // Text mode: the system's own line end, as its directory listing would write.
  std::ofstream out(file, std::ios::trunc);
  if (!out)
    return false;
  for (const auto& name : names)
    out << name << '\n';
  out.close();
  return !out.fail();
}

bool file_name_exists(std::string_view name) {
  const std::string_view t = trimmed(name);
  if (t.empty())
    return false;
  std::error_code ec;
  // A folder that happens to carry a data file's name is not a data file.
  const auto st = std::filesystem::status(std::filesystem::path(std::string(t)), ec);
  return std::filesystem::exists(st) && !std::filesystem::is_directory(st);
}

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

extern "C" void on_interrupt(int) {
  interrupted.store(true);
}

}  // namespace

void catch_interrupt() {
  std::signal(SIGINT, on_interrupt);
}

bool interrupt_requested() {
  return interrupted.load();
}

void sleep_seconds(int seconds) {
  if (seconds > 0)
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
}

}  // namespace quillon::textio::platform
