// The data file: its model line, estimates and bounds, and the observations.
#pragma once

#include <istream>
#include <string>

#include "dialogue/console.h"
#include "dialogue/fit_state.h"

namespace quillon {

// The model catalogue: upper-case name (512 characters, blank-padded) and the numbers
// of parameters, independent-variable columns and constants of model 1..6.
void npar(int model, std::string& model_name, int& np, int& nx, int& nc);

// Leading data-bearing lines: counting stops at the end of the input or at the first
// line (its first 100 characters) that is empty after its leading blanks are removed
// or that begins with a double quote, "#" or an apostrophe.
int count_file_rows(std::istream& in);

// Values on the initial-estimates line (line 2 of a normal file), separated by blanks
// only and counted up to the first "!". Prints a warning and returns -1 when the input
// holds no line that is not blank.
int file_column_count(Console& console, std::istream& in);

// Reads state.fname (its first 80 characters) from the working directory, or as given
// when it is an absolute name, and fills model, model_name, np, nx, nc, npoints,
// pinit, plower, pupper, the import buffers and import_ok. Every reason to reject the
// file is printed and leaves import_ok at 0; only a file that has vanished since the
// caller's existence test ends the program.
void data_import(Console& console, FitState& state, int max_model_number = max_model);

}  // namespace quillon
