#include "dialogue/program.h"

#include "dialogue/banner.h"
#include "dialogue/console.h"
#include "dialogue/program_stop.h"

namespace quillon {

int run_program(std::istream& in, std::ostream& out, std::ostream& err) {
  Console console(in, out, err);
  try {
    int status = 0;
    check_system_bitwidth(console, status);
    out.flush();
    return 0;
  } catch (const ProgramStop& stop) {
    out.flush();
    err << stop.what() << '\n';
    return stop.status;
  }
}

}  // namespace quillon
