// The data file: its model line, estimates and bounds, and the observations; and the
// preparation of the observations for a fit.
#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <variant>

#include "models/fit_state.h"
#include "textio/console.h"

namespace quillon::data_import {

// From the model table: the upper-case name (512 characters, blank-padded) and the numbers
// of parameters, independent-variable columns and constants of model 1..6.
void npar(int model, std::string& model_name, int& np, int& nx, int& nc);

// Leading data-bearing lines: counting stops at the end of the input or at the first
// line (its first 100 characters) that is empty after its leading blanks are removed
// or that begins with a double quote, "#" or an apostrophe.
int count_file_rows(std::istream& in);

// Values on the initial-estimates line (line 2 of a normal file), separated by blanks
// only and counted up to the first "!". Prints a warning and returns -1 when the input
// holds no line that is not blank.
int file_column_count(textio::Console& console, std::istream& in);

enum class RejectReason {
  missing,                 // no such file (or a folder)
  cannot_open,             // exists but cannot be read
  empty,                   // no line that is not blank
  model_number,            // line 1 is not a model number 1..max
  parameter_count,         // line 2 holds another count of values than the model's
  header_incomplete,       // the file ends inside lines 1 to 4
  unreadable_value,        // an item that is not a number
  bounds_crossed,          // a lower bound above its upper bound
  no_observations,         // nothing after line 4
  observation_incomplete,  // the file ends inside an observation
};

// Why a file was not imported: the lines the import printed, joined by line feeds.
struct Rejection {
  RejectReason reason = RejectReason::missing;
  std::string message;
};

// The fit state of an accepted file (model, counts, estimates, bounds, observations
// in the import buffers), or why the file was refused.
using ImportResult = std::variant<models::FitState, Rejection>;

// Reads the file `name` of `folder` (an absolute name is taken as it is), printing
// both path lines, and any reason to refuse it, to `console`.
ImportResult data_import(textio::Console& console, const std::filesystem::path& folder,
                         const std::filesystem::path& name,
                         int max_model_number = models::max_model);
// The same for a file given by any path, relative to the working directory or absolute.
ImportResult data_import(textio::Console& console, const std::filesystem::path& file);

// Copies the imported observations into the working arrays sorted by ascending X1
// and fills the values vector. False, after saying so, when the file holds more
// observations than a fit can take.
bool prepare_data(textio::Console& console, models::FitState& state);

}  // namespace quillon::data_import
