#include "feq_parser/tokens.h"

#include "feq_parser/messages.h"

namespace feq_parser {

std::size_t trimmed_length(const char* s, std::size_t n) {
  constexpr std::uint64_t blanks = 0x2020202020202020ULL;
  while (n >= 8) {
    std::uint64_t word;
    std::memcpy(&word, s + n - 8, 8);
    if (word != blanks)
      break;
    n -= 8;
  }
  while (n > 0 && s[n - 1] == ' ')
    --n;
  return n;
}

namespace detail {
void print_line(quillon::Console* console, std::string_view text) {
  if (console != nullptr)
    console->list(text);
}
}  // namespace detail

void TokenStack::copy_from(const TokenStack& other) {
  capacity_ = other.capacity_;
  top = other.top;
  for (std::int32_t k = 0; k < std::clamp(other.top, 0, max_stack_capacity); ++k) {
    stack[k] = other.stack[k];
  }
}

void TokenStack::peek_tokenstack(Token& item, quillon::Console* console) const {
  if (top < 1) {
    detail::print_line(console, messages::peek_empty_tokenstack);
    return;
  }
  item = stack[top - 1];
}

void TokenStack::pop_tokenstack(Token& item, quillon::Console* console) {
  if (top < 1) {
    detail::print_line(console, messages::pop_empty_tokenstack);
    return;
  }
  item = stack[top - 1];
  --top;
}

void TokenStack::push_tokenstack(const Token& item, quillon::Console* console) {
  if (top >= capacity_ || top < 0) {
    detail::print_line(console, messages::push_full_tokenstack);
    return;
  }
  stack[top] = item;
  ++top;
}

void NumberStack::copy_from(const NumberStack& other) {
  capacity_ = other.capacity_;
  top = other.top;
  std::copy_n(other.stack.begin(), std::clamp(other.top, 0, max_stack_capacity), stack.begin());
}

void NumberStack::pop_numberstack(double& item, quillon::Console* console) {
  if (top < 1) {
    detail::print_line(console, messages::pop_empty_numberstack);
    item = 0.0;
    return;
  }
  item = stack[top - 1];
  --top;
}

void NumberStack::peek_numberstack(double& item, quillon::Console* console) const {
  if (top < 1) {
    detail::print_line(console, messages::peek_empty_numberstack);
    item = 0.0;
    return;
  }
  item = stack[top - 1];
}

void NumberStack::push_numberstack(double item, quillon::Console* console) {
  if (top >= capacity_ || top < 0) {
    detail::print_line(console, messages::push_full_numberstack);
    return;
  }
  stack[top] = item;
  ++top;
}

}  // namespace feq_parser
