#include "dialogue/program.h"

#include <new>
#include <string_view>

#include "dialogue/banner.h"
#include "dialogue/main_loop.h"
#include "dialogue/program_stop.h"
#include "textio/console.h"
#include "textio/error.h"

namespace quillon::dialogue {

int run_program(std::istream& in, std::ostream& out, std::ostream& err,
                const ProgramSettings& settings) {
  textio::Console console(in, out);
  // A stop at a prompt leaves the prompt's line open: end it, so the stop text
  // stands on its own line where both streams share a terminal.
  const auto stop = [&](std::string_view text, int status) {
    if (console.line_open())
      console.end_line();
    out.flush();
    err << text << '\n';
    return status;
  };
  try {
    check_system_bitwidth(console);
    main_loop(console, settings);
    out.flush();
    return 0;
  } catch (const ProgramStop& program_stop) {
    return stop(program_stop.what(), program_stop.status);
  } catch (const textio::FatalError& error) {
    return stop(error.what(), 1);
  } catch (const std::bad_alloc&) {
    return stop("Quillon stops: not enough memory for the data of this fit.", 1);
  }
}

}  // namespace quillon::dialogue
