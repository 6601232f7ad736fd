#include "batch/batch.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>

#include "batch/compare.h"
#include "batch/csv.h"
#include "batch/fit_file.h"
#include "batch/html_page.h"
#include "batch/inputs.h"
#include "batch/progress.h"
#include "models/catalogue.h"
#include "textio/platform.h"

namespace quillon::batch {
namespace {

namespace fs = std::filesystem;
namespace platform = textio::platform;

constexpr int parameter_columns = 4;

// Writes the whole text through a temporary name beside the file and a rename, so
// that nobody ever sees the file half-written. Empty on success, else why not.
std::string write_whole(const fs::path& file, std::string_view text) {
  fs::path temporary = file;
  temporary += ".partial";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out)
      return "cannot be created (check the folder's permissions)";
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

std::string number_or_empty(bool present, double v) {
  return present ? csv_number(v) : std::string();
}

std::string summary_row(const Input& input, const FileResult& r) {
  std::vector<std::string> f;
  f.push_back(csv_field(input.shown));
  f.push_back(r.fitted ? "fitted" : "rejected");
  f.push_back(csv_field(r.message));
  const bool known = r.model != 0;
  f.push_back(known ? std::to_string(r.model) : "");
  f.push_back(csv_field(r.model_name));
  f.push_back(known ? std::to_string(r.n) : "");
  f.push_back(known ? std::to_string(r.np) : "");
  f.push_back(number_or_empty(r.fitted, r.ssq));
  const bool criteria = r.criteria.has_value();
  f.push_back(number_or_empty(criteria, criteria ? r.criteria->aic : 0.0));
  f.push_back(number_or_empty(criteria, criteria ? r.criteria->aicc : 0.0));
  f.push_back(number_or_empty(criteria, criteria ? r.criteria->msc : 0.0));
  f.push_back(r.fitted ? std::to_string(r.samples) : "");
  f.push_back(r.fitted ? std::to_string(r.runs) : "");
  f.push_back(r.fitted ? std::to_string(r.passes) : "");
  // Milliseconds are all a wall time can tell.
  f.push_back(number_or_empty(r.fitted, std::round(r.seconds * 1000.0) / 1000.0));
  std::string warnings;
  for (const std::string& note : r.warnings)
    warnings += (warnings.empty() ? "" : "; ") + note;
  f.push_back(csv_field(warnings));

  const models::Model* model = models::find_model(r.model);
  const auto parameter_present = [&](std::size_t k) {
    return r.fitted && model != nullptr && k < static_cast<std::size_t>(r.np);
  };
  for (std::size_t k = 0; k < parameter_columns; ++k) {
    const bool parameter = parameter_present(k);
    const bool row = parameter && k < r.uncertainty.size();
    f.push_back(parameter ? std::string(model->parameters[k]) : "");
    f.push_back(number_or_empty(parameter && k < r.best.size(), parameter ? r.best[k] : 0.0));
    f.push_back(number_or_empty(row, row ? r.uncertainty[k].mean : 0.0));
    f.push_back(number_or_empty(row, row ? r.uncertainty[k].std_error : 0.0));
    f.push_back(number_or_empty(row, row ? r.uncertainty[k].cv : 0.0));
    f.push_back(number_or_empty(row, row ? r.uncertainty[k].half_width : 0.0));
  }
  const bool standard = r.standard.has_value() && r.standard->available;
  const auto optional_number = [](const std::optional<double>& v) {
    return v ? csv_number(*v) : std::string();
  };
  for (std::size_t k = 0; k < parameter_columns; ++k) {
    if (!standard || !parameter_present(k) || k >= r.standard->parameters.size()) {
      f.insert(f.end(), 5, std::string());
      continue;
    }
    const analysis::ParameterStats& p = r.standard->parameters[k];
    for (const auto* v : {&p.se, &p.wald_lo, &p.wald_hi, &p.profile_lo, &p.profile_hi})
      f.push_back(optional_number(*v));
  }
  f.push_back(number_or_empty(standard, standard ? r.standard->sigma : 0.0));
  f.push_back(standard ? std::to_string(r.standard->df) : "");
  const bool runs = standard && r.standard->runs.has_value();
  f.push_back(number_or_empty(runs, runs ? r.standard->runs->p : 0.0));
  std::string line;
  for (const std::string& field : f)
    line += (line.empty() ? "" : ",") + field;
  return line;
}

// An output that would land on one of the inputs.
const Input* overwritten_input(const std::vector<Input>& inputs, const fs::path& output) {
  std::error_code ec;
  if (!fs::exists(output, ec))
    return nullptr;
  for (const Input& input : inputs) {
    if (fs::equivalent(output, input.path, ec))
      return &input;
  }
  return nullptr;
}

}  // namespace

std::string summary_header() {
  std::string header =
      "file,status,message,model,model_name,n,np,ssq,aic,aicc,msc,samples,runs,passes,seconds,"
      "warnings";
  for (int k = 1; k <= parameter_columns; ++k) {
    const std::string p = ",p" + std::to_string(k);
    header += p + "_name" + p + "_best" + p + "_mean" + p + "_se" + p + "_cv" + p + "_ci95";
  }
  for (int k = 1; k <= parameter_columns; ++k) {
    const std::string p = ",p" + std::to_string(k);
    header +=
        p + "_wald_se" + p + "_wald_lo" + p + "_wald_hi" + p + "_profile_lo" + p + "_profile_hi";
  }
  return header + ",sigma,df,runs_test_p";
}

int run_batch(const Options& options, std::ostream& err) {
  std::vector<Input> inputs;
  try {
    inputs = collect_inputs(options.paths);
  } catch (const std::invalid_argument& e) {
    err << "quillon-batch: " << e.what() << '\n';
    return usage_error;
  }
  if (inputs.empty()) {
    err << "quillon-batch: no .dat files in the given folders\n";
    return usage_error;
  }
  const std::string output_name = platform::narrow_name(options.output);
  std::error_code ec;
  fs::create_directories(options.output, ec);
  if (!fs::is_directory(options.output)) {
    err << "quillon-batch: cannot create the output folder " << output_name << ": "
        << (ec ? ec.message() : "a file of that name is in the way") << '\n';
    return usage_error;
  }
  const fs::path summary = options.output / "summary.csv";
  const fs::path comparison = options.output / "comparison.csv";
  const fs::path index = options.output / "index.html";
  const auto output_of = [&](const Input& input, const char* suffix) {
    return options.output / platform::path_from_narrow(input.stem + suffix);
  };
  for (const Input& input : inputs) {
    std::vector<fs::path> outputs = {summary,
                                     comparison,
                                     output_of(input, ".report.txt"),
                                     output_of(input, ".stats.txt"),
                                     output_of(input, ".compare.txt"),
                                     output_of(input, ".svg"),
                                     output_of(input, ".compare.svg")};
    for (int model = 1; model <= models::max_model; ++model)
      outputs.push_back(output_of(input, (".m" + std::to_string(model) + ".report.txt").c_str()));
    for (const fs::path& output : outputs) {
      if (const Input* clash = overwritten_input(inputs, output)) {
        err << "quillon-batch: " << platform::narrow_name(output) << " would overwrite the input "
            << clash->shown << "; choose another output folder\n";
        return usage_error;
      }
    }
  }

  platform::catch_interrupt();
  Progress progress(err, inputs.size(), platform::standard_error_is_terminal(), options.quiet);
  const std::size_t n = inputs.size();
  std::vector<FileResult> results(n);
  std::vector<char> done(n, 0);  // each entry written by the one worker that fits the file
  std::atomic<std::size_t> next{0};
  std::atomic<bool> write_failed{false};
  const auto work = [&] {
    while (!platform::interrupt_requested()) {
      const std::size_t i = next.fetch_add(1);
      if (i >= n)
        return;
      FileResult result = fit_file(inputs[i].path, options.compare);
      if (result.fitted) {
        std::vector<std::pair<std::string*, std::string>> texts = {
            {&result.report, ".report.txt"}, {&result.stats, ".stats.txt"}, {&result.svg, ".svg"}};
        if (result.comparison) {
          result.compare_text =
              compare_text(platform::narrow_name(inputs[i].path.filename()), *result.comparison);
          texts.emplace_back(&result.compare_text, ".compare.txt");
          texts.emplace_back(&result.compare_svg, ".compare.svg");
          for (Candidate& c : result.comparison->candidates)
            texts.emplace_back(&c.report, ".m" + std::to_string(c.model) + ".report.txt");
        }
        for (auto [text, suffix] : texts) {
          const fs::path file = output_of(inputs[i], suffix.c_str());
          const std::string why = write_whole(file, *text);
          if (!why.empty()) {
            progress.error("quillon-batch: " + platform::narrow_name(file) + " " + why);
            write_failed = true;
          }
          // Written: free it (assigning an empty string would keep the capacity), so a
          // batch of thousands does not hold every report.
          std::string().swap(*text);
        }
      }
      progress.finished(inputs[i].shown, result.fitted, result.message);
      results[i] = std::move(result);
      done[i] = 1;
    }
  };
  {
    const std::size_t workers = std::clamp<std::size_t>(options.jobs, 1, n);
    std::vector<std::jthread> pool;
    for (std::size_t k = 0; k < workers; ++k)
      pool.emplace_back(work);
  }

  std::string table = summary_header() + "\r\n";
  std::size_t fitted = 0;
  std::size_t rejected = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (done[i] == 0)
      continue;
    (results[i].fitted ? fitted : rejected) += 1;
    table += summary_row(inputs[i], results[i]) + "\r\n";
  }
  std::vector<std::pair<fs::path, std::string>> tables = {{summary, std::move(table)}};
  if (options.compare) {
    std::string rows = comparison_header() + "\r\n";
    for (std::size_t i = 0; i < n; ++i) {
      if (done[i] != 0 && results[i].comparison)
        rows += comparison_rows(inputs[i].shown, *results[i].comparison);
    }
    tables.emplace_back(comparison, std::move(rows));
  }
  tables.emplace_back(index, index_html(inputs, results, done, options.output, options.compare));
  for (const auto& [file, text] : tables) {
    const std::string why = write_whole(file, text);
    if (!why.empty()) {
      progress.error("quillon-batch: " + platform::narrow_name(file) + " " + why);
      write_failed = true;
    }
  }
  progress.close(fitted, rejected);
  if (platform::interrupt_requested())
    return interrupted;
  if (write_failed)
    return usage_error;
  return rejected > 0 ? some_rejected : all_fitted;
}

}  // namespace quillon::batch
