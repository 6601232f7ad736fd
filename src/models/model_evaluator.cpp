#include "models/model_evaluator.h"

#include <array>
#include <stdexcept>

#include "data_import/text_utils.h"
#include "models/catalogue.h"

namespace quillon::models {

ModelEvaluator::ModelEvaluator(Console& console) : console_(console) {
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
  eqncharsave_.assign(trimmed(eq));
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
  eqncharsave_.resize(s_len_trim(eqncharsave_));
  global_stale_ = true;
}

namespace {

// Lets the optional construct the parser in place from the builder's result:
// the parser is a large value, and a pass should not copy it.
struct ParserBuild {
  std::string_view text;
  std::span<const char> names;
  Console& console;
  operator feq_parser::EquationParser() const {  // NOLINT(google-explicit-constructor)
    return feq_parser::construct_equationparser(text, names, console);
  }
};

}  // namespace

void ModelEvaluator::rebuild(int nvars) {
  if (parser_built_)
    fsave_->destruct_equationparser();
  fsave_.reset();
  fsave_.emplace(ParserBuild{
      eqncharsave_, std::span<const char>(indepvars.data(), static_cast<std::size_t>(nvars)),
      console_});
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

const std::string& ModelEvaluator::eqnsinglecharglobal() const {
  if (global_stale_) {
    global_ = fixed_text(eqncharsave_, equation_length);
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

  double s = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
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
    fit.ycalc[i] = ev.func(static_cast<int>(i) + 1, nc, np, nx, fit.eq, fit.var);
    const double r = fit.ycalc[i] - fit.y1[i];
    s = s + r * r;
  }
  return s;
}

}  // namespace quillon::models
