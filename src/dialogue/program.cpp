#include "dialogue/program.h"

#include <new>

#include "dialogue/banner.h"
#include "dialogue/console.h"
#include "dialogue/main_loop.h"
#include "dialogue/program_stop.h"

namespace quillon {

int run_program(std::istream& in, std::ostream& out, std::ostream& err,
                const ProgramSettings& settings) {
  Console console(in, out);
  try {
    int status = 0;
    check_system_bitwidth(console, status);
    main_loop(console, settings);
    out.flush();
    return 0;
  } catch (const ProgramStop& stop) {
    // A stop at a prompt leaves the prompt's line open: end it, so the stop text
    // stands on its own line where both streams share a terminal.
    if (console.line_open())
      console.end_line();
    out.flush();
    err << stop.what() << '\n';
    return stop.status;
  } catch (const std::bad_alloc&) {
    if (console.line_open())
      console.end_line();
    out.flush();
    err << "Quillon stops: not enough memory for the data of this fit.\n";
    return 1;
  }
}

}  // namespace quillon
