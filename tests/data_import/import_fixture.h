// A scratch folder of data files, removed with the fixture, and the import of one file.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <variant>

#include "data_import/data_import.h"
#include "support/test_support.h"

namespace quillon::testing {

class ImportFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() / ("quillon import " + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string write_file(const std::string& name, const std::string& content) {
    const auto path = folder_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  // Imports `content` under an absolute name; the printed account goes to `output`.
  data_import::ImportResult import(const std::string& content, std::string* output = nullptr) {
    StringConsole sc;
    data_import::ImportResult result =
        data_import::data_import(sc.console, write_file("data.dat", content));
    if (output != nullptr)
      *output = sc.output();
    return result;
  }

  // The fit state of a file the import must accept.
  models::FitState accepted(const std::string& content, std::string* output = nullptr) {
    std::string printed;
    data_import::ImportResult result = import(content, &printed);
    if (output != nullptr)
      *output = printed;
    if (auto* fit = std::get_if<models::FitState>(&result))
      return std::move(*fit);
    ADD_FAILURE() << "refused: " << printed;
    return {};
  }

  std::filesystem::path folder_;
};

// The four header lines of a model 1 file.
inline const std::string m1_header = "1\n10.0 1.0\n0.01 0.01\n1.0E3 1.0E3\n";

}  // namespace quillon::testing
