// The whole dialogue on arbitrary standard input, in process, in a scratch folder of
// small data files (one per model, a rejected one, one with X1 = 0 and one too long).
// The information screen's pause is a no-op; the search is cut to two short runs and
// the report's sampling to a hundred trials.
#include <cstdint>
#include <sstream>
#include <string>

#include "dialogue/program.h"
#include "fuzz_support.h"

namespace {

std::string rows(int count, int columns) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    text += std::to_string(i * 0.5);
    if (columns == 3)
      text += ' ' + std::to_string(i % 3);
    text += ' ' + std::to_string(1.0 - 1.0 / (1.0 + i)) + '\n';
  }
  return text;
}

void prepare_folder() {
  using quillon::fuzzing::write_file;
  write_file("a_mm.dat", "1 ! MM\n1.0 1.0\n0.01 0.01\n100 100\n" + rows(6, 2));
  write_file("b_hill.dat", "2\n1.0, 1.0, 1.0\n0.01, 0.01, 0.1\n100, 100, 10\n" + rows(6, 2));
  write_file("c_comp.dat", "3\n1 1 1\n0.01 0.01 0.01\n100 100 100\n" + rows(6, 3));
  write_file("d_mixed.dat", "6\n1 1 1 1\n0.01 0.01 0.01 0.01\n100 100 100 100\n" + rows(6, 3));
  write_file("e_bad.dat", "7\n1 2\n");
  write_file("f_zero.dat", "1\n1 1\n0.01 0.01\n100 100\n0 0.5\n0 0.6\n1 0.7\n");
  write_file("g_many.dat", "1\n1 1\n0.01 0.01\n100 100\n" + rows(1005, 2));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  quillon::fuzzing::enter_scratch_folder("dialogue");
  prepare_folder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quillon::dialogue::ProgramSettings settings;
  settings.sleep_seconds = [](int) {};
  settings.search.max_runs = 2;
  settings.search.max_passes = 2;
  settings.sampling.max_samples = 20;
  settings.sampling.max_trials = 100;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream out;
  std::ostringstream err;
  // Every end of the program is a normal one here: run_program turns stops into a
  // status; anything else escaping it is a fault and reaches the fuzzer.
  (void)quillon::dialogue::run_program(in, out, err, settings);
  return 0;
}
