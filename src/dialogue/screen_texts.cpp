#include "dialogue/screen_texts.h"

#include <string>

#include "dialogue/program_stop.h"
#include "models/catalogue.h"

namespace quillon::dialogue::screen_text {
namespace {

constexpr std::string_view one_x_note = "NOTE: DATA.IN file requires X1,Y data columns";
constexpr std::string_view two_x_note = "NOTE: DATA.IN file requires X1,X2=I,Y data columns";

}  // namespace

void print_model_blocks(textio::Console& console) {
  for (const models::Model& model : models::data_file_model_table()) {
    std::string title = std::to_string(model.number);
    title.insert(title.begin(), '#');
    title.append(" - ").append(model.name);
    console.list(title);
    console.list(model.enzyme_form);
    console.list(model.parameter_form);
    console.list(model.nx == 1 ? one_x_note : two_x_note);
    console.list(model_rule);
  }
}

void input_ended(std::string_view where) {
  throw ProgramStop(1, "Quillon stops: the input ended at " + std::string(where) + ".");
}

}  // namespace quillon::dialogue::screen_text
