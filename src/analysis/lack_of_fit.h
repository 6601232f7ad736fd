// Replicates and the lack-of-fit F test: pure error (the scatter of replicates about
// their level's mean) against lack of fit (the rest of the residual sum of squares).
#pragma once

#include <optional>
#include <span>

namespace quillon::analysis {

struct LackOfFit {
  int replicates = 0;  // the most observations at one X level (X1 and X2 equal)
  int levels = 0;      // distinct X levels
  double pure_error = 0.0;
  // The test, where pure error and lack of fit both have degrees of freedom.
  std::optional<double> f;
  std::optional<double> p;
  int df_lack = 0, df_pure = 0;
};

// For n observations (x2 empty for one-X models) and a fit of np parameters whose
// residual sum of squares is ssq.
LackOfFit lack_of_fit(std::span<const double> x1, std::span<const double> x2,
                      std::span<const double> y, double ssq, int np);

}  // namespace quillon::analysis
