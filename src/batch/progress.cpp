#include "batch/progress.h"

#include <cstdio>

namespace quillon::batch {
namespace {

std::string seconds_text(double s) {
  char text[32];
  std::snprintf(text, sizeof text, s < 10 ? "%.1f s" : "%.0f s", s);
  return text;
}

}  // namespace

Progress::Progress(std::ostream& err, std::size_t total, bool terminal, bool quiet)
    : err_(err), total_(total), terminal_(terminal), quiet_(quiet) {}

double Progress::elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::clear_line() {
  if (drawn_ > 0)
    err_ << '\r' << std::string(drawn_, ' ') << '\r';
  drawn_ = 0;
}

void Progress::finished(const std::string& file, bool fitted, const std::string& message) {
  const std::lock_guard lock(mutex_);
  ++done_;
  if (quiet_)
    return;
  const std::string count = std::to_string(done_) + "/" + std::to_string(total_);
  if (!terminal_) {
    err_ << count << ' ' << (fitted ? "fitted " : "rejected ") << file;
    if (!fitted)
      err_ << ": " << message;
    err_ << '\n' << std::flush;
    return;
  }
  const double spent = elapsed();
  const double left = spent / static_cast<double>(done_) * static_cast<double>(total_ - done_);
  std::string line = count + "  " + std::to_string(100 * done_ / total_) + " %  " +
                     seconds_text(spent) + " elapsed, about " + seconds_text(left) + " left  ";
  // A line wider than the terminal would wrap, and the next redraw would not cover it:
  // the file name gives way from the left.
  constexpr std::size_t width = 79;
  const std::size_t room = width > line.size() + 3 ? width - line.size() : 3;
  line += file.size() <= room ? file : "..." + file.substr(file.size() - (room - 3));
  clear_line();
  err_ << line << std::flush;
  drawn_ = line.size();
}

void Progress::error(const std::string& text) {
  const std::lock_guard lock(mutex_);
  clear_line();
  err_ << text << '\n' << std::flush;
}

void Progress::close(std::size_t fitted, std::size_t rejected, std::size_t warned) {
  const std::lock_guard lock(mutex_);
  clear_line();
  if (quiet_)
    return;
  err_ << fitted + rejected << " files: " << fitted << " fitted, " << rejected << " rejected";
  if (warned > 0)
    err_ << ", " << warned << " with data warnings (see summary.csv)";
  err_ << " in " << seconds_text(elapsed()) << '\n' << std::flush;
}

}  // namespace quillon::batch
