#include "dialogue/picker.h"

#include <vector>

#include "dialogue/screen_texts.h"
#include "textio/platform.h"
#include "textio/text_utils.h"

namespace quillon::dialogue {

void dir(textio::Console& console, std::string& fname) {
  // The scratch file keeps the listing for the user; the list shown comes from the
  // folder itself, so a folder where it cannot be written still works.
  const std::vector<std::string> found = textio::platform::list_data_files(".");
  textio::platform::write_listing("DirContents.txt", found);
  std::vector<std::string> names;
  names.reserve(found.size());
  for (const auto& name : found)
    names.push_back(textio::fixed_text(name, 200));

  const int count = static_cast<int>(names.size());
  console.write("(/a,I0,1x,a)", "List of numbered directory data files *.dat: ", count, "found");
  console.write("(a)",
                "Note, that the directory file list number is different from data file model "
                "numbers.");
  for (int i = 0; i < count; ++i) {
    console.write("(i3,2x,a)", i + 1, textio::trimmed(names[static_cast<std::size_t>(i)]));
  }
  console.list();

  int pick = -1;
  for (;;) {
    console.write("(a$)", "Select a file number from the list to curve-fit: ");
    const textio::ReadStatus status = console.read_i3(pick);
    if (status == textio::ReadStatus::end_of_input)
      screen_text::input_ended("the data file number question");
    if (status == textio::ReadStatus::ok && pick >= 0 && pick <= count)
      break;
    console.write("(/a/)", "Error: Not a valid data file number!");
  }
  fname = pick == 0 ? textio::fixed_text("X", 200) : names[static_cast<std::size_t>(pick - 1)];
}

}  // namespace quillon::dialogue
