// Two-sided 95 % critical value of Student's t distribution.
#pragma once

namespace quillon::report {

// Tabulated for 1..20 degrees of freedom, smooth exponential bridges beyond,
// 1.96 from 1000 on. df <= 0 (fewer accepted samples than parameters) gets the
// 1-df value: the widest interval is the honest answer there.
double t2t95(int df);

}  // namespace quillon::report
