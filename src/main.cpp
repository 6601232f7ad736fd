#include <iostream>

#include "dialogue/platform.h"
#include "dialogue/program.h"

int main() {
  quillon::platform::use_binary_standard_output();
  return quillon::run_program(std::cin, std::cout, std::cerr);
}
