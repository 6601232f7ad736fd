// The data import on arbitrary file bytes: the file is written into a scratch folder
// and imported as the dialogue would; an accepted file is then prepared for a fit and
// its sum of squares taken at the initial estimates, so odd numbers reach the models.
#include <cstdint>
#include <sstream>

#include "data_import/data_import.h"
#include "data_import/text_utils.h"
#include "dialogue/console.h"
#include "dialogue/main_loop.h"
#include "dialogue/program_stop.h"
#include "fuzz_support.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  quillon::fuzzing::enter_scratch_folder("import");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon;
  fuzzing::write_file("input.dat", data, size);
  std::istringstream in;
  std::ostringstream out;
  Console console(in, out);
  try {
    FitState state;
    state.ycalc.assign(static_cast<std::size_t>(max_points), 0.0);
    state.fname = fixed_text("input.dat", 200);
    data_import(console, state);
    if (state.import_ok == 0 || !prepare_data(console, state))
      return 0;
    models::ModelEvaluator evaluator(console);
    models::print_model_block(console, state, evaluator);
    (void)models::ssq_objfun(
        state, evaluator,
        std::span<const double>(state.pinit.data(), static_cast<std::size_t>(state.np)));
  } catch (const ProgramStop&) {
    // A stop is one of the program's normal ends.
  }
  return 0;
}
