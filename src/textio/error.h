// A condition the fit core cannot continue from (a broken internal rule, not bad
// user input, which the steps report as data). The front end decides what it means
// for the program: the dialogue stops with the text as its stop text and status 1.
#pragma once

#include <stdexcept>
#include <string>

namespace quillon::textio {

struct FatalError : std::runtime_error {
  explicit FatalError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace quillon::textio
