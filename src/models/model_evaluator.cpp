#include "models/model_evaluator.h"

#include <array>
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
  if (parser_built_)
    fsave_->destruct_equationparser();
  // Building is a function of the text and the names alone, so a build from those
  // of the last successful one is that build again.
  if (last_build_ && fsave_ && last_build_nvars_ == nvars && last_build_encoding_ == encodings_) {
    *fsave_ = *last_build_;
  } else {
    fsave_.reset();
    fsave_.emplace(ParserBuild{
        eqncharsave_, std::span<const char>(indepvars.data(), static_cast<std::size_t>(nvars)),
        console_});
    if (fsave_->postfix.has_array()) {
      last_build_ = *fsave_;
      last_build_encoding_ = encodings_;
      last_build_nvars_ = nvars;
    } else {
      last_build_.reset();
    }
  }
  parser_built_ = true;
  ++builds_;
}

double ModelEvaluator::func(int i, int nc, int np, int nx, const std::string& eq,
                            std::span<const double> var) {
  const int nvars = np + nx + nc;
  if (np < 0 || nx < 0 || nc < 0 || np > max_params || nx > max_indep || nc > max_consts ||
      nvars > static_cast<int>(var.size())) {
    throw std::invalid_argument("func: counts do not match the values vector");
  }
  const int first_const = np + nx;

  // The engine reads a copy of the values in which a constant is 0.0 unless its
  // name was found (at observation 1) or the last constant's name was found (at
  // the others). When every constant counts, that copy equals `var`, which is
  // then handed over as it is.
  bool all_constants = true;
  if (i == 1) {
    // The encoding depends only on the text and the counts: a pass over the same
    // equation reuses the previous result instead of encoding it again.
    if (eq != eqncharp_ || np != encoded_np_ || nx != encoded_nx_ || nc != encoded_nc_) {
      encode(eq, np, nx, nc);
    }
    for (int k = 0; k < nc; ++k)
      all_constants = all_constants && constant_found_[k] == 1;
    if (nc > 0)
      flag3_ = constant_found_[nc - 1];
    rebuild(nvars);
  } else {
    if (!parser_built_)
      throw std::logic_error("func: no equation has been built");
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

bool ModelEvaluator::func_rows(int nc, int np, int nx, std::span<const double> p,
                               std::span<const double* const> x, std::span<const double> c,
                               std::size_t n, double* out) const {
  if (!parser_built_)
    throw std::logic_error("func: no equation has been built");
  // After observation 1 a constant counts only when the last constant's name was found.
  const bool constants = nc == 0 || flag3_ == 1;
  std::array<feq_parser::detail::RowValues, max_names> values;
  int k = 0;
  for (int j = 0; j < np; ++j)
    values[k++] = {nullptr, p[j]};
  for (int j = 0; j < nx; ++j)
    values[k++] = {x[j], 0.0};
  for (int j = 0; j < nc; ++j)
    values[k++] = {nullptr, constants ? c[j] : 0.0};
  return fsave_->evaluate_real64_rows(std::span(values.data(), static_cast<std::size_t>(k)), n,
                                      out);
}

const std::string& ModelEvaluator::eqnsinglecharglobal() const {
  if (global_stale_) {
    global_ = textio::fixed_text(eqncharsave_, equation_length);
    global_stale_ = false;
  }
  return global_;
}

double ssq_objfun(FitState& fit, ModelEvaluator& ev, std::span<const double> p) {
  const int np = fit.np;
  const int nx = fit.nx;
  const int nc = fit.nc;
  const auto n = static_cast<std::size_t>(fit.npoints);
  if (fit.var.size() < static_cast<std::size_t>(np + nx + nc)) {
    fit.var.resize(static_cast<std::size_t>(np + nx + nc), 0.0);
  }
  if (fit.ycalc.size() < n)
    fit.ycalc.resize(n, 0.0);

  auto set_row = [&](std::size_t i) {
    // Element by element: p may be a view of var itself.
    for (int k = 0; k < np; ++k)
      fit.var[k] = p[k];
    if (nx >= 1)
      fit.var[np] = fit.x1[i];
    if (nx >= 2)
      fit.var[np + 1] = fit.x2[i];
    if (nx == 3)
      fit.var[np + 2] = fit.x3[i];
    for (int k = 0; k < nc; ++k)
      fit.var[np + nx + k] = fit.c[k];
  };

  double s = 0.0;
  std::size_t i = 0;
  if (n >= 1) {
    // Observation 1 rebuilds the parser.
    set_row(0);
    fit.ycalc[0] = ev.func(1, nc, np, nx, fit.eq, fit.var);
    const double r = fit.ycalc[0] - fit.y1[0];
    s = s + r * r;
    i = 1;
    // The others a run of rows at a time, each run summed in its order as soon as it
    // is made (the sum's chain of additions then overlaps the next run's work); var
    // is left as the last observation's call leaves it.
    constexpr std::size_t rows_per_run = 256;
    const std::vector<double>* columns[max_indep] = {&fit.x1, &fit.x2, &fit.x3};
    const std::span<const double> pv(fit.var.data(), static_cast<std::size_t>(np));
    const std::span<const double> cv(fit.c.data(), static_cast<std::size_t>(nc));
    std::array<const double*, max_indep> x{};
    while (i < n) {
      const std::size_t m = std::min(rows_per_run, n - i);
      for (int k = 0; k < nx; ++k)
        x[k] = columns[k]->data() + i;
      if (!ev.func_rows(nc, np, nx, pv, std::span(x.data(), static_cast<std::size_t>(nx)), cv, m,
                        fit.ycalc.data() + i)) {
        break;  // one observation at a time below
      }
      for (const std::size_t end = i + m; i < end; ++i) {
        const double r = fit.ycalc[i] - fit.y1[i];
        s = s + r * r;
      }
    }
    if (i == n && n >= 2)
      set_row(n - 1);
  }
  for (; i < n; ++i) {
    set_row(i);
    fit.ycalc[i] = ev.func(static_cast<int>(i) + 1, nc, np, nx, fit.eq, fit.var);
    const double r = fit.ycalc[i] - fit.y1[i];
    s = s + r * r;
  }
  return s;
}

}  // namespace quillon::models
