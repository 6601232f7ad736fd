// The four arithmetic operators over runs of rows, in the widest vectors the
// processor offers. Every lane makes the same IEEE operation on the same operands
// as one row at a time would, so each width gives the same bits: the choice made at
// run time changes the speed only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillon::feq_parser::detail {

enum class Width : std::uint8_t { two = 2, four = 4, eight = 8 };  // doubles per vector

// The widest vectors this processor and its operating system support.
Width widest_width();

// out[j] = x[j] o y[j] for j < m, where o is one of + - * / and a null column
// stands for its value in every row; out may be x or y itself.
void arithmetic_rows(char o, const double* x, double xv, const double* y, double yv, double* out,
                     std::size_t m, Width width);

}  // namespace quillon::feq_parser::detail
