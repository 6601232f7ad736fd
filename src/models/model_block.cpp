#include "models/model_block.h"

#include <span>
#include <string>

#include "data_import/text_utils.h"
#include "models/catalogue.h"

namespace quillon::models {

void print_model_block(Console& console, FitState& fit, ModelEvaluator& ev) {
  const auto np = static_cast<std::size_t>(fit.np);
  console.list();
  console.list(trimmed(fit.model_name));
  funchar(fit.eq, fit.model);
  console.list("Parameters: P1, P2, P3, P4 (e.g., Km, Vmax, Ki)");
  console.list("Independent X variables: X1 and X2 (e.g., [S] and [I])");
  console.list("Constants: C1 and C2 (e.g., 1.0 and 2.0)");
  display_form(fit.eq);
  console.list("Model equation: ", trimmed(fit.eq));
  encode_function_names(fit.eq);

  // The first build; only its encoded text is used here.
  ev.func(1, fit.nc, fit.np, fit.nx, fit.eq, fit.var);
  std::string encoded = ev.eqnsinglecharglobal();
  display_form(encoded);
  console.list("Model equation (encoded): ", trimmed(encoded));
  console.list();
  console.list("Model lower and upper bounds:");
  console.write("(10ES14.6)", std::span<const double>(fit.plower.data(), np));
  console.write("(10ES14.6)", std::span<const double>(fit.pupper.data(), np));
}

}  // namespace quillon::models
