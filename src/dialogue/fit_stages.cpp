#include "dialogue/fit_stages.h"

namespace quillon {

// Not built yet: each stage below is a placeholder, so a confirmed file goes
// straight from the data preparation to the continue prompt.
void run_fit_stages(Console& console, FitState& state) {
  (void)console;
  (void)state;
  // Model block: name, equation in display and encoded form, bounds.
  // print_model_block(console, state);

  // Stochastic tunnelling search, polished by steepda; leaves pbest and best.
  // run_search(console, state);

  // Residual table.
  // print_residual_table(console, state);

  // Screen plot of observed and fitted values.
  // plot_fit(console, state);

  // Parameter uncertainty by sampling, with the information criteria.
  // print_uncertainty(console, state);
}

}  // namespace quillon
