#include <iostream>

#include "dialogue/program.h"
#include "textio/platform.h"

int main() {
  quillon::textio::platform::use_binary_standard_output();
  return quillon::dialogue::run_program(std::cin, std::cout, std::cerr);
}
