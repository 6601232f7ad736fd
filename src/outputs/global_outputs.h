// A global fit's outputs: its parameters per set, its test against the separate fits,
// its statistics text and its picture. Lines end with CR LF, as the batch's tables do.
#pragma once

#include <string>

#include "file_analysis/global_fit.h"
#include "pictures/drawing.h"

namespace quillon::outputs {

// global.parameters.csv: a row per set and model parameter, a shared one in every set.
std::string global_parameters_csv(const file_analysis::GlobalFit& g);

// global.test.csv: the header and the one row of the shared fit against the separate ones.
std::string global_test_csv(const file_analysis::GlobalFit& g);

// "Shared against separate fits: F(1, 19) = 1.718, p = 0.206; AICc ..." for the texts.
std::string global_test_line(const file_analysis::GlobalFit& g);

// global.stats.txt: the sets, the standard analysis of every parameter, and the test.
std::string global_stats_text(const file_analysis::GlobalFit& g);

// global.svg and global.pdf: every set's observations and curve, the shared values in
// the caption.
pictures::Drawing global_picture(const file_analysis::GlobalFit& g);

}  // namespace quillon::outputs
