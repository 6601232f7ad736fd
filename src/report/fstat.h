// Upper critical value of the F distribution.
#pragma once

namespace quillon::report::mod_fstat {

// The f with P(F(df1, df2) > f) = alpha, through the inverse of the incomplete
// beta ratio (AS 109 with the AS 63 series). Needs df1 > 0 and df2 > 0.
// alpha <= 1e-16 and alpha >= 1 give fixed extreme values.
double f_critical(double alpha, double df1, double df2);

namespace detail {
// Regularized incomplete beta ratio I_x(p, q) by the AS 63 series; log_beta = ln B(p, q).
double incomplete_beta(double x, double p, double q, double log_beta);
}  // namespace detail

}  // namespace quillon::report::mod_fstat
