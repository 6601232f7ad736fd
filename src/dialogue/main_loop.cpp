#include "dialogue/main_loop.h"

#include <string>

#include "data_import/data_import.h"
#include "data_import/text_utils.h"
#include "dialogue/fit_stages.h"
#include "dialogue/help_screens.h"
#include "dialogue/picker.h"
#include "dialogue/screen_texts.h"
#include "report/dsort3.h"

namespace quillon {
namespace {

enum class Selection { accepted, quit };

void opening_text(Console& console) {
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
char first_character(Console& console, std::string_view where) {
  std::string answer;
  if (console.read_text(answer, 1) == ReadStatus::end_of_input)
    screen_text::input_ended(where);
  uppercase(answer);
  return answer[0];
}

bool is_quit(std::string_view name) {
  return name == "X" || name == "x";
}

// File-selection passes until a file is imported and its model confirmed.
Selection select_file(Console& console, FitState& state, const ProgramSettings& settings) {
  std::string& fname = state.fname;
  for (;;) {
    fname = std::string(200, ' ');
    dir(console, fname);
    s_adjustl(fname);
    if (fname.back() != ' ')
      fname = std::string(200, ' ');  // a name filling all 200 characters
    remove_sp_tab_ctrl(fname);
    if (s_len_trim(fname) == 0) {
      console.write("(/A)", "-->No data file number was selected. Try again.");
      continue;
    }

    console.write("(/2X,A)", "Enter data file name or ? or ?? for help.");
    const std::string prompt = fixed_text(
        " Data file name <Enter> or \"X\" to quit: [" + std::string(trimmed(fname)) + "] ", 512);
    if (getstr(console, prompt, fname) == ReadStatus::end_of_input) {
      screen_text::input_ended("the data file name prompt");
    }
    if (trimmed(fname) == ".")
      fname = std::string(200, ' ');
    s_adjustl(fname);
    if (is_quit(trimmed(fname)))
      return Selection::quit;

    help1(console, fname, settings);
    help2(console, fname);
    s_adjustl(fname);
    if (trimmed(fname) == "?" || trimmed(fname) == "??")
      continue;

    if (ch_index(fname, '.') == 0) {
      s_adjustl(fname);
      s_blank_delete(fname);
      fname = fixed_text(std::string(trimmed(fname)) + ".dat", 200);
      s_adjustl(fname);
    }
    s_adjustl(fname);
    s_blank_delete(fname);
    if (!file_name_exists(fname)) {
      console.write("(/2X,A)", "No data file was found. Try again.");
      continue;
    }

    data_import(console, state);
    if (state.model < 1 || state.model > max_model || state.import_ok == 0)
      continue;

    console.write("(2X,A,I2,1X,A)", "You selected to fit model #", state.model, "to the data.");
    console.write("(2X,A)", trimmed(state.model_name));
    console.write("(2X,A$)", "Is this correct [Y] or [N] to reselect: ");
    if (first_character(console, "the model confirmation") == 'N')
      continue;
    return Selection::accepted;
  }
}

void closing_screen(Console& console) {
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

bool prepare_data(Console& console, FitState& s) {
  const int n = s.npoints;
  if (n > max_points) {
    console.write("(/1X,A,I0,A,I0,A)", "The data file holds ", n,
                  " observations; a fit takes at most ", max_points, ".");
    return false;
  }
  const auto un = static_cast<std::size_t>(n);
  const auto first = [un](const std::vector<double>& buffer) {
    return std::vector<double>(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(un));
  };
  s.y1 = first(s.ybuf);
  s.x1 = first(s.xbuf1);
  s.x2 = s.nx >= 2 ? first(s.xbuf2) : std::vector<double>(un, 0.0);
  s.x3 = s.nx == 3 ? first(s.xbuf3) : std::vector<double>(un, 0.0);

  // The values vector: parameters at their initial estimates, the independent
  // variables (set per observation by the model evaluation), the constants C1 = 1, C2 = 2, ...
  s.var.assign(static_cast<std::size_t>(s.np + s.nx + s.nc), 0.0);
  for (int k = 0; k < s.np; ++k)
    s.var[static_cast<std::size_t>(k)] = s.pinit[static_cast<std::size_t>(k)];
  s.c.resize(static_cast<std::size_t>(s.nc));
  for (int k = 0; k < s.nc; ++k) {
    s.c[static_cast<std::size_t>(k)] = k + 1.0;
    s.var[static_cast<std::size_t>(s.np + s.nx + k)] = k + 1.0;
  }

  // Observations in ascending X1, the other columns carried along.
  dsort3_module::dsort3(s.x1, s.y1, s.x2, s.x3, n, s.nx + 1);
  return true;
}

void main_loop(Console& console, const ProgramSettings& settings) {
  // The model evaluation keeps its parsed equation for the whole run of the program.
  models::ModelEvaluator evaluator(console);
  for (;;) {
    FitState state;  // fresh for every cycle: nothing of a previous file leaks in
    state.ycalc.assign(static_cast<std::size_t>(max_points), 0.0);
    opening_text(console);
    if (select_file(console, state, settings) == Selection::quit)
      break;
    if (!prepare_data(console, state))
      break;

    run_fit_stages(console, state, evaluator, settings);

    console.list();
    console.write("(A$)", "Press <Enter> to continue or X to quit: ");
    if (first_character(console, "the continue prompt") == 'X')
      break;
  }
  closing_screen(console);
}

}  // namespace quillon
