#include "data_import/data_import.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <span>
#include <string_view>

#include "data_import/text_utils.h"
#include "dialogue/list_read.h"
#include "dialogue/platform.h"
#include "dialogue/program_stop.h"

namespace quillon {
namespace {

struct CatalogueEntry {
  std::string_view name;
  int np;
  int nx;
  int nc;
};

constexpr std::array<CatalogueEntry, 6> catalogue = {{
    {"ONE SITE MICHAELIS-MENTEN MODEL", 2, 1, 1},
    {"ONE SITE SIGMOIDAL HILL MODEL", 3, 1, 1},
    {"COMPETITIVE INHIBITION MODEL", 3, 2, 1},
    {"NONCOMPETITIVE INHIBITION MODEL", 3, 2, 1},
    {"UNCOMPETITIVE INHIBITION MODEL", 3, 2, 1},
    {"MIXED NONCOMPETITIVE MODEL", 4, 2, 1},
}};

// Lines read by the counters: the line without its end (LF or CR LF), cut to `width`.
bool next_line(std::istream& in, std::string& line, std::size_t width) {
  if (!std::getline(in, line))
    return false;
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  if (line.size() > width)
    line.resize(width);
  return true;
}

void rewind(std::istream& in) {
  in.clear();
  in.seekg(0);
}

// Every message of the import that is not a reply to a single condition in the dialogue.
namespace msg {
constexpr std::string_view correct_and_rerun =
    "Correct the error(s) in the data file and rerun the file or select another file.";

void model_number_error(Console& console, int max_model_number) {
  console.list("Data file model number error!");
  console.write("(1X,A,1X,I2,1X,A)", "Enter a model # from 1 to", max_model_number,
                "in line 1 of data file.");
  console.write("(/,1X,A)", "Valid model numbers are:");
  for (std::size_t k = 0; k < catalogue.size(); ++k) {
    console.list(std::to_string(k + 1) + " - " + std::string(catalogue[k].name));
  }
}

void parameter_count_error(Console& console) {
  console.list("Data file number of parameters is not consistent with chosen model!");
  console.list(
      "Moreover, confirm that the number of lower and upper bounds is the same as the number of "
      "parameters.");
  console.list(correct_and_rerun);
}

void cannot_open(Console& console, std::string_view name) {
  console.list(std::string("The data file cannot be opened for reading: ") + std::string(name));
  console.list("Select another file or correct the file's permissions and rerun it.");
}

// The offending item as it may be shown on a terminal: a file may hold anything,
// and its bytes must neither drive the terminal nor flood the screen.
std::string shown_item(std::string_view item) {
  constexpr std::size_t longest = 40;
  std::string shown(item.substr(0, longest));
  for (char& ch : shown) {
    const auto code = static_cast<unsigned char>(ch);
    if (code < 32 || code > 126)
      ch = '?';
  }
  if (item.size() > longest)
    shown += "...";
  return shown;
}

void unreadable(Console& console, const ListReadIssue& issue, bool model_line) {
  std::string text = "Data file line " + std::to_string(issue.line) + ": ";
  const std::string item = shown_item(issue.text);
  if (model_line) {
    text.append("the model number must be a whole number, not \"").append(item).append("\".");
  } else {
    text.append("\"").append(item).append("\" cannot be read as a number.");
  }
  console.list(text);
  console.list(correct_and_rerun);
}

void header_incomplete(Console& console) {
  console.list("The data file ends before its four header lines are complete:");
  console.list("model number, initial estimates, lower bounds and upper bounds.");
  console.list(correct_and_rerun);
}

void bounds_crossed(Console& console, int parameter) {
  console.list("The lower bound of P" + std::to_string(parameter) + " is above its upper bound.");
  console.list(correct_and_rerun);
}

void no_observations(Console& console) {
  console.list("The data file holds no observations: they follow the four header lines,");
  console.list("one per line, and end at the first empty line.");
  console.list(correct_and_rerun);
}

void observation_incomplete(Console& console, int index, int values) {
  console.list("The data file ends inside observation " + std::to_string(index) + ", which needs " +
               std::to_string(values) + " numbers.");
  console.list(correct_and_rerun);
}
}  // namespace msg

// One header line of values.size() numbers; a failure is reported and gives false.
bool read_header_line(Console& console, ListReader& reader, std::span<double> values) {
  const ReadStatus status = reader.read(values);
  if (status == ReadStatus::ok)
    return true;
  if (status == ReadStatus::end_of_input) {
    msg::header_incomplete(console);
  } else {
    msg::unreadable(console, reader.issue(), false);
  }
  return false;
}

}  // namespace

void npar(int model, std::string& model_name, int& np, int& nx, int& nc) {
  const CatalogueEntry& entry = catalogue.at(static_cast<std::size_t>(model - 1));
  model_name = fixed_text(entry.name, 512);
  np = entry.np;
  nx = entry.nx;
  nc = entry.nc;
}

int count_file_rows(std::istream& in) {
  int rows = 0;
  std::string line;
  while (next_line(in, line, 100)) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos)
      break;
    const char lead = line[first];
    if (lead == '"' || lead == '#' || lead == '\'')
      break;
    ++rows;
  }
  return rows;
}

int file_column_count(Console& console, std::istream& in) {
  // Look at the second line of each pair until one carries values: for a normal
  // file that is line 2, the initial estimates.
  std::string line;
  bool found = false;
  for (;;) {
    std::string first;
    if (!next_line(in, first, 160) || !next_line(in, line, 160))
      break;
    const bool skip = trimmed(line).empty() || line[0] == '!' || line[0] == '"' || line[0] == '#' ||
                      line[0] == '\'';
    if (!skip) {
      found = true;
      break;
    }
  }
  if (!found) {
    rewind(in);
    while (next_line(in, line, 160)) {
      if (!trimmed(line).empty()) {
        found = true;
        break;
      }
    }
  }
  if (!found) {
    console.write("(a)", " ");
    console.write("(a)", "FILE_COLUMN_COUNT - Warning!");
    console.write("(a)", "The file does not seem to contain any data.");
    return -1;
  }

  // Tabs, other control codes and bytes beyond 126 separate values as blanks do.
  for (char& ch : line) {
    const auto code = static_cast<unsigned char>(ch);
    if (code < 32 || code > 126)
      ch = ' ';
  }
  // Runs of non-blanks that begin before the first "!".
  const std::size_t end = std::min(line.find('!'), line.size());
  int count = 0;
  for (std::size_t k = 0; k < end; ++k) {
    if (line[k] != ' ' && (k == 0 || line[k - 1] == ' '))
      ++count;
  }
  return count;
}

void data_import(Console& console, FitState& s, int max_model_number) {
  s.model = 0;
  s.model_name = std::string(512, ' ');
  s.np = s.nx = s.nc = 0;
  s.npoints = 0;
  s.import_ok = 0;
  s.pinit.fill(0.0);
  s.plower.fill(0.0);
  s.pupper.fill(0.0);
  for (auto* buffer : {&s.xbuf1, &s.xbuf2, &s.xbuf3, &s.ybuf}) {
    buffer->assign(static_cast<std::size_t>(max_points), 0.0);
  }

  // The file is looked for under the working directory's true path, so a folder
  // whose path holds blanks works; an absolute name is taken as it is.
  const std::string name(
      trimmed(std::string_view(s.fname).substr(0, std::min<std::size_t>(s.fname.size(), 80))));
  std::string folder = platform::working_directory();
  if (!folder.empty() && folder.back() != platform::path_separator) {
    folder += platform::path_separator;
  }
  console.write("(/1X,A,1X,A)", "DATA FILE PATH:", folder);
  const std::string full_name = std::filesystem::path(name).has_root_path() ? name : folder + name;
  console.write("(1X,A,1X,A/)", "DATA FILE PATH NAME:", full_name);

  if (!file_name_exists(full_name)) {
    console.write("(/A/)", "No data file was found!");
    throw ProgramStop(0, "STOP EXECUTION");
  }
  std::ifstream file(full_name, std::ios::binary);
  if (!file) {
    msg::cannot_open(console, full_name);
    return;
  }

  const int nrows = count_file_rows(file);
  rewind(file);
  const int ncol = file_column_count(console, file);
  if (ncol < 0)
    return;  // an empty file: the warning says why
  rewind(file);

  ListReader reader(file);
  int model = 0;
  const ReadStatus model_read = reader.read(model);
  if (model_read == ReadStatus::end_of_input) {
    msg::header_incomplete(console);
    return;
  }
  if (model_read == ReadStatus::bad_value) {
    msg::unreadable(console, reader.issue(), true);
    return;
  }
  s.model = model;
  if (model < 1 || model > max_model_number) {
    msg::model_number_error(console, max_model_number);
    return;
  }
  npar(model, s.model_name, s.np, s.nx, s.nc);
  if (s.np != ncol) {
    msg::parameter_count_error(console);
    return;
  }

  const auto np = static_cast<std::size_t>(s.np);
  if (!read_header_line(console, reader, std::span(s.pinit).first(np)) ||
      !read_header_line(console, reader, std::span(s.plower).first(np)) ||
      !read_header_line(console, reader, std::span(s.pupper).first(np))) {
    return;
  }

  // Crossed bounds would pin the parameter to one of them and report that as a fit.
  for (std::size_t k = 0; k < np; ++k) {
    if (s.plower[k] > s.pupper[k]) {
      msg::bounds_crossed(console, static_cast<int>(k) + 1);
      return;
    }
  }

  s.npoints = nrows - 4;
  if (s.npoints <= 0) {
    msg::no_observations(console);
    return;
  }
  // Beyond max_points nothing is stored: the main loop refuses such a file.
  const int stored = std::min(s.npoints, max_points);
  const int nx = s.nx;
  std::array<double, 4> row{};
  const auto row_values = std::span(row).first(static_cast<std::size_t>(nx + 1));
  for (int i = 0; i < stored; ++i) {
    const ReadStatus read = reader.read(row_values);
    if (read == ReadStatus::end_of_input) {
      msg::observation_incomplete(console, i + 1, nx + 1);
      return;
    }
    if (read == ReadStatus::bad_value) {
      msg::unreadable(console, reader.issue(), false);
      return;
    }
    const auto k = static_cast<std::size_t>(i);
    s.xbuf1[k] = row[0];
    if (nx >= 2)
      s.xbuf2[k] = row[1];
    if (nx >= 3)
      s.xbuf3[k] = row[2];
    s.ybuf[k] = row[static_cast<std::size_t>(nx)];
  }
  s.import_ok = 1;
}

}  // namespace quillon
