// index.html: the batch's results as one self-contained page (inline SVG and CSS,
// no script, no network): the summary table, then each fitted file's picture with
// its statistics beside it and, with --compare, its ranking.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "batch/fit_file.h"
#include "batch/inputs.h"

namespace quillon::batch {

// `done[i]` marks the inputs that were processed; the pictures are read back from
// `output` (<stem>.svg, <stem>.compare.svg).
std::string index_html(const std::vector<Input>& inputs, const std::vector<FileResult>& results,
                       const std::vector<char>& done, const std::filesystem::path& output,
                       bool compare);

}  // namespace quillon::batch
