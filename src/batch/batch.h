// The batch: every input fitted on a pool of worker threads, a report file per fit
// and one summary table, with progress on the error stream.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "file_analysis/fit_file.h"

namespace quillon::batch {

struct Options {
  std::vector<std::string> paths;                    // data files and folders
  std::filesystem::path output = "quillon-results";  // where the results go
  unsigned jobs = 1;                                 // fits at once
  bool quiet = false;                                // errors only on the error stream
  bool recursive = false;                            // folders' subfolders too
  bool diagnostic = false;          // also the double-reciprocal picture of each fit that has one
  bool pdf = false;                 // each picture as PDF too
  std::filesystem::path converted;  // --to-dat: tables as data files; empty: none
  file_analysis::FitOptions fit;    // how each input is read and fitted
  // --global: one fit of every input's data set at once, these parameters shared.
  bool global = false;
  std::vector<std::string> share;
};

// Exit statuses, as scripts read them.
inline constexpr int all_fitted = 0;
inline constexpr int some_rejected = 1;
inline constexpr int usage_error = 2;         // also: an output that cannot be written
inline constexpr int some_data_warnings = 3;  // all fitted, but some data may have been misread
inline constexpr int interrupted = 130;

// Runs the batch; returns the exit status.
int run_batch(const Options& options, std::ostream& err);

}  // namespace quillon::batch
