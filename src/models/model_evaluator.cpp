#include "models/model_evaluator.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "models/catalogue.h"
#include "textio/text_utils.h"

namespace quillon::models {

ModelEvaluator::ModelEvaluator(textio::Console& console) : console_(console) {
  eqncharp_.reserve(equation_length);
  eqncharsave_.reserve(equation_length);
}

ModelEvaluator::~ModelEvaluator() {
  if (parser_built_ && fsave_)
    fsave_->destruct_equationparser();
}

void ModelEvaluator::encode(const std::string& eq, int np, int nx, int nc) {
  eqncharp_.assign(eq);
  encoded_np_ = np;
  encoded_nx_ = nx;
  encoded_nc_ = nc;
  // Trailing blanks never take part in a match, so the work is done on the trimmed text.
  eqncharsave_.assign(textio::trimmed(eq));
  int found = 0;
  std::size_t letter = 0;
  for (int k = 0; k < np; ++k, ++letter) {
    replace(pchar.substr(2 * k, 2), indepvars.substr(letter, 1), eqncharsave_, found);
  }
  for (int k = 0; k < nx; ++k, ++letter) {
    replace(xchar.substr(2 * k, 2), indepvars.substr(letter, 1), eqncharsave_, found);
  }
  for (int k = 0; k < nc; ++k, ++letter) {
    replace(cchar.substr(2 * k, 2), indepvars.substr(letter, 1), eqncharsave_, found);
    constant_found_[k] = found;
  }
  eqncharsave_.resize(textio::s_len_trim(eqncharsave_));
  ++encodings_;
  global_stale_ = true;
}

namespace {

// Lets the optional construct the parser in place from the builder's result:
// the parser is a large value, and a pass should not copy it.
struct ParserBuild {
  std::string_view text;
  std::span<const char> names;
  textio::Console& console;
  operator feq_parser::EquationParser() const {  // NOLINT(google-explicit-constructor)
    return feq_parser::construct_equationparser(text, names, console);
  }
};

}  // namespace

void ModelEvaluator::rebuild(int nvars) {
  // Building is a function of the text and the names alone, so a build from those
  // of the last successful one is that build again; and while the parser still is
  // that build (evaluating never changes it), there is nothing to do.
  const bool same =
      last_build_ && fsave_ && last_build_nvars_ == nvars && last_build_encoding_ == encodings_;
  if (same && parser_built_ && holds_last_build_) {
    ++builds_;
    return;
  }
  if (parser_built_)
    fsave_->destruct_equationparser();
  holds_last_build_ = false;
  ++parser_changes_;
  if (same) {
    *fsave_ = *last_build_;
    holds_last_build_ = true;
  } else {
    fsave_.reset();
    fsave_.emplace(ParserBuild{
        eqncharsave_, std::span<const char>(indepvars.data(), static_cast<std::size_t>(nvars)),
        console_});
    if (fsave_->postfix.has_array()) {
      last_build_ = *fsave_;
      last_build_encoding_ = encodings_;
      last_build_nvars_ = nvars;
      holds_last_build_ = true;
    } else {
      last_build_.reset();
    }
  }
  parser_built_ = true;
  ++builds_;
}

void ModelEvaluator::check_counts(int nc, int np, int nx, std::size_t values) const {
  if (np < 0 || nx < 0 || nc < 0 || np > max_params || nx > max_indep || nc > max_consts ||
      static_cast<std::size_t>(np + nx + nc) > values) {
    throw std::invalid_argument("func: counts do not match the values vector");
  }
}

void ModelEvaluator::begin_pass(int nc, int np, int nx, const std::string& eq) {
  check_counts(nc, np, nx, static_cast<std::size_t>(np + nx + nc));
  // The encoding depends only on the text and the counts: a pass over the same
  // equation reuses the previous result instead of encoding it again.
  if (!textio::same_text(eq, eqncharp_) || np != encoded_np_ || nx != encoded_nx_ ||
      nc != encoded_nc_)
    encode(eq, np, nx, nc);
  if (nc > 0)
    flag3_ = constant_found_[nc - 1];
  rebuild(np + nx + nc);
}

double ModelEvaluator::func(int i, int nc, int np, int nx, const std::string& eq,
                            std::span<const double> var) {
  check_counts(nc, np, nx, var.size());
  if (i == 1)
    begin_pass(nc, np, nx, eq);
  return evaluate(i, nc, np, nx, var);
}

double ModelEvaluator::evaluate(int i, int nc, int np, int nx, std::span<const double> var) {
  check_counts(nc, np, nx, var.size());
  if (!parser_built_)
    throw std::logic_error("func: no equation has been built");
  const int nvars = np + nx + nc;
  const int first_const = np + nx;

  // The engine reads a copy of the values in which a constant is 0.0 unless its
  // name was found (at observation 1) or the last constant's name was found (at
  // the others). When every constant counts, that copy equals `var`, which is
  // then handed over as it is.
  bool all_constants = true;
  if (i == 1) {
    for (int k = 0; k < nc; ++k)
      all_constants = all_constants && constant_found_[k] == 1;
  } else {
    all_constants = nc == 0 || flag3_ == 1;
  }
  if (all_constants)
    return fsave_->evaluate_real64(var.first(static_cast<std::size_t>(nvars)));

  std::array<double, max_names> work;
  for (int k = 0; k < first_const; ++k)
    work[k] = var[k];
  for (int k = 0; k < nc; ++k) {
    const bool copied = i == 1 ? constant_found_[k] == 1 : flag3_ == 1;
    work[first_const + k] = copied ? var[first_const + k] : 0.0;
  }
  return fsave_->evaluate_real64(std::span<const double>(work.data(), nvars));
}

std::span<feq_parser::detail::RowValues> ModelEvaluator::row_values(
    int nc, int np, int nx, std::span<const double> p, std::span<const double* const> x,
    std::span<const double> c) {
  // After observation 1 a constant counts only when the last constant's name was found.
  const bool constants = nc == 0 || flag3_ == 1;
  auto& values = row_values_;  // a member: a local array would be cleared at every call
  int k = 0;
  for (int j = 0; j < np; ++j)
    values[k++] = {nullptr, p[j]};
  for (int j = 0; j < nx; ++j)
    values[k++] = {x[j], 0.0};
  for (int j = 0; j < nc; ++j)
    values[k++] = {nullptr, constants ? c[j] : 0.0};
  return std::span(values.data(), static_cast<std::size_t>(k));
}

bool ModelEvaluator::all_rows(int nc, std::span<const feq_parser::detail::RowValues> values,
                              std::size_t n, double* out, bool same_columns) {
  if (!parser_built_)
    throw std::logic_error("func: no equation has been built");
  // Observation 1 reads each constant whose name was found (0.0 for the others), the
  // later observations every constant or none by the last one's: they must agree.
  const bool later = nc == 0 || flag3_ == 1;
  for (int k = 0; k < nc; ++k) {
    if ((constant_found_[k] == 1) != later)
      return false;
  }
  if (!fsave_->postfix.has_array())
    return false;
  // The program is the last call's when the parser has not been built since.
  const bool same_program = rows_parser_change_ == parser_changes_;
  rows_parser_change_ = parser_changes_;
  return fsave_->evaluate_real64_rows(values, n, out, cache_, same_columns && same_program);
}

bool ModelEvaluator::func_rows(std::span<const feq_parser::detail::RowValues> values, std::size_t n,
                               double* out) const {
  if (!parser_built_)
    throw std::logic_error("func: no equation has been built");
  return fsave_->evaluate_real64_rows(values, n, out);
}

const std::string& ModelEvaluator::eqnsinglecharglobal() const {
  if (global_stale_) {
    global_ = textio::fixed_text(eqncharsave_, equation_length);
    global_stale_ = false;
  }
  return global_;
}

namespace {

// s plus the squared residuals of rows from to to-1, added in row order.
double add_squares(double s, const double* yc, const double* yo, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    const double r = yc[i] - yo[i];
    s = s + r * r;
  }
  return s;
}

// The same with each square weighted: a loop of its own, so that the unweighted
// sum keeps its bits and its speed.
double add_weighted_squares(double s, const double* yc, const double* yo, const double* w,
                            std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    const double r = yc[i] - yo[i];
    s = s + w[i] * (r * r);
  }
  return s;
}

// The squares of n > 0 rows added in chunks through add(s, from, to), stopping once
// the partial sum reaches bound: a partial sum never falls again, so then has the sum.
template <typename Add>
double bounded_sum(Add add, std::size_t n, double bound) {
  constexpr std::size_t check_every = 16;
  double s = 0.0;
  std::size_t i = 0;
  do {
    const std::size_t end = std::min(i + check_every, n);
    s = add(s, i, end);
    i = end;
  } while (s < bound && i < n);
  return s;
}

}  // namespace

namespace {

// The rows of one set of a global fit at the model's parameters p: row 1 of the set is
// its observation 1, as in the set's own fit, the rest through the row evaluation.
void evaluate_set(FitState& fit, ModelEvaluator& ev, const FitState::DataSet& set,
                  std::span<const double> p) {
  const int np = fit.global.np;
  const int nx = fit.nx;
  const int nc = fit.nc;
  std::vector<double>& var = fit.global.values;
  var.resize(static_cast<std::size_t>(np + nx + nc));
  const std::array<const std::vector<double>*, max_indep> columns = {&fit.x1, &fit.x2, &fit.x3};
  for (int k = 0; k < np; ++k)
    var[k] = p[k];
  for (int k = 0; k < nx; ++k)
    var[np + k] = (*columns[k])[set.begin];
  for (int k = 0; k < nc; ++k)
    var[np + nx + k] = fit.c[k];
  ev.begin_pass(nc, np, nx, fit.eq);
  double* yc = fit.ycalc.data();
  yc[set.begin] = ev.evaluate(1, nc, np, nx, var);
  std::size_t i = set.begin + 1;
  if (i < set.end) {
    std::array<const double*, max_indep> x{};
    for (int k = 0; k < nx; ++k)
      x[k] = columns[k]->data() + i;
    const auto values = ev.row_values(
        nc, np, nx, p, std::span<const double* const>(x.data(), static_cast<std::size_t>(nx)),
        std::span<const double>(fit.c.data(), static_cast<std::size_t>(nc)));
    if (ev.func_rows(values, set.end - i, yc + i))
      return;
  }
  for (; i < set.end; ++i) {
    for (int k = 0; k < nx; ++k)
      var[np + k] = (*columns[k])[i];
    yc[i] = ev.evaluate(static_cast<int>(i - set.begin) + 1, nc, np, nx, var);
  }
}

// ssq_objfun for a global fit: each set whose parameters moved is evaluated and summed
// again; the sum is the sets' sums added in set order.
double global_ssq(FitState& fit, ModelEvaluator& ev, std::span<const double> p) {
  FitState::Global& global = fit.global;
  const auto n = static_cast<std::size_t>(fit.npoints);
  const auto np = static_cast<std::size_t>(global.np);
  if (fit.var.size() < static_cast<std::size_t>(fit.np))
    fit.var.resize(static_cast<std::size_t>(fit.np), 0.0);
  if (fit.ycalc.size() < n)
    fit.ycalc.resize(n, 0.0);
  for (int k = 0; k < fit.np; ++k)
    fit.var[k] = p[k];
  // Per set: its parameters, then its sum and 1 once it has been evaluated.
  const std::size_t stride = np + 2;
  global.evaluated.resize(global.sets.size() * stride, 0.0);
  const auto bits = [](double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
  };
  std::array<double, max_params> local{};
  double total = 0.0;
  for (std::size_t s = 0; s < global.sets.size(); ++s) {
    const FitState::DataSet& set = global.sets[s];
    double* stored = global.evaluated.data() + s * stride;
    // Bit for bit: -0.0 and 0.0 may give different values.
    bool same = stored[np + 1] != 0.0;
    for (std::size_t k = 0; k < np; ++k) {
      local[k] = fit.var[static_cast<std::size_t>(set.index[k])];
      same = same && bits(stored[k]) == bits(local[k]);
    }
    if (!same) {
      if (set.begin < set.end)
        evaluate_set(fit, ev, set, std::span<const double>(local.data(), np));
      const double* yc = fit.ycalc.data();
      const double* yo = fit.y1.data();
      std::copy_n(local.begin(), np, stored);
      stored[np] = fit.weights.empty()
                       ? add_squares(0.0, yc, yo, set.begin, set.end)
                       : add_weighted_squares(0.0, yc, yo, fit.weights.data(), set.begin, set.end);
      stored[np + 1] = 1.0;
    }
    total = total + stored[np];
  }
  return total;
}

}  // namespace

double ssq_objfun(FitState& fit, ModelEvaluator& ev, std::span<const double> p,
                  const SsqOptions& options) {
  if (!fit.global.sets.empty())
    return global_ssq(fit, ev, p);
  const int np = fit.np;
  const int nx = fit.nx;
  const int nc = fit.nc;
  const auto n = static_cast<std::size_t>(fit.npoints);
  if (fit.var.size() < static_cast<std::size_t>(np + nx + nc)) {
    fit.var.resize(static_cast<std::size_t>(np + nx + nc), 0.0);
  }
  if (fit.ycalc.size() < n)
    fit.ycalc.resize(n, 0.0);
  if (n == 0)
    return 0.0;

  // The values vector: the parameters and constants once, X1..Xnx at each row.
  // Element by element: p may be a view of var itself.
  for (int k = 0; k < np; ++k)
    fit.var[k] = p[k];
  for (int k = 0; k < nc; ++k)
    fit.var[np + nx + k] = fit.c[k];
  const std::array<const std::vector<double>*, max_indep> columns = {&fit.x1, &fit.x2, &fit.x3};
  auto set_row = [&](std::size_t i) {
    for (int k = 0; k < nx; ++k)
      fit.var[np + k] = (*columns[k])[i];
  };
  set_row(0);

  // Observation 1 rebuilds the parser.
  ev.begin_pass(nc, np, nx, fit.eq);
  std::array<const double*, max_indep> x{};
  for (int k = 0; k < nx; ++k)
    x[k] = columns[k]->data();
  const std::span<feq_parser::detail::RowValues> values = ev.row_values(
      nc, np, nx, std::span<const double>(fit.var.data(), static_cast<std::size_t>(np)),
      std::span<const double* const>(x.data(), static_cast<std::size_t>(nx)),
      std::span<const double>(fit.c.data(), static_cast<std::size_t>(nc)));

  double* yc = fit.ycalc.data();
  const double* yo = fit.y1.data();
  // The weights are looked up only where a sum is made: the unweighted sum then
  // carries nothing more through the evaluation than it did before weights.
  const auto plain = [yc, yo](double t, std::size_t from, std::size_t to) {
    return add_squares(t, yc, yo, from, to);
  };
  const auto weighted = [&fit, yc, yo](double t, std::size_t from, std::size_t to) {
    return add_weighted_squares(t, yc, yo, fit.weights.data(), from, to);
  };
  const auto add = [&](double t, std::size_t from, std::size_t to) {
    return fit.weights.empty() ? plain(t, from, to) : weighted(t, from, to);
  };
  double s = 0.0;
  std::size_t i = 0;
  if (ev.all_rows(nc, values, n, yc, options.same_observations)) {
    // A loop for each kind of sum: weights are asked for once, not at every chunk.
    s = fit.weights.empty() ? bounded_sum(plain, n, options.bound)
                            : bounded_sum(weighted, n, options.bound);
  } else {
    yc[0] = ev.evaluate(1, nc, np, nx, fit.var);
    s = add(s, 0, 1);
    i = 1;
    // The others a run of rows at a time, each run summed in its order as soon as it
    // is made (the sum's chain of additions then overlaps the next run's work).
    constexpr std::size_t rows_per_run = 256;
    for (int k = 0; k < nx; ++k)
      values[np + k].column = x[k] + i;
    while (i < n) {
      const std::size_t m = std::min(rows_per_run, n - i);
      if (!ev.func_rows(values, m, yc + i))
        break;  // one observation at a time below
      s = add(s, i, i + m);
      i += m;
      for (int k = 0; k < nx; ++k)
        values[np + k].column += m;
    }
    for (; i < n; ++i) {
      set_row(i);
      yc[i] = ev.evaluate(static_cast<int>(i) + 1, nc, np, nx, fit.var);
      s = add(s, i, i + 1);
    }
  }
  set_row(n - 1);  // as the last observation's call leaves it
  return s;
}

}  // namespace quillon::models
