// Progress of a batch on the error stream: on a terminal one line redrawn in place,
// elsewhere one line per finished file; the closing count in both.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>

namespace quillon::batch {

class Progress {
 public:
  Progress(std::ostream& err, std::size_t total, bool terminal, bool quiet);

  // One file finished; safe to call from any worker.
  void finished(const std::string& file, bool fitted, const std::string& message);
  // The closing line: "N files: F fitted, R rejected in T s".
  void close(std::size_t fitted, std::size_t rejected, std::size_t warned = 0);
  // A line that must be seen even with --quiet.
  void error(const std::string& text);

 private:
  double elapsed() const;
  void clear_line();

  std::ostream& err_;
  const std::size_t total_;
  const bool terminal_;
  const bool quiet_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::mutex mutex_;
  std::size_t done_ = 0;
  std::size_t drawn_ = 0;  // characters of the redrawn line
};

}  // namespace quillon::batch
