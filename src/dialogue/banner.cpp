#include "dialogue/banner.h"

#include <string>

namespace quillon::dialogue {

void check_system_bitwidth(textio::Console& console) {
  const std::string rule(60, '=');
  // The dash is the em dash of code page 1252 (byte 0x97), as the console shows it.
  console.write("(/,A)", rule);
  console.write("(A)", "  SYSTEM COMPATIBILITY CHECK \x97 PASSED");
  console.write("(A)", rule);
  console.write("(A,I0,A)", "  Detected bit width : ", static_cast<int>(sizeof(void*) * 8),
                " bits");
  console.write("(A)", "  Your system meets the minimum 64-bit Windows requirement.");
  console.write("(A,/)", rule);
}

}  // namespace quillon::dialogue
