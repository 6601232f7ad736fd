// Compares a program's captured output with a case's expected transcript, byte for
// byte, after replacing the scratch folder's path by <WORK_DIR>. CMake strings drop
// carriage returns, so the comparison is done here.
//
//   transcript_compare <actual> <expected> <work dir> [--optional] [--update]
//
// --optional: a missing expected file is fine when the output is empty.
// --update:   write the expected file from this output instead of comparing.
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

bool read_file(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  content.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty())
    return;
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// 1-based line and column of the first difference.
std::string first_difference(const std::string& a, const std::string& b) {
  std::size_t k = 0;
  while (k < a.size() && k < b.size() && a[k] == b[k])
    ++k;
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < k; ++i) {
    if (a[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  std::ostringstream out;
  out << "first difference at line " << line << ", column " << column;
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr
        << "usage: transcript_compare <actual> <expected> <work dir> [--optional] [--update]\n";
    return 2;
  }
  const std::string actual_path = argv[1];
  const std::string expected_path = argv[2];
  bool optional = false;
  bool update = false;
  for (int i = 4; i < argc; ++i) {
    optional = optional || std::strcmp(argv[i], "--optional") == 0;
    update = update || std::strcmp(argv[i], "--update") == 0;
  }

  std::string actual;
  if (!read_file(actual_path, actual)) {
    std::cerr << "cannot read " << actual_path << "\n";
    return 2;
  }
  replace_all(actual, argv[3], "<WORK_DIR>");

  if (update) {
    if (optional && actual.empty())
      return 0;
    std::ofstream(expected_path, std::ios::binary) << actual;
    return 0;
  }
  std::string expected;
  if (!read_file(expected_path, expected)) {
    if (optional && actual.empty())
      return 0;
    std::cerr << "missing " << expected_path << "\n";
    return 1;
  }
  if (actual == expected)
    return 0;
  std::ofstream(actual_path + ".normalised", std::ios::binary) << actual;
  std::cerr << expected_path << ": " << first_difference(actual, expected) << ", output kept in "
            << actual_path << ".normalised\n";
  return 1;
}
