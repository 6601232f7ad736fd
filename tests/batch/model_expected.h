// The 4pl, substrate-inhibition and tight-binding fits of tests/batch/data/models and
// derived constants, with R's optimum, Wald errors and delta-method errors: written by
// tests/batch/make_model_expected.R (Rscript tests/batch/make_model_expected.R from the
// source root), not edited by hand.
#pragma once

#include <array>
#include <string_view>

namespace quillon::testing {

struct ModelExpected {
  std::string_view file;   // in tests/batch/data
  std::string_view model;  // --model key
  double enzyme;           // total enzyme concentration E given; 0 when unused
  int n, np;
  std::array<double, 4> p;  // P1..Pnp, then 0
  double ssq;
  std::array<double, 4> se;  // Wald
  std::string_view against;  // the model this one is nested in; empty when none
  double f, f_p;             // extra-sum-of-squares F test against it; 0 when none
};

struct DerivedExpected {
  std::string_view file;         // from the source root
  std::string_view model;        // --model key
  double enzyme, substrate, km;  // constants given, without error; 0 when unused
  std::string_view name;
  double value, se;  // se by the delta method from the fit's covariance
  double lo, hi;     // value -/+ t(0.975; n - np) se
};

// clang-format off
inline constexpr std::array<ModelExpected, 5> model_expected = {{
    {"models/dose_falling.csv", "4pl", 0, 20, 4,
     {11.127376117998391, 98.068215524152947, 31.340888763997981, -1.2457014464583587},
     107.86636578435868,
     {1.3226670736954274, 1.0879536608183562, 2.0557159544326113, 0.091703934814537216},
     "", 0, 0},
    {"models/dose_falling.csv", "hill", 0, 20, 3,
     {40.946512185351928, 100.99398821712849, -0.84171664162467841, 0},
     448.19049993901518,
     {5.5482293218255387, 2.5168616785872788, 0.079852579533795279, 0},
     "4pl", 50.480852922775412, 2.4940255892242064e-06},
    {"models/substrate_inhibition.csv", "substrate-inhibition", 0, 12, 3,
     {0.99097490901446694, 19.967099935887465, 10.055049841601845, 0},
     0.2204288948610002,
     {0.048776866576219192, 0.49260741805723823, 0.51016391342114054, 0},
     "", 0, 0},
    {"models/substrate_inhibition.csv", "mm", 0, 12, 2,
     {0.1946433599171967, 8.9230093096704479, 0, 0},
     86.538981616702728,
     {0.1551766763358064, 1.2747408524588244, 0, 0},
     "substrate-inhibition", 3524.3427364024051, 5.5015862192601808e-13},
    {"models/tight_binding.csv", "tight-binding", 5, 12, 2,
     {10.180524227494654, 1.9518906307476451, 0, 0},
     0.069574535409418409,
     {0.058075087393395619, 0.053763857916496301, 0, 0},
     "", 0, 0},
}};

inline constexpr std::array<DerivedExpected, 7> derived_expected = {{
    {"examples/michaelis_menten.dat", "mm", 0.05, 0, 0,
     "kcat", 238.75923476029089, 2.0239768492387968,
     234.09193577638874, 243.42653374419305},
    {"examples/michaelis_menten.dat", "mm", 0.05, 0, 0,
     "kcat_km", 96.835236494946628, 2.3479992715756208,
     91.420740465236875, 102.24973252465638},
    {"examples/mixed_inhibition.dat", "mixed", 0.05, 0, 0,
     "kcat", 1588.5516730140926, 9.8167576243570203,
     1567.4968219428561, 1609.6065240853291},
    {"examples/mixed_inhibition.dat", "mixed", 0.05, 0, 0,
     "kcat_km", 525.16605004506118, 9.0166509981111567,
     505.82725701471162, 544.5048430754108},
    {"examples/mixed_inhibition.dat", "mixed", 0.05, 0, 0,
     "alpha", 3.122107015615696, 0.23966888574445502,
     2.6080683799628956, 3.6361456512684964},
    {"tests/batch/data/models/dose_falling.csv", "hill", 0, 10, 2,
     "ki_cheng_prusoff", 6.8244186975586549, 0.92470488697092301,
     4.8734619221288051, 8.7753754729885038},
    {"tests/batch/data/models/dose_falling.csv", "4pl", 0, 10, 2,
     "ki_cheng_prusoff", 5.2234814606663305, 0.34261932573876852,
     4.4971609364171021, 5.9498019849155588},
}};
// clang-format on

}  // namespace quillon::testing
