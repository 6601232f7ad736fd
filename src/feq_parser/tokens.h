// Tokens and the two bounded stacks of the expression engine. Both stacks keep
// their items in fixed storage inside the object, so constructing, copying and
// using them never touches the heap; "allocating" a stack only sets its capacity.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// The engine only prints through a console it is handed.
namespace quillon::textio {
class Console;
}

namespace quillon::feq_parser {

// Every stack of the engine holds at most this many items, which also bounds the
// number of tokens of one equation.
inline constexpr std::int32_t max_stack_capacity = 128;

// A blank-padded text of exactly N characters.
template <std::size_t N>
struct FixedText {
  std::array<char, N> chars;

  FixedText() { chars.fill(' '); }
  explicit FixedText(std::string_view s) { assign(s); }

  static constexpr std::size_t size() { return N; }
  // Cut to N characters or padded with blanks.
  void assign(std::string_view s) {
    const std::size_t n = std::min(s.size(), N);
    std::memcpy(chars.data(), s.data(), n);
    std::fill(chars.begin() + n, chars.end(), ' ');
  }
  void fill_blank() { chars.fill(' '); }
  std::string_view view() const { return {chars.data(), N}; }
  std::string_view trimmed() const;
  char& operator[](std::size_t k) { return chars[k]; }
  char operator[](std::size_t k) const { return chars[k]; }
  bool operator==(const FixedText&) const = default;
};

// Number of characters up to the last non-blank one. Blank tails are skipped eight
// characters at a time: the equation texts are mostly padding.
std::size_t trimmed_length(const char* s, std::size_t n);

template <std::size_t N>
std::string_view FixedText<N>::trimmed() const {
  return {chars.data(), trimmed_length(chars.data(), N)};
}

// A blank-padded text of exactly N characters that knows how far its non-blank
// characters can reach, so that blanking, assigning and copying touch only that
// part: the long equation texts are mostly padding.
template <std::size_t N>
class PaddedText {
 public:
  PaddedText() { chars_.fill(' '); }
  PaddedText(const PaddedText& other) : PaddedText() { *this = other; }
  PaddedText& operator=(const PaddedText& other) {
    if (this != &other)
      assign(std::string_view(other.chars_.data(), other.used_));
    return *this;
  }

  static constexpr std::size_t size() { return N; }
  // Cut to N characters or padded with blanks.
  void assign(std::string_view s) {
    const std::size_t n = std::min(s.size(), N);
    if (n > 0)  // an empty view may have no data at all
      std::memcpy(chars_.data(), s.data(), n);
    if (used_ > n)
      std::memset(chars_.data() + n, ' ', used_ - n);
    used_ = n;
  }
  void fill_blank() {
    std::memset(chars_.data(), ' ', used_);
    used_ = 0;
  }
  void set(std::size_t k, char c) {
    chars_[k] = c;
    used_ = std::max(used_, k + 1);
  }
  const char* data() const { return chars_.data(); }
  std::string_view view() const { return {chars_.data(), N}; }
  std::string_view trimmed() const { return {chars_.data(), trimmed_length(chars_.data(), used_)}; }
  char operator[](std::size_t k) const { return chars_[k]; }
  bool operator==(const PaddedText& other) const { return view() == other.view(); }

 private:
  std::array<char, N> chars_;
  std::size_t used_ = 0;  // chars_[used_..N) are blanks
};

// Token kind codes.
namespace kind {
inline constexpr std::int32_t none = 0;
inline constexpr std::int32_t number = 1;
inline constexpr std::int32_t variable = 2;
inline constexpr std::int32_t binary_operator = 3;
inline constexpr std::int32_t function = 4;
inline constexpr std::int32_t left_parenthesis = 5;
inline constexpr std::int32_t right_parenthesis = 6;
inline constexpr std::int32_t unary_operator = 7;
}  // namespace kind

inline constexpr std::size_t token_text_length = 48;

struct Token {
  FixedText<token_text_length> text;
  std::int32_t kind = kind::none;

  Token() = default;
  Token(std::string_view token_text, std::int32_t token_kind)
      : text(token_text), kind(token_kind) {}
};

// Bounded stack of tokens; item k (1-based, k <= top) is stack[k - 1].
class TokenStack {
 public:
  union {
    Token stack[max_stack_capacity];  // items above top are never read
  };
  std::int32_t top = 0;

  TokenStack() {}
  TokenStack(const TokenStack& other) { copy_from(other); }
  TokenStack& operator=(const TokenStack& other) {
    if (this != &other)
      copy_from(other);
    return *this;
  }
  ~TokenStack() {}

  // Warnings go to `console`; a null console drops them.
  void peek_tokenstack(Token& item, quillon::textio::Console* console) const;
  void pop_tokenstack(Token& item, quillon::textio::Console* console);
  bool isempty_tokenstack() const { return top <= 0; }
  // A push beyond the capacity (or onto a stack without array) is refused with a warning.
  void push_tokenstack(const Token& item, quillon::textio::Console* console) {
    if (top >= capacity_ || top < 0) {
      refuse_push(console);
      return;
    }
    stack[top++] = item;
  }
  void destruct_tokenstack() {
    capacity_ = no_array;
    top = 0;
  }
  Token toptoken() const { return top >= 1 ? stack[top - 1] : Token(); }
  // Capacities above max_stack_capacity are held to it; 0 or less gives an empty array.
  void construct_tokenstack(std::int32_t capacity) {
    capacity_ = std::clamp(capacity, 0, max_stack_capacity);
    top = 0;
  }

  bool has_array() const { return capacity_ != no_array; }
  std::int32_t capacity() const { return std::max(capacity_, 0); }

 private:
  static constexpr std::int32_t no_array = -1;
  void copy_from(const TokenStack& other);
  static void refuse_push(quillon::textio::Console* console);
  std::int32_t capacity_ = no_array;
};

// Bounded stack of doubles; item k (1-based) is stack[k - 1].
class NumberStack {
 public:
  std::array<double, max_stack_capacity> stack;  // left uninitialised: never read above top
  std::int32_t top = 0;

  NumberStack() {}
  NumberStack(const NumberStack& other) { copy_from(other); }
  NumberStack& operator=(const NumberStack& other) {
    if (this != &other)
      copy_from(other);
    return *this;
  }

  void destruct_numberstack() {
    capacity_ = no_array;
    top = 0;
  }
  bool isempty_numberstack() const { return top <= 0; }
  // An empty stack gives 0.0 and a warning.
  void pop_numberstack(double& item, quillon::textio::Console* console);
  void push_numberstack(double item, quillon::textio::Console* console);
  void peek_numberstack(double& item, quillon::textio::Console* console) const;
  void construct_numberstack(std::int32_t capacity) {
    capacity_ = std::clamp(capacity, 0, max_stack_capacity);
    top = 0;
  }

  bool has_array() const { return capacity_ != no_array; }
  std::int32_t capacity() const { return std::max(capacity_, 0); }

 private:
  static constexpr std::int32_t no_array = -1;
  void copy_from(const NumberStack& other);
  std::int32_t capacity_ = no_array;
};

namespace detail {
// One list-directed line (warnings, diagnostics); nothing when there is no console.
void print_line(quillon::textio::Console* console, std::string_view text);
}  // namespace detail

}  // namespace quillon::feq_parser
