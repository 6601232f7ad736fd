#include "dialogue/help_screens.h"

#include <array>
#include <string>

#include "dialogue/screen_texts.h"
#include "textio/text_utils.h"

namespace quillon::dialogue {
namespace {

// Every screen ends here; what is typed before Enter is ignored.
void wait_for_enter(textio::Console& console) {
  console.list("ENTER <CR>");
  std::string line;
  if (console.read_line(line) == textio::ReadStatus::end_of_input) {
    screen_text::input_ended("a help screen's ENTER <CR>");
  }
}

void information_screen(textio::Console& console, const ProgramSettings& settings) {
  console.list();
  console.list(screen_text::model_rule);
  console.list(" Quillon NONLINEAR REGRESSION MODELING SOFTWARE");
  console.list("Copyright (C) 2026 the Quillon developers");
  console.list();
  console.list("Owner: the Quillon developers");
  console.list();
  console.list("NO CLAIM OR WARRANTY IS MADE AS TO THE FITNESS OF THIS");
  console.list("SOFTWARE FOR ANY SPECIFIC APPLICATION. RESPONSIBILITY");
  console.list("FOR ITS INSTALLATION AND FOR CHECKING THAT IT WORKS AS");
  console.list("INTENDED LIES ENTIRELY WITH THE USER. CHECK THE RESULTS");
  console.list("OF EVERY FIT BEFORE RELYING ON THEM. USE OF THE SOFTWARE");
  console.list("IS AT THE USER'S OWN RISK.");
  console.list(screen_text::model_rule);
  console.list();
  console.list("   Copyright (C) 2026 the Quillon developers");
  console.list("   Place of publication: the Quillon project repository");
  console.list("   All rights reserved.");
  console.list("For more information, read the documentation that comes with Quillon.");
  console.list();
  settings.sleep_seconds(5);
  console.list();
  console.list("ENTER FILE NAME: ? FOR HELP ON INPUT DATA FILE.");
  console.list("ENTER FILE NAME: ?? FOR HELP ON MODEL TYPES.");
  console.list("ENTER FILE NAME: X TO QUIT PROGRAM.");
  console.list();
  wait_for_enter(console);
}

void model_help_screen(textio::Console& console) {
  console.list();
  console.list("ENTER FILE NAME: ? FOR HELP ON INPUT DATA FILE.");
  console.list();
  console.list("FIT X1,Y OR X1,X2,Y DATA TO THE FOLLOWING MODELS:");
  console.list("  WHERE X\"s ARE INDEPENDENT VARIABLES, ");
  console.list("  Y\"s IS THE DEPENDENT VARIABLE AND ");
  console.list("  P\"s ARE THE MODEL PARAMETERS. ");
  console.list();
  console.list("ENTER MODEL FUNCTION # IN 1ST LINE OF FILENAME.DAT FILE");
  console.list();
  screen_text::print_model_blocks(console);
  wait_for_enter(console);
}

// The example file for model 4: five curves of seven substrate levels.
void example_rows(textio::Console& console) {
  constexpr std::array<std::string_view, 7> x1 = {" 50", "100", "200", "250", "333", "500", "700"};
  constexpr std::array<std::string_view, 5> x2 = {"0", "100", "200", "300", "400"};
  constexpr std::array<std::array<std::string_view, 7>, 5> y = {{
      {"0.032", "0.055", "0.080", "0.090", "0.102", "0.116", "0.130"},
      {"0.017", "0.028", "0.045", "0.050", "0.065", "0.072", "0.078"},
      {"0.010", "0.018", "0.030", "0.036", "0.041", "0.048", "0.052"},
      {"0.006", "0.012", "0.019", "0.023", "0.027", "0.030", "0.035"},
      {"0.004", "0.008", "0.012", "0.014", "0.015", "0.022", "0.024"},
  }};
  for (std::size_t curve = 0; curve < y.size(); ++curve) {
    for (std::size_t row = 0; row < x1.size(); ++row) {
      if (row == 0) {
        const std::string remark = "! Curve #" + std::to_string(curve + 1) + ": X1,X2,Y";
        console.write("(3(A5,3X), 1X,A)", x1[row], x2[curve], y[curve][row], remark);
      } else if (row == 1 && curve == 0) {
        console.write("(3(A5,3X), 1X,A)", x1[row], x2[curve], y[curve][row], "! [S],[I],Yobs");
      } else {
        console.write("(3(A5,3X))", x1[row], x2[curve], y[curve][row]);
      }
    }
  }
}

void data_file_help_screen(textio::Console& console) {
  console.list();
  console.list("ENTER FILE NAME: ?? FOR HELP ON MODEL TYPES.");
  console.list();
  console.list("EXAMPLE INPUT DATA FILE STRUCTURE (DATA.IN):");
  console.list();
  console.list("NOTE: MODELS WITH ONE INDEPENDENT VARIABLE X1");
  console.list("ENTER X1 AND Y DATA PAIRS (X1,Y) ONLY!");
  console.list();
  console.list("NOTE: MODELS WITH TWO INDEPENDENT VARIABLES X1, X2");
  console.list("ENTER X1, X2, AND Y DATA PAIRS (X1,X2,Y)!");
  console.list();
  console.list("ENTER DATA IN COLUMNS ON 1ST LINE OF TEXT FILE.");
  console.list(screen_text::model_rule);
  console.list("4                       ! NONCOMPETITIVE MODEL NUMBER");
  console.list("100.0, 100.0, 100.0\t ! INITIAL P1, P2, P3 ESTIMATES");
  console.list("0.10, 0.10, 0.10\t !P1, P2, P3 LOWER BOUNDS");
  console.list("1.0E3, 1.0E3, 1.0E3\t !P1, P2, P3 UPPER BOUNDS");
  example_rows(console);
  console.list();
  console.list(screen_text::model_rule);
  console.list("OPTIONAL APPENDED COMMENTS OF TEXT FILE BELOW:");
  console.list();
  console.list("INPUT DATA FILE STRUCTURE");
  console.list("Line 1      : MODEL NUMBER");
  console.list("Line 2      : INITIAL PARAMETER ESTIMATES");
  console.list("Line 3      : PARAMETER LOWER BOUNDS");
  console.list("Line 4      : PARAMETER UPPER BOUNDS");
  console.list("Line 5...N      : X1, X2, Y DATA");
  console.list();
  wait_for_enter(console);
}

}  // namespace

void help1(textio::Console& console, std::string_view keyword, const ProgramSettings& settings) {
  const std::string_view word = textio::trimmed(keyword);
  if (word == "LICENSE" || word.empty())
    information_screen(console, settings);
}

void help2(textio::Console& console, std::string_view keyword) {
  const std::string_view word = textio::trimmed(keyword);
  if (word == "??") {
    model_help_screen(console);
  } else if (word == "?") {
    data_file_help_screen(console);
  }
}

}  // namespace quillon::dialogue
