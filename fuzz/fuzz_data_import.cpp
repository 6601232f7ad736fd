// The data import on arbitrary file bytes: the file is written into a scratch folder
// and imported as the dialogue would; an accepted file is then prepared for a fit and
// its sum of squares taken at the initial estimates, so odd numbers reach the models.
#include <cstdint>
#include <sstream>
#include <variant>

#include "data_import/data_import.h"
#include "fuzz_support.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "textio/console.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  quillon::fuzzing::enter_scratch_folder("import");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon;
  fuzzing::write_file("input.dat", data, size);
  std::istringstream in;
  std::ostringstream out;
  textio::Console console(in, out);
  data_import::ImportResult imported = data_import::data_import(console, "input.dat");
  auto* state = std::get_if<models::FitState>(&imported);
  if (state == nullptr || !data_import::prepare_data(console, *state))
    return 0;
  models::ModelEvaluator evaluator(console);
  models::print_model_block(console, *state, models::set_up_model(*state, evaluator));
  (void)models::ssq_objfun(
      *state, evaluator,
      std::span<const double>(state->pinit.data(), static_cast<std::size_t>(state->np)));
  return 0;
}
