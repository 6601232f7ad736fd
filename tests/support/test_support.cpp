#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <variant>

#include "data_import/data_import.h"

namespace quillon::testing {

models::FitState prepared_fit(textio::Console& console, const std::string& path) {
  data_import::ImportResult imported = data_import::data_import(console, path);
  if (const auto* refused = std::get_if<data_import::Rejection>(&imported)) {
    ADD_FAILURE() << path << " refused: " << refused->message;
    return {};
  }
  auto& fit = std::get<models::FitState>(imported);
  EXPECT_TRUE(data_import::prepare_data(console, fit));
  return std::move(fit);
}

std::string crlf_lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> split_crlf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size())
    lines.push_back(text.substr(start) + " <no CR LF>");
  return lines;
}

}  // namespace quillon::testing
