// index.html: the batch's results as one self-contained page (inline SVG and CSS,
// no script, no network): the summary table, then each fitted file's picture with
// its statistics beside it and, with --compare, its ranking.
#pragma once

#include <string>
#include <vector>

#include "outputs/record.h"

namespace quillon::outputs {

// Records not done are left out; a picture is inlined while its record holds its text
// and shown from its file otherwise; links lead only to outputs that were written.
// A global fit's part of the page: its picture, statistics text and test, or why it
// was not made.
struct GlobalPage {
  std::string picture;          // the SVG
  std::string stats;            // global.stats.txt
  std::string test;             // the test's line
  std::string message;          // why there is no fit; empty when fitted
  std::vector<Output> written;  // its outputs on disk, to be linked
};

std::string index_html(const std::vector<FileRecord>& records, bool compare,
                       const GlobalPage* global = nullptr);

// Pictures inlined in the page for at most this many files; beyond, the page shows
// them from their files so that it stays light.
inline constexpr std::size_t inline_picture_files = 200;

}  // namespace quillon::outputs
