// Conditions that end the program. They are thrown where they arise and caught by
// run_program, which writes the stop text to the error stream and returns the status.
#pragma once

#include <stdexcept>
#include <string>

namespace quillon::dialogue {

struct ProgramStop : std::runtime_error {
  ProgramStop(int exit_status, const std::string& stop_text)
      : std::runtime_error(stop_text), status(exit_status) {}
  int status;  // process exit status
};

}  // namespace quillon::dialogue
