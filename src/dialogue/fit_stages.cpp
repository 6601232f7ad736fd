#include "dialogue/fit_stages.h"

#include "models/model_block.h"
#include "optimise/tunnelling_search.h"
#include "report/fit_report.h"

namespace quillon::dialogue {

void run_fit_stages(textio::Console& console, models::FitState& state,
                    models::ModelEvaluator& evaluator, const ProgramSettings& settings) {
  const models::ModelSetup setup = models::set_up_model(state, evaluator);
  models::print_model_block(console, state, setup);
  optimise::tunnelling_search(console, state, evaluator, settings.search);
  report::fit_report(console, state, evaluator, settings.sampling);
}

}  // namespace quillon::dialogue
