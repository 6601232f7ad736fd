#include "batch/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>
#include <thread>

#include "textio/platform.h"

namespace quillon::batch {

std::variant<Options, int> parse_command_line(int argc, const char* const* argv, std::ostream& out,
                                              std::ostream& err) {
  Options options;
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  std::string output = "quillon-results";

  CLI::App app("Fits the enzyme-kinetic model each data file names, many files at once.",
               "quillon-batch");
  app.add_option("PATH", options.paths, "a data file, or a folder: its .dat files")
      ->type_name("")
      ->required();
  app.add_option("-o,--output", output, "folder for the reports and summary.csv")
      ->type_name("DIR")
      ->capture_default_str();
  app.add_option("-j,--jobs", options.jobs, "fits run at once (default: hardware threads)")
      ->type_name("N")
      ->check(CLI::Range(1u, 1024u));
  app.add_flag("-q,--quiet", options.quiet, "no progress, errors only");
  app.add_flag("--compare", options.compare, "also fit and rank every model of each file's group");
  app.get_formatter()->column_width(34);
  app.set_version_flag("--version", "quillon-batch " QUILLON_VERSION);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? 0 : usage_error;
  }
  options.output = textio::platform::path_from_narrow(output);
  return options;
}

}  // namespace quillon::batch
