#include "feq_parser/row_kernels.h"

namespace quillon::feq_parser::detail {

namespace {

template <char O>
inline double apply(double x, double y) {
  if constexpr (O == '+')
    return x + y;
  else if constexpr (O == '-')
    return x - y;
  else if constexpr (O == '*')
    return x * y;
  else
    return x / y;
}

// One loop per operand shape; the compiler vectorises each for the width of the
// function it is inlined into.
template <char O>
inline void rows(const double* x, double xv, const double* y, double yv, double* out,
                 std::size_t m) {
  if (x != nullptr && y != nullptr) {
    for (std::size_t j = 0; j < m; ++j)
      out[j] = apply<O>(x[j], y[j]);
  } else if (x != nullptr) {
    for (std::size_t j = 0; j < m; ++j)
      out[j] = apply<O>(x[j], yv);
  } else {
    for (std::size_t j = 0; j < m; ++j)
      out[j] = apply<O>(xv, y[j]);
  }
}

inline void dispatch(char o, const double* x, double xv, const double* y, double yv, double* out,
                     std::size_t m) {
  switch (o) {
  case '+': rows<'+'>(x, xv, y, yv, out, m); break;
  case '-': rows<'-'>(x, xv, y, yv, out, m); break;
  case '*': rows<'*'>(x, xv, y, yv, out, m); break;
  default: rows<'/'>(x, xv, y, yv, out, m); break;
  }
}

void rows_two(char o, const double* x, double xv, const double* y, double yv, double* out,
              std::size_t m) {
  dispatch(o, x, xv, y, yv, out, m);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define QUILLON_WIDE_VECTORS 1
__attribute__((target("avx2"))) void rows_four(char o, const double* x, double xv, const double* y,
                                               double yv, double* out, std::size_t m) {
  dispatch(o, x, xv, y, yv, out, m);
}

__attribute__((target("avx512f"))) void rows_eight(char o, const double* x, double xv,
                                                   const double* y, double yv, double* out,
                                                   std::size_t m) {
  dispatch(o, x, xv, y, yv, out, m);
}
#endif

}  // namespace

Width widest_width() {
#ifdef QUILLON_WIDE_VECTORS
  // The checks include the operating system's saving of the wide registers.
  if (__builtin_cpu_supports("avx512f"))
    return Width::eight;
  if (__builtin_cpu_supports("avx2"))
    return Width::four;
#endif
  return Width::two;
}

void arithmetic_rows(char o, const double* x, double xv, const double* y, double yv, double* out,
                     std::size_t m, Width width) {
#ifdef QUILLON_WIDE_VECTORS
  if (width == Width::eight)
    return rows_eight(o, x, xv, y, yv, out, m);
  if (width == Width::four)
    return rows_four(o, x, xv, y, yv, out, m);
#endif
  (void)width;
  rows_two(o, x, xv, y, yv, out, m);
}

}  // namespace quillon::feq_parser::detail
