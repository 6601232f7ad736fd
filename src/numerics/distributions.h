// Quantiles and tail probabilities for the standard analysis and the model
// comparison. The C runtimes under the distribution library differ in the last bit
// for some arguments; the results are rounded so that every platform gives the same.
#pragma once

namespace quillon::numerics {

// t(0.975; df), df >= 1, to 11 decimals.
double t975(int df);

// P(F >= f) for the F distribution with df1 and df2 degrees of freedom (both >= 1),
// to 33 significant bits (about 1e-10 relative); 1 for f <= 0.
double f_upper_tail(double f, int df1, int df2);

}  // namespace quillon::numerics
