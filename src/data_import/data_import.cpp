#include "data_import/data_import.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "data_import/dsort3.h"
#include "models/catalogue.h"
#include "textio/format.h"
#include "textio/list_read.h"
#include "textio/platform.h"
#include "textio/text_utils.h"

namespace quillon::data_import {
namespace {

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

// Prints the import's messages and keeps their text, line by line, for the rejection.
class Reporter {
 public:
  explicit Reporter(textio::Console& console) : console_(console) {}
  textio::Console& console() { return console_; }

  // One list-directed line.
  void line(std::string_view text) {
    console_.list(text);
    keep(text);
  }
  // The text of a line the caller has printed with a format of its own.
  void keep(std::string_view text) {
    if (!text_.empty())
      text_ += '\n';
    text_ += text;
  }
  Rejection reject(RejectReason reason) { return {reason, std::move(text_)}; }

 private:
  textio::Console& console_;
  std::string text_;
};

// Every message of the import that is not a reply to a single condition in the dialogue.
namespace msg {
constexpr std::string_view correct_and_rerun =
    "Correct the error(s) in the data file and rerun the file or select another file.";
constexpr std::string_view not_found = "No data file was found!";
constexpr std::string_view no_data_warning = "FILE_COLUMN_COUNT - Warning!";
constexpr std::string_view no_data = "The file does not seem to contain any data.";

void model_number_error(Reporter& say, int max_model_number) {
  say.line("Data file model number error!");
  say.console().write("(1X,A,1X,I2,1X,A)", "Enter a model # from 1 to", max_model_number,
                      "in line 1 of data file.");
  say.keep("Enter a model # from 1 to " + textio::render_integer(max_model_number, 2) +
           " in line 1 of data file.");
  say.console().write("(/,1X,A)", "Valid model numbers are:");
  say.keep("Valid model numbers are:");
  for (const models::Model& model : models::data_file_model_table())
    say.line(std::to_string(model.number) + " - " + std::string(model.name));
}

void parameter_count_error(Reporter& say) {
  say.line("Data file number of parameters is not consistent with chosen model!");
  say.line(
      "Moreover, confirm that the number of lower and upper bounds is the same as the number of "
      "parameters.");
  say.line(correct_and_rerun);
}

void cannot_open(Reporter& say, std::string_view name) {
  say.line(std::string("The data file cannot be opened for reading: ") + std::string(name));
  say.line("Select another file or correct the file's permissions and rerun it.");
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

void unreadable(Reporter& say, const textio::ListReadIssue& issue, bool model_line) {
  std::string text = "Data file line " + std::to_string(issue.line) + ": ";
  const std::string item = shown_item(issue.text);
  if (model_line) {
    text.append("the model number must be a whole number, not \"").append(item).append("\".");
  } else {
    text.append("\"").append(item).append("\" cannot be read as a number.");
  }
  say.line(text);
  say.line(correct_and_rerun);
}

void header_incomplete(Reporter& say) {
  say.line("The data file ends before its four header lines are complete:");
  say.line("model number, initial estimates, lower bounds and upper bounds.");
  say.line(correct_and_rerun);
}

void bounds_crossed(Reporter& say, int parameter) {
  say.line("The lower bound of P" + std::to_string(parameter) + " is above its upper bound.");
  say.line(correct_and_rerun);
}

void no_observations(Reporter& say) {
  say.line("The data file holds no observations: they follow the four header lines,");
  say.line("one per line, and end at the first empty line.");
  say.line(correct_and_rerun);
}

void observation_incomplete(Reporter& say, int index, int values) {
  say.line("The data file ends inside observation " + std::to_string(index) + ", which needs " +
           std::to_string(values) + " numbers.");
  say.line(correct_and_rerun);
}
}  // namespace msg

// One header line of values.size() numbers; a failure is reported and gives its reason.
std::optional<RejectReason> read_header_line(Reporter& say, textio::ListReader& reader,
                                             std::span<double> values) {
  const textio::ReadStatus status = reader.read(values);
  if (status == textio::ReadStatus::ok)
    return std::nullopt;
  if (status == textio::ReadStatus::end_of_input) {
    msg::header_incomplete(say);
    return RejectReason::header_incomplete;
  }
  msg::unreadable(say, reader.issue(), false);
  return RejectReason::unreadable_value;
}

// "# X1 unit: mM" (as a converted table's remark gives it): the unit it names.
void read_unit_remark(std::string_view text, models::Units& units) {
  const std::pair<std::string_view, std::string*> remarks[] = {
      {"# X1 unit:", &units.x1}, {"# X2 unit:", &units.x2}, {"# Y unit:", &units.y}};
  for (const auto& [prefix, unit] : remarks) {
    if (!text.starts_with(prefix))
      continue;
    std::string_view value = textio::trimmed(text.substr(prefix.size()));
    value.remove_prefix(std::min(value.find_first_not_of(' '), value.size()));
    *unit = std::string(value.substr(0, 100));
  }
}

// Lines after the one that ended the observations (line nrows + 1): those whose first
// item is a number are observations a stray blank or comment line cut off; unit
// remarks give the columns' units.
void read_after_observations(std::istream& in, int nrows, models::FitState& s) {
  models::FitState::UnreadLines& unread = s.unread;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (number <= nrows)
      continue;
    std::string_view text = line;
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    read_unit_remark(text, s.units);
    if (number == nrows + 1) {  // as count_file_rows found it
      unread.end_line = number;
      unread.end = text.empty() ? ' ' : text.front();
      continue;
    }
    if (text.empty() || text.front() == '!' || text.front() == '"' || text.front() == '#' ||
        text.front() == '\'')
      continue;
    double value = 0.0;
    const std::string_view first = text.substr(0, text.find_first_of(" \t,"));
    if (!textio::parse_list_real(first, value))
      continue;
    if (unread.first == 0)
      unread.first = number;
    unread.last = number;
  }
}

}  // namespace

void npar(int model, std::string& model_name, int& np, int& nx, int& nc) {
  const models::Model* entry = models::find_model(model);
  if (entry == nullptr)
    throw std::out_of_range("npar: no model " + std::to_string(model));
  model_name = textio::fixed_text(entry->name, 512);
  np = entry->np;
  nx = entry->nx;
  nc = entry->nc;
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

int file_column_count(textio::Console& console, std::istream& in) {
  // Look at the second line of each pair until one carries values: for a normal
  // file that is line 2, the initial estimates.
  std::string line;
  bool found = false;
  for (;;) {
    std::string first;
    if (!next_line(in, first, 160) || !next_line(in, line, 160))
      break;
    const bool skip = textio::trimmed(line).empty() || line[0] == '!' || line[0] == '"' ||
                      line[0] == '#' || line[0] == '\'';
    if (!skip) {
      found = true;
      break;
    }
  }
  if (!found) {
    rewind(in);
    while (next_line(in, line, 160)) {
      if (!textio::trimmed(line).empty()) {
        found = true;
        break;
      }
    }
  }
  if (!found) {
    console.write("(a)", " ");
    console.write("(a)", msg::no_data_warning);
    console.write("(a)", msg::no_data);
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

ImportResult data_import(textio::Console& console, const std::filesystem::path& folder,
                         const std::filesystem::path& name, int max_model_number) {
  namespace platform = textio::platform;
  Reporter say(console);
  std::string shown_folder = platform::narrow_name(folder);
  if (!shown_folder.empty() && shown_folder.back() != platform::path_separator)
    shown_folder += platform::path_separator;
  console.write("(/1X,A,1X,A)", "DATA FILE PATH:", shown_folder);
  const std::filesystem::path file = folder / name;
  const std::string full_name = platform::narrow_name(file);
  console.write("(1X,A,1X,A/)", "DATA FILE PATH NAME:", full_name);

  std::error_code ec;
  const auto status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
    console.write("(/A/)", msg::not_found);
    say.keep(msg::not_found);
    return say.reject(RejectReason::missing);
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    msg::cannot_open(say, full_name);
    return say.reject(RejectReason::cannot_open);
  }

  const int nrows = count_file_rows(in);
  rewind(in);
  const int ncol = file_column_count(console, in);
  if (ncol < 0) {
    say.keep(msg::no_data_warning);
    say.keep(msg::no_data);
    return say.reject(RejectReason::empty);
  }
  rewind(in);

  models::FitState s;
  for (auto* buffer : {&s.xbuf1, &s.xbuf2, &s.xbuf3, &s.ybuf})
    buffer->assign(static_cast<std::size_t>(models::max_points), 0.0);

  textio::ListReader reader(in);
  int model = 0;
  const textio::ReadStatus model_read = reader.read(model);
  if (model_read == textio::ReadStatus::end_of_input) {
    msg::header_incomplete(say);
    return say.reject(RejectReason::header_incomplete);
  }
  if (model_read == textio::ReadStatus::bad_value) {
    msg::unreadable(say, reader.issue(), true);
    return say.reject(RejectReason::unreadable_value);
  }
  if (model < 1 || model > max_model_number || models::find_model(model) == nullptr) {
    msg::model_number_error(say, max_model_number);
    return say.reject(RejectReason::model_number);
  }
  s.model = model;
  npar(model, s.model_name, s.np, s.nx, s.nc);
  if (s.np != ncol) {
    msg::parameter_count_error(say);
    return say.reject(RejectReason::parameter_count);
  }

  const auto np = static_cast<std::size_t>(s.np);
  const std::span<double> header_lines[] = {
      std::span(s.pinit).first(np), std::span(s.plower).first(np), std::span(s.pupper).first(np)};
  for (const std::span<double> values : header_lines) {
    if (const auto refused = read_header_line(say, reader, values))
      return say.reject(*refused);
  }

  // Crossed bounds would pin the parameter to one of them and report that as a fit.
  for (std::size_t k = 0; k < np; ++k) {
    if (s.plower[k] > s.pupper[k]) {
      msg::bounds_crossed(say, static_cast<int>(k) + 1);
      return say.reject(RejectReason::bounds_crossed);
    }
  }

  s.npoints = nrows - 4;
  if (s.npoints <= 0) {
    msg::no_observations(say);
    return say.reject(RejectReason::no_observations);
  }
  // Beyond max_points nothing is stored: preparing the data refuses such a file.
  const int stored = std::min(s.npoints, models::max_points);
  const int nx = s.nx;
  std::array<double, models::max_indep + 1> row{};
  const auto row_values = std::span(row).first(static_cast<std::size_t>(nx + 1));
  for (int i = 0; i < stored; ++i) {
    const textio::ReadStatus read = reader.read(row_values);
    if (read == textio::ReadStatus::end_of_input) {
      msg::observation_incomplete(say, i + 1, nx + 1);
      return say.reject(RejectReason::observation_incomplete);
    }
    if (read == textio::ReadStatus::bad_value) {
      msg::unreadable(say, reader.issue(), false);
      return say.reject(RejectReason::unreadable_value);
    }
    const auto k = static_cast<std::size_t>(i);
    s.xbuf1[k] = row[0];
    if (nx >= 2)
      s.xbuf2[k] = row[1];
    if (nx >= 3)
      s.xbuf3[k] = row[2];
    s.ybuf[k] = row[static_cast<std::size_t>(nx)];
    const int count = textio::count_list_reals(reader.last_line());
    if (count > nx + 1 && s.extra_values.lines++ == 0) {
      s.extra_values.first_line = static_cast<int>(reader.lines_read());
      s.extra_values.first_count = count;
    }
  }
  rewind(in);
  read_after_observations(in, nrows, s);
  return s;
}

ImportResult data_import(textio::Console& console, const std::filesystem::path& file) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  if (ec)
    absolute = file;
  return data_import(console, absolute.parent_path(), absolute.filename());
}

bool prepare_data(textio::Console& console, models::FitState& s) {
  const int n = s.npoints;
  if (n > models::max_points) {
    console.write("(/1X,A,I0,A,I0,A)", "The data file holds ", n,
                  " observations; a fit takes at most ", models::max_points, ".");
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
  s.ycalc.assign(un, 0.0);

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

}  // namespace quillon::data_import
