// The state of one fit: made by the import, then handed by reference to each later
// step (prepare, model set-up, search, report); every fit owns one, so fits can run
// on several threads at once. Arrays indexed 1..n in the program's account are
// stored 0-based here. Observations and fitted values are in the data file's units.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "models/catalogue.h"

namespace quillon::models {

inline constexpr int max_points = 1004;  // observations a fit takes

// The units of the observations' columns, as text (never converted); empty: unknown.
struct Units {
  std::string x1, x2, y;
  // The columns' names in a table's header ("dose", "[S]", "rate"); empty: none known.
  std::string x1_name, x2_name, y_name;
};

struct FitState {
  int model = 0;                                   // model number 1..6 (import)
  std::string model_name = std::string(512, ' ');  // its name, blank-padded (import)
  int np = 0;                                      // parameters P1..Pnp (import)
  int nx = 0;                                      // X columns X1..Xnx (import)
  int nc = 0;                                      // constants C1..Cnc (import)
  int npoints = 0;                                 // observations in the file (import)
  Units units;  // of X1, X2, Y: a table's header, a data file's unit remarks (import)

  // One value per parameter: max_params for a data file's fit, more for a global fit.
  std::vector<double> pinit =
      std::vector<double>(max_params);  // initial estimates, line 2 (import)
  std::vector<double> plower = std::vector<double>(max_params);  // lower bounds, line 3 (import)
  std::vector<double> pupper = std::vector<double>(max_params);  // upper bounds, line 4 (import)
  std::vector<double> xbuf1, xbuf2, xbuf3,
      ybuf;  // observations in file order, max_points each (import)

  // Observation lines holding more numbers than the model reads (import): the first
  // such line, its count of numbers, and how many there are.
  struct ExtraValues {
    int first_line = 0;
    int first_count = 0;
    int lines = 0;
  } extra_values;

  // Lines holding numbers after the line that ended the observations (import): data
  // the fit never sees, as after a blank line in the middle of the observations.
  struct UnreadLines {
    int end_line = 0;  // the line that ended the observations
    char end = ' ';    // its first character: ' ' for an empty line, '#', '"' or '\''
    int first = 0;     // the first and last such lines; 0 when there are none
    int last = 0;
  } unread;

  std::vector<double> x1, x2, x3,
      y1;                     // observations sorted by ascending X1, npoints each (prepare)
  std::vector<double> ycalc;  // fitted values at the last objective call (objective)
  std::vector<double> c;      // constants C1..Cnc = 1, 2, .. (prepare)
  // The weight of each sorted observation (batch weighting, after prepare): the
  // objective is then the sum of w (y - f)^2. Empty: every weight 1, as in the
  // interactive program.
  std::vector<double> weights;
  std::vector<double> var;  // values vector P1..Pnp, X1..Xnx, C1..Cnc (prepare, objective)

  std::string eq =
      std::string(512, ' ');  // equation, display form with function names encoded (set-up)
  // An equation of the user's (--equation) over P1..Pnp, and its parameters' names:
  // set-up takes it in place of the model's. Empty: the model's own.
  std::string user_equation;
  std::vector<std::string> user_names;

  std::vector<double> pbest;  // best-fit parameters (search)
  double best = 1.0e15;       // sum of squares at pbest (search)
  double ssq0 = 0.0;          // sum of squares of the residual table at pbest (report)
  double wssq0 = 0.0;         // the same weighted, where there are weights (report)

  // Re-seeded at the start of every search; the uncertainty sampling continues it.
  std::mt19937_64 rng;

  // A global fit: one model over several data sets at once. The observations are the
  // sets' one after another (each sorted by X1), np counts the fit's parameters, and
  // each set maps the model's parameters into them: shared ones to the same entry.
  struct DataSet {
    std::size_t begin = 0, end = 0;       // its rows of x1.., y1, ycalc, weights
    std::array<int, max_params> index{};  // the fit's parameter for the model's k-th
  };
  struct Global {
    int np = 0;                 // the model's parameters
    std::vector<DataSet> sets;  // empty: the usual fit of one data set
    // Per set, the model's parameters at which its rows of ycalc were last evaluated,
    // their weighted sum of squares, and 1 (np + 2 each; 0 there before the first): a
    // trial that moves one set's parameter evaluates that set alone. The observations
    // and weights must not change once the sets are laid out.
    std::vector<double> evaluated;
    std::vector<double> values;      // the engine's values vector for one set
    std::vector<std::string> names;  // the fit's parameters as messages name them
  } global;
};

// Parameter k (0-based) of the fit as messages name it: the model's name for it (by the
// curve's direction once the search has a best fit), or a global fit's ("Vmax [treated]").
inline std::string fit_parameter_name(const FitState& fit, int k) {
  const auto u = static_cast<std::size_t>(k);
  if (u < fit.global.names.size())
    return fit.global.names[u];
  return u < fit.user_names.size() ? fit.user_names[u] : parameter_name(fit.model, k, fit.pbest);
}

}  // namespace quillon::models
