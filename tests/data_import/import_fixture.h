// A scratch folder of data files, removed with the fixture, and the import of one file.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data_import/data_import.h"
#include "data_import/text_utils.h"
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
  FitState import(const std::string& content, std::string* output = nullptr) {
    FitState state;
    state.fname = fixed_text(write_file("data.dat", content), 200);
    StringConsole sc;
    data_import(sc.console, state);
    if (output != nullptr)
      *output = sc.output();
    return state;
  }

  std::filesystem::path folder_;
};

// The four header lines of a model 1 file.
inline const std::string m1_header = "1\n10.0 1.0\n0.01 0.01\n1.0E3 1.0E3\n";

}  // namespace quillon::testing
