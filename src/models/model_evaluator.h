// Model evaluation at one observation through the expression engine, and the
// sum of squared residuals (weighted, where the fit has weights) that the optimiser
// minimises.
#pragma once

#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <string>

#include "feq_parser/equation_parser.h"
#include "models/catalogue.h"
#include "models/fit_state.h"
#include "textio/console.h"

namespace quillon::models {

// Holds the parsed equation from call to call for the whole run of the program.
// Observation 1 orders a rebuild: the equation is encoded and parsed once per pass
// over the data and evaluated at every observation of the pass.
class ModelEvaluator {
 public:
  explicit ModelEvaluator(textio::Console& console);
  ~ModelEvaluator();
  ModelEvaluator(const ModelEvaluator&) = delete;
  ModelEvaluator& operator=(const ModelEvaluator&) = delete;

  // The model value at observation i (1-based) for the values vector `var`
  // (P1..Pnp, X1..Xnx, C1..Cnc). `eq` is the display form after the
  // function-name encoding; it is never changed.
  double func(int i, int nc, int np, int nx, const std::string& eq, std::span<const double> var);

  // What func(1, ...) does before it evaluates: the encoding and the pass's build.
  void begin_pass(int nc, int np, int nx, const std::string& eq);
  // func(i, ...) after that, without the build.
  double evaluate(int i, int nc, int np, int nx, std::span<const double> var);

  // The values vector of the pass that begin_pass began in the engine's row form, as
  // observations 2 to n read it: X1..Xnx are the columns x (row r of column k at
  // x[k][r]), P1..Pnp the parameters p and the constants c (0.0 unless the last
  // constant's name was found) the same in every row. all_rows and func_rows take it;
  // a caller moves the columns along to the rows it wants. Valid until the next call.
  std::span<feq_parser::detail::RowValues> row_values(int nc, int np, int nx,
                                                      std::span<const double> p,
                                                      std::span<const double* const> x,
                                                      std::span<const double> c);

  // Every observation of the pass, 1 to n, for the row_values of its first row, in one
  // go through the store of subexpressions kept from earlier passes (see
  // feq_parser::detail::RowCache): the same bits that func would return. False, with
  // nothing done, when the pass must go one observation at a time or observation 1
  // sees other constants than the rest. same_columns: the caller's word that the
  // columns hold the values of the last call.
  bool all_rows(int nc, std::span<const feq_parser::detail::RowValues> values, std::size_t n,
                double* out, bool same_columns = false);

  // func at n further observations (from observation 2 on) of the pass that observation 1
  // began, for the row_values of the first of them. Writes the n values to out, the same
  // bits that n calls of func would return. Returns false, with nothing done, when the
  // equation must go one observation at a time (then func prints its warnings).
  bool func_rows(std::span<const feq_parser::detail::RowValues> values, std::size_t n,
                 double* out) const;

  // The variable-encoded text of the last build, blank-padded to 512 characters.
  const std::string& eqnsinglecharglobal() const;

  // Number of parser builds so far (each pass over the data makes one).
  long long builds() const { return builds_; }

 private:
  void encode(const std::string& eq, int np, int nx, int nc);
  void rebuild(int nvars);
  void check_counts(int nc, int np, int nx, std::size_t values) const;

  textio::Console& console_;
  std::optional<feq_parser::EquationParser> fsave_;
  bool parser_built_ = false;
  // The last successful build and what it was built from: a build from the same
  // text and names is a copy of it (a build prints only when it fails).
  std::optional<feq_parser::EquationParser> last_build_;
  long long last_build_encoding_ = -1;  // encodings_ at that build
  int last_build_nvars_ = -1;
  bool holds_last_build_ = false;      // fsave_ is that build, untouched since
  long long parser_changes_ = 0;       // builds that changed fsave_
  long long rows_parser_change_ = -1;  // parser_changes_ at the last all_rows
  long long encodings_ = 0;            // changes of eqncharsave_
  std::string eqncharp_;               // caller's text of the last encoding
  int encoded_np_ = -1;
  int encoded_nx_ = -1;
  int encoded_nc_ = -1;
  std::string eqncharsave_;  // its encoding, without trailing blanks
  std::array<int, max_consts> constant_found_{};
  int flag3_ = 0;  // found flag of the last constant name of the last build
  long long builds_ = 0;
  mutable std::string global_;  // padded copy of eqncharsave_, made on request
  mutable bool global_stale_ = true;
  feq_parser::detail::RowCache cache_;
  std::array<feq_parser::detail::RowValues, max_names> row_values_;
};

struct SsqOptions {
  // The caller's word that the observations are those of the last call with this
  // evaluator (as through a search): they are then not compared with the stored ones.
  bool same_observations = false;
  // Summing may stop once the partial sum reaches this: the result is then a value
  // >= bound instead of the sum (the terms are never negative, so the sum is >= bound
  // too, or NaN). fit.ycalc is complete either way.
  double bound = HUGE_VAL;
};

// The sum of squared residuals over all observations at the parameter vector p
// (np values), each square times its weight where fit.weights has them. Leaves fit.var(1..np) = p
// and fit.ycalc holding the fitted values at p.
double ssq_objfun(FitState& fit, ModelEvaluator& ev, std::span<const double> p,
                  const SsqOptions& options = {});

}  // namespace quillon::models
