#pragma once

// Correctly rounded elementary functions for the fit path. The C runtimes differ in
// the last bit of pow, exp, log and atan, and one such bit can send a search down
// another path; these give the same bits on every platform and compiler because
// they use only IEEE additions, multiplications and divisions.
namespace quillon::numerics::exact_math {

double pow(double x, double y);
double exp(double x);
double log(double x);
double atan(double x);

// ln Gamma(x), correctly rounded for x a positive multiple of 1/2 up to 4096 (half a
// number of degrees of freedom, the only arguments the F quantile needs); any other
// argument is passed to the C runtime.
double lgamma(double x);

namespace detail {

// Which stage of pow settles pow(x, y): 1 and 2 are the fast stages, 3 the binary128
// fallback, 0 the special values. For the accuracy tool's statistics.
int pow_stage(double x, double y);

}  // namespace detail

}  // namespace quillon::numerics::exact_math
