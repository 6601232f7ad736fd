#include "dialogue/fit_stages.h"

#include "models/model_block.h"
#include "optimise/tunnelling_search.h"
#include "report/fit_report.h"

namespace quillon {

void run_fit_stages(Console& console, FitState& state, models::ModelEvaluator& evaluator,
                    const ProgramSettings& settings) {
  models::print_model_block(console, state, evaluator);
  optimise::tunnelling_search(console, state, evaluator, settings.search);
  report::fit_report(console, state, evaluator, settings.sampling);
}

}  // namespace quillon
