#include "report/plot2scrn.h"

#include <array>
#include <cmath>

#include "textio/format.h"
#include "textio/text_utils.h"

namespace quillon::report::plot2scrn_mod {

namespace {

constexpr int n_rows = 31;  // row 0 at the bottom, 30 at the top
constexpr int n_cols = 69;  // cells 0..68 exist, 0..66 are printed
constexpr int last_col = 66;
constexpr int label_len = 25;

using Grid = std::array<std::array<char, n_cols>, n_rows>;

// Largest element that is a number over both arrays; zero when there is none.
double largest(std::span<const double> a, std::span<const double> b = {}) {
  double m = 0.0;
  bool any = false;
  for (auto v : {a, b}) {
    for (double e : v) {
      if (std::isnan(e))
        continue;
      if (!any || e > m)
        m = e;
      any = true;
    }
  }
  return m;
}

// The cell index of a scaled value, truncated toward zero; -1 when it falls
// outside 0..limit (a value just below zero still lands in cell 0).
int cell(double scaled, int limit) {
  if (!(scaled > -1.0 && scaled < limit + 1.0))
    return -1;
  return static_cast<int>(scaled);
}

void mark(Grid& grid, int row, int col, char symbol) {
  if (row < 0 || col < 0)
    return;
  char& c = grid[row][col];
  c = (c == ' ' || c == '.' || c == '|') ? symbol : '*';
}

// Y labels: a blank in front, blank-padded to at least the printed 10 characters.
std::string y_label(double v) {
  std::string label(1, ' ');
  label += textio::trimmed(real2str(v));
  return textio::fixed_text(label, 26);
}

// The exponent letter (and sign) followed by the digits after `skip` characters at k.
std::string exponent_from(std::string_view lead, const std::string& s, std::size_t k,
                          std::size_t skip) {
  std::string e(lead);
  e += s.substr(k + skip);
  return e;
}

}  // namespace

std::string real2str(double v) {
  if (v == 0.0)
    return textio::fixed_text("0", label_len);

  std::string s = textio::fixed_text(textio::render_general(v, 12, 5), label_len);
  textio::s_adjustl(s);
  s = std::string(textio::trimmed(s));

  if (!s.empty() && s.front() == '0')
    s.erase(0, 1);

  const std::size_t e_pos = s.find('E');
  std::string mantissa = s.substr(0, e_pos);
  std::string exponent = e_pos == std::string::npos ? std::string() : s.substr(e_pos);
  if (std::size_t k = s.find("E+0"); k != std::string::npos) {
    exponent = exponent_from("E", s, k, 3);
  } else if (std::size_t k2 = s.find("E+"); k2 != std::string::npos) {
    exponent = exponent_from("E", s, k2, 2);
  }
  if (std::size_t k = s.find("E-0"); k != std::string::npos)
    exponent = exponent_from("E-", s, k, 3);

  if (mantissa.find('.') != std::string::npos) {
    while (!mantissa.empty() && mantissa.back() == '0')
      mantissa.pop_back();
    if (!mantissa.empty() && mantissa.back() == '.')
      mantissa.pop_back();
  }
  return textio::fixed_text(mantissa + exponent, label_len);
}

void plot2scrn(textio::Console& console, std::string_view title, std::span<const double> x,
               std::span<const double> yobs, std::span<const double> ycalc) {
  Grid grid;
  for (auto& row : grid)
    row.fill(' ');

  const double xr = 1.05 * largest(x);
  const double sx = 65.0 / xr;
  const double yr = 1.05 * largest(yobs, ycalc);
  const double sy = 29.0 / yr;

  for (int row : {0, 16, 30}) {
    for (int col = 0; col <= last_col; ++col)
      grid[row][col] = '.';
  }
  for (int row = 0; row < n_rows; ++row) {
    grid[row][0] = '|';
    grid[row][last_col] = '|';
    if (row >= 1 && row <= 29)
      grid[row][34] = '|';
  }

  // With no positive extent the scales are infinite or point the wrong way:
  // keep the frame and labels, leave the points out.
  if (xr > 0.0 && yr > 0.0) {
    const auto place = [&](std::span<const double> y, char symbol) {
      for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
        const int col = cell((x[i] + 0.01 * xr) * sx, n_cols - 1);
        const int row = cell((y[i] + 0.01 * yr) * sy, n_rows - 1);
        if (col >= 0 && row >= 0)
          mark(grid, row, col, symbol);
      }
    };
    place(yobs, 'o');
    place(ycalc, 'x');
  }

  const auto cells = [&](int row) { return std::string(grid[row].data(), last_col + 1); };

  console.write("(A)", " ");
  console.write("(/TR17,A56)", textio::fixed_text(title, 512));
  console.write("(TR68,A)", "Y-VALUE");
  for (int row = n_rows - 1; row >= 0; --row) {
    if (row == 30) {
      console.write("(1X,A,A10)", cells(row), y_label(yr));
    } else if (row == 16) {
      console.write("(1X,A,A10)", cells(row), y_label(0.5 * yr));
    } else if (row == 0) {
      console.write("(1X,A,A10)", cells(row), y_label(0.0));
    } else {
      console.write("(1X,A)", cells(row));
    }
  }
  console.write("(1X,A5,28X,A5,27X,A5)", std::string("0"),
                std::string(textio::trimmed(real2str(0.5 * xr))),
                std::string(textio::trimmed(real2str(xr))));
  console.write("(/TR32,A)", "X-VALUE");
  console.write("(/A)", "  Legend: o = observed    x = fitted    * = overlap");
}

}  // namespace quillon::report::plot2scrn_mod
