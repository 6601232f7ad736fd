// Constants a paper reports beside the fitted parameters, made from the standard
// analysis's best fit and covariance and from constants of the assay.
#pragma once

#include <optional>

#include "analysis/standard_analysis.h"

namespace quillon::file_analysis {

// A constant with its delta-method standard error and its interval value -/+
// t(0.975; df) se, as the parameters' Wald intervals are; empty where not had.
struct Derived {
  std::optional<double> value, se, lo, hi;
};

struct DerivedConstants {
  Derived kcat;              // Vmax/[E]: with the enzyme concentration
  Derived kcat_km;           // Vmax/([E] Km): likewise, for a model with Km
  Derived alpha;             // Ki2/Ki1 of the mixed model
  Derived ki_cheng_prusoff;  // IC50/(1 + S/Km) of a falling dose-response curve
};

// The constants that a fit of `model` gives, with the assay's total enzyme
// concentration, its substrate concentration and the substrate's Km where known
// (positive). Empty without an available standard analysis.
DerivedConstants derived_constants(int model, const analysis::StandardAnalysis& standard,
                                   std::optional<double> enzyme, std::optional<double> substrate,
                                   std::optional<double> km);

}  // namespace quillon::file_analysis
