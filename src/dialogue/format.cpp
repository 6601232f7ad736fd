// Placeholder until the formatter lands.
#include <stdexcept>

#include "dialogue/console.h"

namespace quillon {

void Console::write_values(std::string_view, std::span<const FmtValue>) {
  throw std::logic_error("formatter not implemented");
}
void Console::list_values(std::span<const FmtValue>) {
  throw std::logic_error("formatter not implemented");
}

}  // namespace quillon
