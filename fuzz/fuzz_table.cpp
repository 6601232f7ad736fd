// The table reader on arbitrary bytes, with the options a first byte picks (decimal
// comma, a model, named columns); a table read whole is then turned into a fit state
// with starts from its data, prepared, and its sum of squares taken at the starts.
#include <cstdint>
#include <span>
#include <sstream>
#include <string_view>
#include <variant>

#include "data_import/data_import.h"
#include "data_import/table_reader.h"
#include "data_import/table_state.h"
#include "fuzz_support.h"
#include "models/model_block.h"
#include "models/model_evaluator.h"
#include "textio/console.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon;
  if (size == 0)
    return 0;
  const std::uint8_t pick = data[0];
  data_import::TableOptions options;
  options.decimal_comma = (pick & 1) != 0;
  options.model = (pick >> 1) % 7;  // 0: chosen by the columns
  if ((pick & 0x10) != 0)
    options.columns = {"1", "2", "3"};
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  auto table = data_import::read_table(text, options);
  const auto* read = std::get_if<data_import::Table>(&table);
  if (read == nullptr)
    return 0;
  auto state = data_import::table_state(*read, {});
  auto* fit = std::get_if<models::FitState>(&state);
  std::istringstream in;
  std::ostringstream out;
  textio::Console console(in, out);
  if (fit == nullptr || !data_import::prepare_data(console, *fit))
    return 0;
  (void)data_import::dat_text(*fit, "fuzz", fit->units);
  models::ModelEvaluator evaluator(console);
  models::print_model_block(console, *fit, models::set_up_model(*fit, evaluator));
  (void)models::ssq_objfun(
      *fit, evaluator,
      std::span<const double>(fit->pinit.data(), static_cast<std::size_t>(fit->np)));
  return 0;
}
