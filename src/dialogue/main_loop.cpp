#include "dialogue/main_loop.h"

#include <optional>
#include <string>
#include <variant>

#include "data_import/data_import.h"
#include "dialogue/fit_stages.h"
#include "dialogue/help_screens.h"
#include "dialogue/picker.h"
#include "dialogue/program_stop.h"
#include "dialogue/prompts.h"
#include "dialogue/screen_texts.h"
#include "textio/platform.h"
#include "textio/text_utils.h"

namespace quillon::dialogue {
namespace {

void opening_text(textio::Console& console) {
  console.list(screen_text::credit_line);
  for (std::string_view line : screen_text::description)
    console.list(line);
  console.list();
  console.write("(1X,A)", "");
  console.list();
  console.list("Model number is added to first line of data file.");
  screen_text::print_model_blocks(console);
}

// The first character of a one-line answer, upper-cased; blank for an empty line.
char first_character(textio::Console& console, std::string_view where) {
  std::string answer;
  if (console.read_text(answer, 1) == textio::ReadStatus::end_of_input)
    screen_text::input_ended(where);
  textio::uppercase(answer);
  return answer[0];
}

bool is_quit(std::string_view name) {
  return name == "X" || name == "x";
}

// File-selection passes until a file is imported and its model confirmed.
std::optional<models::FitState> select_file(textio::Console& console,
                                            const ProgramSettings& settings) {
  std::string fname;
  for (;;) {
    fname = std::string(200, ' ');
    dir(console, fname);
    textio::s_adjustl(fname);
    if (fname.back() != ' ')
      fname = std::string(200, ' ');  // a name filling all 200 characters
    textio::remove_sp_tab_ctrl(fname);
    if (textio::s_len_trim(fname) == 0) {
      console.write("(/A)", "-->No data file number was selected. Try again.");
      continue;
    }

    console.write("(/2X,A)", "Enter data file name or ? or ?? for help.");
    const std::string prompt = textio::fixed_text(
        " Data file name <Enter> or \"X\" to quit: [" + std::string(textio::trimmed(fname)) + "] ",
        512);
    if (getstr(console, prompt, fname) == textio::ReadStatus::end_of_input) {
      screen_text::input_ended("the data file name prompt");
    }
    if (textio::trimmed(fname) == ".")
      fname = std::string(200, ' ');
    textio::s_adjustl(fname);
    if (is_quit(textio::trimmed(fname)))
      return std::nullopt;

    help1(console, fname, settings);
    help2(console, fname);
    textio::s_adjustl(fname);
    if (textio::trimmed(fname) == "?" || textio::trimmed(fname) == "??")
      continue;

    if (textio::ch_index(fname, '.') == 0) {
      textio::s_adjustl(fname);
      textio::s_blank_delete(fname);
      fname = textio::fixed_text(std::string(textio::trimmed(fname)) + ".dat", 200);
      textio::s_adjustl(fname);
    }
    textio::s_adjustl(fname);
    textio::s_blank_delete(fname);
    if (!textio::platform::file_name_exists(fname)) {
      console.write("(/2X,A)", "No data file was found. Try again.");
      continue;
    }

    // The file is looked for under the working directory's true path, so a folder
    // whose path holds blanks works; only the first 80 characters of the name count.
    namespace platform = textio::platform;
    const std::string name(textio::trimmed(std::string_view(fname).substr(0, 80)));
    data_import::ImportResult imported =
        data_import::data_import(console, platform::path_from_narrow(platform::working_directory()),
                                 platform::path_from_narrow(name));
    if (const auto* refused = std::get_if<data_import::Rejection>(&imported)) {
      // Found a moment ago and gone now: nothing sensible is left to do.
      if (refused->reason == data_import::RejectReason::missing)
        throw ProgramStop(0, "STOP EXECUTION");
      continue;
    }
    models::FitState& state = std::get<models::FitState>(imported);

    console.write("(2X,A,I2,1X,A)", "You selected to fit model #", state.model, "to the data.");
    console.write("(2X,A)", textio::trimmed(state.model_name));
    console.write("(2X,A$)", "Is this correct [Y] or [N] to reselect: ");
    if (first_character(console, "the model confirmation") == 'N')
      continue;
    return std::move(state);
  }
}

void closing_screen(textio::Console& console) {
  const std::string rule(65, '-');
  console.write("(/1X,A)", rule);
  console.write("(1X,A)", "   " + std::string(screen_text::credit_line),
                "    " + std::string(screen_text::description[0]),
                "    " + std::string(screen_text::description[1]),
                "    " + std::string(screen_text::description[2]));
  console.write("(/1X,A)", "   Quillon is the work of the Quillon developers.");
  console.write("(1X,A)", "    This software is provided as is, without warranty of any kind,",
                "    express or implied, including fitness for a particular purpose.",
                "    No claim is made that it suits any specific application. The",
                "    user alone is responsible for installing it, for checking that",
                "    it works as intended and for judging its results. The developers",
                "    accept no liability for any damage arising from its use, even",
                "    if advised of the possibility of such damage.");
  console.list();
  console.write("(10X,A)", "Quillon, release 2026-12");
  console.write("(10X,A)", "Copyright (C) 2026 the Quillon developers");
  console.write("(10X,A/)", "All rights reserved.");
  console.write("(1X,A,A)", "   ",
                "Quillon fits six enzyme-kinetic models to the data of one file");
  console.write("(1X,A,A)", "   ",
                "at a time. A data file names its model on line 1, gives initial");
  console.write("(1X,A,A)", "   ",
                "estimates and lower and upper bounds on lines 2 to 4, and holds");
  console.write("(1X,A,A)", "   ", "one observation per line after that. Type ? or ?? at the file");
  console.write("(1X,A,A)", "   ", "name prompt for help on the data file and on the models.");
  console.write("(1X,A)", rule);
  console.list();
  console.write("(A$)", "Press <Enter> to end Quillon: ");
  std::string answer;
  // The last answer only ends the program; an ended input does so just as well.
  (void)console.read_line(answer);
}

}  // namespace

void main_loop(textio::Console& console, const ProgramSettings& settings) {
  // The model evaluation keeps its parsed equation for the whole run of the program.
  models::ModelEvaluator evaluator(console);
  for (;;) {
    opening_text(console);
    // Fresh for every cycle: nothing of a previous file leaks in.
    std::optional<models::FitState> state = select_file(console, settings);
    if (!state || !data_import::prepare_data(console, *state))
      break;

    run_fit_stages(console, *state, evaluator, settings);

    console.list();
    console.write("(A$)", "Press <Enter> to continue or X to quit: ");
    if (first_character(console, "the continue prompt") == 'X')
      break;
  }
  closing_screen(console);
}

}  // namespace quillon::dialogue
