// Quantiles of Student's t for the standard analysis.
#pragma once

namespace quillon::analysis {

// t(0.975; df), df >= 1, to 11 decimals: the C runtimes under the distribution
// library differ in the last bit for some df, the rounded value is the same on all.
double t975(int df);

}  // namespace quillon::analysis
