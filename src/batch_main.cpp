#include <iostream>
#include <variant>

#include "batch/batch.h"
#include "batch/options.h"

int main(int argc, char** argv) {
  using namespace quillon::batch;
  const auto parsed = parse_command_line(argc, argv, std::cout, std::cerr);
  if (const int* status = std::get_if<int>(&parsed))
    return *status;
  return run_batch(std::get<Options>(parsed), std::cerr);
}
