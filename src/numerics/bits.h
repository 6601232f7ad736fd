// std::bit_cast where the standard library lacks it (the WebAssembly build's): the
// compiler's own, which both GCC and Clang have.
#pragma once

#include <type_traits>

namespace quillon::numerics {

template <class To, class From>
requires(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
         std::is_trivially_copyable_v<From>) constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}

}  // namespace quillon::numerics
