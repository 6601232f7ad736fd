#include <iostream>

#include "dialogue/program.h"

int main() {
  return quillon::run_program(std::cin, std::cout, std::cerr);
}
