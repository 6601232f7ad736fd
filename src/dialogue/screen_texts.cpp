#include "dialogue/screen_texts.h"

#include <string>

#include "dialogue/program_stop.h"

namespace quillon::screen_text {
namespace {

struct ModelBlock {
  std::string_view title;
  std::string_view enzyme_form;
  std::string_view parameter_form;
  std::string_view note;
};

constexpr std::string_view one_x_note = "NOTE: DATA.IN file requires X1,Y data columns";
constexpr std::string_view two_x_note = "NOTE: DATA.IN file requires X1,X2=I,Y data columns";

constexpr std::array<ModelBlock, 6> model_blocks = {{
    {"#1 - ONE SITE MICHAELIS-MENTEN MODEL", "Y = Vmax / (1 + (Km/S))", "Y = P2 / ( 1.0 + P1/X1 )",
     one_x_note},
    {"#2 - ONE SITE SIGMOIDAL HILL MODEL", "Y = Vmax / (1 + (IC50 / S)^n)",
     "Y = ( P2 / ( 1.0 + ( P1/X1 )^P3 ))", one_x_note},
    {"#3 - COMPETITIVE INHIBITION MODEL", "Y = Vmax / (1 + Km/S * (1 + I/Ki))",
     "Y = P2 / (1.0 + P1 / X1 * (1.0 + X2 / P3))", two_x_note},
    {"#4 - NONCOMPETITIVE INHIBITION MODEL", "Y = Vmax / ((1 + Km/S) * (1 + I/aKI))",
     "Y = P2 / ((1.0 + P1 / X1) * (1.0 + X2 / P3))", two_x_note},
    {"#5 - UNCOMPETITIVE INHIBITION MODEL", "Y = Vmax / ((Km/S) + (1 + I/Ki))",
     "Y = P2 / ((P1 / X1) + (1.0 + X2 / P3))", two_x_note},
    {"#6 - MIXED NONCOMPETITIVE MODEL", "Y = Vmax / ((Km/S)*(1 + I/Ki1) + (1 + I/Ki2))",
     "Y = P2 / ((P1/X1)*(1.0 + X2/P3) + (1.0 + X2/P4))", two_x_note},
}};

}  // namespace

void print_model_blocks(Console& console) {
  for (const ModelBlock& block : model_blocks) {
    console.list(block.title);
    console.list(block.enzyme_form);
    console.list(block.parameter_form);
    console.list(block.note);
    console.list(model_rule);
  }
}

void input_ended(std::string_view where) {
  throw ProgramStop(1, "Quillon stops: the input ended at " + std::string(where) + ".");
}

}  // namespace quillon::screen_text
