#include "models/model_block.h"

#include <span>

#include "models/catalogue.h"
#include "textio/text_utils.h"

namespace quillon::models {

ModelSetup set_up_model(FitState& fit, ModelEvaluator& ev) {
  ModelSetup setup;
  if (fit.user_equation.empty())
    funchar(fit.eq, fit.model);
  else
    fit.eq = textio::fixed_text(fit.user_equation, equation_length);
  display_form(fit.eq);
  setup.equation = textio::trimmed(fit.eq);
  encode_function_names(fit.eq);

  // The first build; only its encoded text is used here.
  ev.func(1, fit.nc, fit.np, fit.nx, fit.eq, fit.var);
  std::string encoded = ev.eqnsinglecharglobal();
  display_form(encoded);
  setup.encoded = textio::trimmed(encoded);
  return setup;
}

void print_model_block(textio::Console& console, const FitState& fit, const ModelSetup& setup) {
  const auto np = static_cast<std::size_t>(fit.np);
  console.list();
  console.list(textio::trimmed(fit.model_name));
  console.list("Parameters: P1, P2, P3, P4 (e.g., Km, Vmax, Ki)");
  console.list("Independent X variables: X1 and X2 (e.g., [S] and [I])");
  console.list("Constants: C1 and C2 (e.g., 1.0 and 2.0)");
  console.list("Model equation: ", setup.equation);
  console.list("Model equation (encoded): ", setup.encoded);
  console.list();
  console.list("Model lower and upper bounds:");
  console.write("(10ES14.6)", std::span<const double>(fit.plower.data(), np));
  console.write("(10ES14.6)", std::span<const double>(fit.pupper.data(), np));
}

}  // namespace quillon::models
