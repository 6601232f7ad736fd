#include "feq_parser/tokens.h"

#include <bit>

#include "feq_parser/messages.h"
#include "textio/console.h"

namespace quillon::feq_parser {

std::size_t trimmed_length(const char* s, std::size_t n) {
  constexpr std::uint64_t blanks = 0x2020202020202020ULL;
  while (n >= 32) {
    std::uint64_t w[4];
    std::memcpy(w, s + n - 32, 32);
    if (((w[0] ^ blanks) | (w[1] ^ blanks) | (w[2] ^ blanks) | (w[3] ^ blanks)) != 0) {
      break;
    }
    n -= 32;
  }
  while (n >= 8) {
    std::uint64_t word;
    std::memcpy(&word, s + n - 8, 8);
    if (const std::uint64_t differs = word ^ blanks; differs != 0) {
      // The last of the eight characters is the most significant byte.
      return n - 8 + static_cast<std::size_t>((63 - std::countl_zero(differs)) / 8) + 1;
    }
    n -= 8;
  }
  while (n > 0 && s[n - 1] == ' ') {
    --n;
  }
  return n;
}

namespace detail {
void print_line(quillon::textio::Console* console, std::string_view text) {
  if (console != nullptr)
    console->list(text);
}
}  // namespace detail

void TokenStack::copy_from(const TokenStack& other) {
  capacity_ = other.capacity_;
  top = other.top;
  std::copy_n(other.stack, std::clamp(other.top, 0, max_stack_capacity), stack);
}

void TokenStack::peek_tokenstack(Token& item, quillon::textio::Console* console) const {
  if (top < 1) {
    detail::print_line(console, messages::peek_empty_tokenstack);
    return;
  }
  item = stack[top - 1];
}

void TokenStack::pop_tokenstack(Token& item, quillon::textio::Console* console) {
  if (top < 1) {
    detail::print_line(console, messages::pop_empty_tokenstack);
    return;
  }
  item = stack[--top];
}

void TokenStack::refuse_push(quillon::textio::Console* console) {
  detail::print_line(console, messages::push_full_tokenstack);
}

void NumberStack::copy_from(const NumberStack& other) {
  capacity_ = other.capacity_;
  top = other.top;
  std::copy_n(other.stack.begin(), std::clamp(other.top, 0, max_stack_capacity), stack.begin());
}

void NumberStack::pop_numberstack(double& item, quillon::textio::Console* console) {
  if (top < 1) {
    detail::print_line(console, messages::pop_empty_numberstack);
    item = 0.0;
    return;
  }
  item = stack[top - 1];
  --top;
}

void NumberStack::peek_numberstack(double& item, quillon::textio::Console* console) const {
  if (top < 1) {
    detail::print_line(console, messages::peek_empty_numberstack);
    item = 0.0;
    return;
  }
  item = stack[top - 1];
}

void NumberStack::push_numberstack(double item, quillon::textio::Console* console) {
  if (top >= capacity_ || top < 0) {
    detail::print_line(console, messages::push_full_numberstack);
    return;
  }
  stack[top] = item;
  ++top;
}

}  // namespace quillon::feq_parser
