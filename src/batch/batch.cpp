#include "batch/batch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>
#include <variant>

#include "batch/inputs.h"
#include "batch/progress.h"
#include "data_import/table_reader.h"
#include "file_analysis/fit_file.h"
#include "file_analysis/global_fit.h"
#include "models/catalogue.h"
#include "outputs/comparison_table.h"
#include "outputs/global_outputs.h"
#include "outputs/html_page.h"
#include "outputs/output_names.h"
#include "outputs/record.h"
#include "outputs/summary_table.h"
#include "pictures/pdf.h"
#include "pictures/svg.h"
#include "textio/platform.h"

namespace quillon::batch {
namespace {

namespace fs = std::filesystem;
namespace platform = textio::platform;
using outputs::FileRecord;
using outputs::Output;

std::string system_reason() {
  return std::generic_category().message(errno);
}

// Writes the whole text through a temporary name beside the file and a rename, so
// that nobody ever sees the file half-written. Empty on success, else why not.
std::string write_whole(const fs::path& file, std::string_view text) {
  fs::path temporary = file;
  temporary += ".partial";
  {
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out)
      return "cannot be created: " + system_reason();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temporary, ec);
      return "cannot be written (is the disk full?)";
    }
  }
  if (!platform::replace_file(temporary, file)) {
    std::error_code ec;
    fs::remove(temporary, ec);
    return "cannot replace the file of that name";
  }
  return {};
}

// The output folder, made when missing and shown to take files, before any fit
// runs. Empty when usable, else the message.
std::string check_output_folder(const fs::path& folder) {
  const std::string name = platform::narrow_name(folder);
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder))
    return "cannot create the output folder " + name + ": " +
           (ec ? ec.message() : "a file of that name is in the way");
  const fs::path probe = folder / ".quillon-batch.probe";
  errno = 0;
  const bool writable = static_cast<bool>(std::ofstream(probe, std::ios::binary));
  const std::string why = writable ? std::string() : system_reason();
  fs::remove(probe, ec);
  if (!writable)
    return "cannot write into the output folder " + name + ": " + why;
  return {};
}

// An input that an output of this name would overwrite.
const FileRecord* overwritten_input(const std::vector<FileRecord>& records,
                                    const fs::path& output) {
  std::error_code ec;
  if (!fs::exists(output, ec))
    return nullptr;
  for (const FileRecord& record : records) {
    if (fs::equivalent(output, record.source, ec))
      return &record;
  }
  return nullptr;
}

// Step 1: the inputs as records with their outputs' stems, the output folder usable,
// and no output over an input. The exit status when the run cannot go on.
std::optional<int> check_inputs_and_names(const Options& options, std::vector<FileRecord>& records,
                                          std::ostream& err) {
  std::vector<Input> inputs;
  try {
    inputs = collect_inputs(options.paths, options.recursive);
  } catch (const std::invalid_argument& e) {
    err << "quillon-batch: " << e.what() << '\n';
    return usage_error;
  }
  if (inputs.empty()) {
    err << "quillon-batch: no .dat, .csv or .tsv files in the given folders"
        << (options.recursive ? "" : " (-r also looks in their subfolders)") << "\n";
    return usage_error;
  }
  for (const fs::path& folder : {options.output, options.converted}) {
    if (folder.empty())
      continue;
    if (const std::string why = check_output_folder(folder); !why.empty()) {
      err << "quillon-batch: " << why << '\n';
      return usage_error;
    }
  }
  // A table with a set column is one input per set, each named by its label.
  std::vector<std::string> file_stems;
  for (const Input& input : inputs) {
    const std::string stem = platform::narrow_name(input.path.stem());
    const std::vector<std::string> sets = file_analysis::table_sets(input.path, options.fit);
    for (std::size_t k = 0; k == 0 || k < sets.size(); ++k) {
      FileRecord& record = records.emplace_back();
      record.source = input.path;
      record.shown = input.shown;
      record.name = platform::narrow_name(input.path.filename());
      if (!sets.empty()) {
        record.set = sets[k];
        record.shown.append(" [").append(sets[k]).append("]");
        record.name.append(" [").append(sets[k]).append("]");
      }
      file_stems.push_back(sets.empty() ? stem : stem + "." + data_import::set_file_label(sets[k]));
    }
  }
  const std::vector<std::string> stems =
      outputs::unique_stems(file_stems, options.fit.compare, options.global, options.pdf);
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i].stem = stems[i];
    records[i].diagnostic = options.diagnostic;
  }
  std::vector<fs::path> names;
  for (const Output table : {Output::summary, Output::comparison_table, Output::page})
    names.push_back(options.output / outputs::output_name(table));
  if (options.global) {
    for (const Output name : outputs::global_outputs)
      names.push_back(options.output / outputs::output_name(name));
    if (options.pdf)
      names.push_back(options.output / outputs::output_name(Output::global_document));
  }
  for (const FileRecord& record : records) {
    for (const std::string& name :
         outputs::input_outputs(record.stem, options.fit.compare, options.pdf))
      names.push_back(options.output / platform::path_from_narrow(name));
    if (!options.converted.empty())
      names.push_back(options.converted / platform::path_from_narrow(outputs::output_name(
                                              Output::converted_data, record.stem)));
  }
  for (const fs::path& output : names) {
    if (const FileRecord* clash = overwritten_input(records, output)) {
      err << "quillon-batch: " << platform::narrow_name(output) << " would overwrite the input "
          << clash->shown << "; choose another output folder\n";
      return usage_error;
    }
  }
  return std::nullopt;
}

// With --global, before any fit: two inputs or more, all of one model (those that can
// be read), which has every shared parameter. The shared parameters, else the exit status.
std::variant<std::vector<bool>, int> check_global(const Options& options,
                                                  const std::vector<FileRecord>& records,
                                                  std::ostream& err) {
  if (records.size() < 2) {
    err << "quillon-batch: --global fits two data sets or more at once\n";
    return usage_error;
  }
  int model = 0;
  const FileRecord* first = nullptr;
  for (const FileRecord& record : records) {
    file_analysis::FitOptions fit = options.fit;
    fit.set = record.set;
    const int m = file_analysis::input_model(record.source, fit);
    if (m == 0)
      continue;
    if (first == nullptr) {
      model = m;
      first = &record;
    } else if (m != model) {
      err << "quillon-batch: --global fits one model to every input: " << first->shown << " is "
          << models::short_name(model) << ", " << record.shown << " is " << models::short_name(m)
          << "\n";
      return usage_error;
    }
  }
  if (model == 0)
    return std::vector<bool>();  // nothing readable: the fits say why
  auto shared = file_analysis::shared_parameters(model, options.share, options.fit.equation);
  if (auto* why = std::get_if<std::string>(&shared)) {
    err << "quillon-batch: --share: " << *why << "\n";
    return usage_error;
  }
  return std::get<std::vector<bool>>(shared);
}

// Step 3: a fitted file's outputs, each freed once written (the pictures kept when the
// page will inline them). False when one could not be written.
bool write_file_outputs(FileRecord& record, const fs::path& folder, bool keep_pictures,
                        Progress& progress) {
  bool ok = true;
  for (outputs::Rendered& r : record.outputs) {
    const fs::path file =
        folder / platform::path_from_narrow(outputs::output_name(r.kind, record.stem, r.model));
    const std::string why = write_whole(file, r.text);
    r.written = why.empty();
    if (!r.written) {
      progress.error("quillon-batch: " + platform::narrow_name(file) + " " + why);
      ok = false;
    }
    const bool picture = r.kind == Output::picture || r.kind == Output::comparison_picture ||
                         r.kind == Output::diagnostic_picture;
    if (!(keep_pictures && picture && r.written))
      std::string().swap(r.text);  // an empty assignment would keep the capacity
  }
  return ok;
}

// Step 2 with step 3: every input fitted on a pool of workers, each file's outputs
// written as soon as it is fitted. False when an output could not be written.
bool fit_in_pool(std::vector<FileRecord>& records, const Options& options, Progress& progress,
                 std::vector<models::FitState>* kept) {
  const std::size_t n = records.size();
  const bool keep_pictures = n <= outputs::inline_picture_files;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> all_written{true};
  const auto work = [&] {
    while (!platform::interrupt_requested()) {
      const std::size_t i = next.fetch_add(1);
      if (i >= n)
        return;
      FileRecord& record = records[i];  // this worker's alone
      file_analysis::FitOptions fit = options.fit;
      fit.set = record.set;
      record.fit = file_analysis::fit_file(record.source, fit);
      if (!record.fit.converted.empty()) {
        const fs::path file = options.converted / platform::path_from_narrow(outputs::output_name(
                                                      Output::converted_data, record.stem));
        if (const std::string why = write_whole(file, record.fit.converted); !why.empty()) {
          progress.error("quillon-batch: " + platform::narrow_name(file) + " " + why);
          all_written = false;
        }
        std::string().swap(record.fit.converted);
      }
      if (kept != nullptr)
        (*kept)[i] = record.fit.state;  // rendering frees it
      outputs::render(record, options.pdf);
      if (!write_file_outputs(record, options.output, keep_pictures, progress))
        all_written = false;
      progress.finished(record.shown, record.fit.fitted, record.fit.message);
      record.done = true;
    }
  };
  if (!platform::has_threads || std::clamp<std::size_t>(options.jobs, 1, n) == 1) {
    work();
    return all_written;
  }
  std::vector<std::thread> pool;
  for (std::size_t k = 0; k < std::clamp<std::size_t>(options.jobs, 1, n); ++k)
    pool.emplace_back(work);
  for (std::thread& worker : pool)
    worker.join();
  return all_written;
}

// Step 4: the summary, the comparison table and the page, of the records done.
bool write_tables_and_page(const std::vector<FileRecord>& records, const Options& options,
                           const outputs::GlobalPage* global, Progress& progress) {
  std::string summary = outputs::summary_header() + "\r\n";
  for (const FileRecord& record : records) {
    if (record.done)
      summary += outputs::summary_row(record.shown, record.fit) + "\r\n";
  }
  std::vector<std::pair<Output, std::string>> tables;
  tables.emplace_back(Output::summary, std::move(summary));
  if (options.fit.compare) {
    std::string rows = outputs::comparison_header() + "\r\n";
    for (const FileRecord& record : records) {
      if (record.done && record.fit.comparison)
        rows +=
            outputs::comparison_rows(outputs::one_line_name(record.shown), *record.fit.comparison);
    }
    tables.emplace_back(Output::comparison_table, std::move(rows));
  }
  tables.emplace_back(Output::page, outputs::index_html(records, options.fit.compare, global));
  bool ok = true;
  for (const auto& [kind, text] : tables) {
    const fs::path file = options.output / outputs::output_name(kind);
    const std::string why = write_whole(file, text);
    if (!why.empty()) {
      progress.error("quillon-batch: " + platform::narrow_name(file) + " " + why);
      ok = false;
    }
  }
  return ok;
}

// Step 2b: the global fit of every input's data set, from the separate fits, and its
// outputs (page.written names those written). False when it could not be made.
bool fit_globally(const std::vector<FileRecord>& records, std::vector<models::FitState>& kept,
                  const Options& options, const std::vector<bool>& shared,
                  outputs::GlobalPage& page, Progress& progress) {
  // Each set by its table label or file stem; where two share one, by their unique stems.
  const auto label = [](const FileRecord& r) {
    return r.set.empty() ? platform::narrow_name(r.source.stem()) : r.set;
  };
  std::vector<file_analysis::GlobalSet> sets;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const FileRecord& r = records[i];
    const bool shared_label =
        std::count_if(records.begin(), records.end(),
                      [&](const FileRecord& o) { return label(o) == label(r); }) > 1;
    sets.push_back({shared_label ? r.stem : label(r), r.shown, &r.fit, std::move(kept[i])});
  }
  const file_analysis::GlobalFit g = shared.empty() || platform::interrupt_requested()
                                         ? file_analysis::GlobalFit{}
                                         : file_analysis::global_fit(std::move(sets), shared);
  if (!g.fitted) {
    page.message = g.message.empty() ? "The global fit was not made." : g.message;
    progress.error("quillon-batch: global fit: " + page.message);
    return false;
  }
  const pictures::Drawing picture = outputs::global_picture(g);
  page.picture = pictures::to_svg(picture);
  page.stats = outputs::global_stats_text(g);
  page.test = outputs::global_test_line(g);
  std::vector<std::pair<Output, std::string>> files = {
      {Output::global_report, g.report},
      {Output::global_parameters, outputs::global_parameters_csv(g)},
      {Output::global_test, outputs::global_test_csv(g)},
      {Output::global_stats, page.stats},
      {Output::global_picture, page.picture}};
  if (options.pdf)
    files.emplace_back(Output::global_document, pictures::to_pdf(picture));
  for (const auto& [kind, text] : files) {
    const fs::path file = options.output / outputs::output_name(kind);
    if (const std::string why = write_whole(file, text); !why.empty())
      progress.error("quillon-batch: " + platform::narrow_name(file) + " " + why);
    else
      page.written.push_back(kind);
  }
  return true;
}

}  // namespace

int run_batch(const Options& options, std::ostream& err) {
  std::vector<FileRecord> records;  // one per input, in input order
  if (const std::optional<int> status = check_inputs_and_names(options, records, err))
    return *status;
  std::vector<bool> shared;
  if (options.global) {
    auto checked = check_global(options, records, err);
    if (const int* status = std::get_if<int>(&checked))
      return *status;
    shared = std::get<std::vector<bool>>(checked);
  }
  platform::catch_interrupt();
  Progress progress(err, records.size(), platform::standard_error_is_terminal(), options.quiet);
  std::vector<models::FitState> kept(options.global ? records.size() : 0);
  bool written = fit_in_pool(records, options, progress, options.global ? &kept : nullptr);
  outputs::GlobalPage global;
  bool global_fitted = true;
  if (options.global)
    global_fitted = fit_globally(records, kept, options, shared, global, progress);
  if (options.global && global_fitted && global.written.size() < std::size(outputs::global_outputs))
    written = false;
  written = write_tables_and_page(records, options, options.global ? &global : nullptr, progress) &&
            written;
  std::size_t fitted = 0;
  std::size_t rejected = 0;
  std::size_t warned = 0;
  for (const FileRecord& record : records) {
    if (record.done)
      (record.fit.fitted ? fitted : rejected) += 1;
    warned += record.done && record.fit.fitted && !record.fit.data_warnings.empty() ? 1 : 0;
  }
  progress.close(fitted, rejected, warned);
  if (platform::interrupt_requested())
    return interrupted;
  if (!written)
    return usage_error;
  if (rejected > 0 || !global_fitted)
    return some_rejected;
  return warned > 0 ? some_data_warnings : all_fitted;
}

}  // namespace quillon::batch
