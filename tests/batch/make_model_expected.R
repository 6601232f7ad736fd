# Independent expected values for the 4pl, substrate-inhibition and tight-binding
# models and for the derived constants: each fit's least-squares optimum by unbounded
# nls, the lowest of a grid of starts; the residual sum of squares and Wald standard
# errors, the extra-sum-of-squares F test of a nested model by anova(); and derived
# constants with delta-method standard errors from vcov() and t(0.975; n - np)
# intervals.
#   Rscript tests/batch/make_model_expected.R [OUT]
# Run from the source root; writes tests/batch/model_expected.h.

formulas <- list(
  "mm" = y ~ P2 * X1 / (P1 + X1),
  "hill" = y ~ P2 * X1^P3 / (X1^P3 + P1^P3),
  "mixed" = y ~ P2 * X1 / (P1 * (1 + X2 / P3) + X1 * (1 + X2 / P4)),
  "4pl" = y ~ P1 + (P2 - P1) / (1 + (P3 / X1)^P4),
  "substrate-inhibition" = y ~ P2 * X1 / (P1 + X1 * (1 + X1 / P3)),
  "tight-binding" = y ~ P1 * (1 - ((E + X1 + P2) - sqrt((E + X1 + P2)^2 - 4 * E * X1)) / (2 * E)))

# A .csv of tests/batch/data/models (X1, then Y) or a data file: rows "X1 [X2] Y"
# after the model line and the three lines of starts and bounds, up to the first
# line that does not start with a number (empty, or the trailing # notes).
read_data <- function(path, enzyme) {
  if (grepl("\\.csv$", path)) {
    t <- read.csv(path, check.names = FALSE)
    return(data.frame(X1 = t[[1]], X2 = 0, y = t[[2]], E = enzyme))
  }
  lines <- readLines(path)[-(1:4)]
  numeric <- grepl("^\\s*[-+.0-9]", lines)
  lines <- lines[seq_len(match(FALSE, numeric, nomatch = length(lines) + 1) - 1)]
  v <- lapply(strsplit(trimws(sub("!.*", "", lines)), "[ ,\t]+"), as.numeric)
  m <- do.call(rbind, v)
  data.frame(X1 = m[, 1], X2 = if (ncol(m) == 3) m[, 2] else 0, y = m[, ncol(m)], E = enzyme)
}

# Every combination of the values given for P1, P2, ...
grid <- function(...) {
  g <- expand.grid(list(...))
  names(g) <- paste0("P", seq_along(g))
  lapply(seq_len(nrow(g)), function(k) as.list(g[k, ]))
}

# nls from each start; the lowest deviance wins. nls stops at a relative offset of
# 1e-6, so Gauss-Newton steps on the analytic Jacobian then take the sum of squares
# to its last digits, and nls restarted there gives summary(), vcov() and anova() at
# that point.
fit_best <- function(key, d, starts) {
  f <- formulas[[key]]
  ctl <- nls.control(maxiter = 1000, minFactor = 1e-12)
  fits <- lapply(starts, function(s)
    tryCatch(nls(f, d, start = s, control = ctl), error = function(e) NULL))
  fits <- Filter(Negate(is.null), fits)
  dev <- sapply(fits, deviance)
  cat(sprintf("%s: %d of %d starts converge; distinct sums %s\n", key, length(fits),
              length(starts), paste(unique(signif(sort(dev), 6)), collapse = " ")))
  fit <- fits[[which.min(dev)]]
  pn <- names(coef(fit))
  g <- deriv(f[[3]], pn, function.arg = c(pn, "X1", "X2", "E"))
  at <- function(p) {
    v <- do.call(g, c(as.list(p), list(X1 = d$X1, X2 = d$X2, E = d$E)))
    list(r = d$y - as.vector(v), j = attr(v, "gradient"))
  }
  p <- coef(fit)
  repeat {
    v <- at(p)
    q <- p + qr.solve(v$j, v$r)
    if (!(sum(at(q)$r^2) < sum(v$r^2))) break
    p <- q
  }
  polished <- nls(f, d, start = as.list(p), control = ctl)
  stopifnot(deviance(polished) <= min(dev) * (1 + 1e-12),
            abs(deviance(polished) / sum(at(p)$r^2) - 1) < 1e-12)
  polished
}

# File (in tests/batch/data), model, E, starts; the nested case names its fuller model.
cases <- list(
  list(file = "models/dose_falling.csv", key = "4pl", enzyme = 0,
       starts = grid(c(0, 12, 30), c(80, 100, 120), c(3, 30, 300), c(-0.5, -1.2, -3))),
  list(file = "models/dose_falling.csv", key = "hill", enzyme = 0, against = "4pl",
       starts = grid(c(3, 30, 300), c(80, 100, 120), c(-0.5, -1, -3))),
  list(file = "models/substrate_inhibition.csv", key = "substrate-inhibition", enzyme = 0,
       starts = grid(c(0.1, 1, 10), c(5, 20, 80), c(1, 10, 100))),
  list(file = "models/substrate_inhibition.csv", key = "mm", enzyme = 0,
       against = "substrate-inhibition", starts = grid(c(0.1, 1, 10), c(5, 20, 80))),
  list(file = "models/tight_binding.csv", key = "tight-binding", enzyme = 5,
       starts = grid(c(5, 10, 20), c(0.1, 1, 10))))

out <- commandArgs(trailingOnly = TRUE)
out <- if (length(out) > 0) out[1] else "tests/batch/model_expected.h"

num <- function(v) sprintf("%.17g", v)
given_num <- function(v) sprintf("%.15g", v)  # the constants as written here
vec <- function(v) paste0("{", paste(num(c(v, rep(0, 4 - length(v)))), collapse = ", "), "}")

fits <- list()
rows <- character()
for (cs in cases) {
  d <- read_data(file.path("tests/batch/data", cs$file), cs$enzyme)
  fit <- fit_best(cs$key, d, cs$starts)
  print(summary(fit))
  fits[[paste(cs$file, cs$key)]] <- fit
  co <- summary(fit)$coefficients
  against <- ""; f <- 0; fp <- 0
  if (!is.null(cs$against)) {
    a <- anova(fit, fits[[paste(cs$file, cs$against)]])
    print(a)
    against <- cs$against; f <- a[["F value"]][2]; fp <- a[["Pr(>F)"]][2]
  }
  rows <- c(rows, sprintf(
    "    {\"%s\", \"%s\", %s, %d, %d,\n     %s,\n     %s,\n     %s,\n     \"%s\", %s, %s},",
    cs$file, cs$key, given_num(cs$enzyme), nrow(d), nrow(co), vec(co[, 1]), num(deviance(fit)),
    vec(co[, 2]), against, num(f), num(fp)))
}

# Derived constants: file (from the source root), model, E, S and Km given, and
# name = expression of P1..Pnp and the constants.
derived <- list(
  list(file = "examples/michaelis_menten.dat", key = "mm", enzyme = 0.05,
       starts = grid(c(0.5, 2.5, 10), c(5, 12, 30)),
       exprs = list(kcat = quote(P2 / E), kcat_km = quote(P2 / (E * P1)))),
  list(file = "examples/mixed_inhibition.dat", key = "mixed", enzyme = 0.05,
       starts = grid(c(1, 3, 10), c(40, 80, 160), c(1, 4, 16), c(3, 12, 48)),
       exprs = list(kcat = quote(P2 / E), kcat_km = quote(P2 / (E * P1)),
                    alpha = quote(P4 / P3))),
  list(file = "tests/batch/data/models/dose_falling.csv", key = "hill", substrate = 10, km = 2,
       exprs = list(ki_cheng_prusoff = quote(P1 / (1 + S / KM)))),
  list(file = "tests/batch/data/models/dose_falling.csv", key = "4pl", substrate = 10, km = 2,
       exprs = list(ki_cheng_prusoff = quote(P3 / (1 + S / KM)))))

drows <- character()
for (dc in derived) {
  given <- function(name) if (is.null(dc[[name]])) 0 else dc[[name]]
  enzyme <- given("enzyme"); s <- given("substrate"); km <- given("km")
  fit <- fits[[paste(sub("^tests/batch/data/", "", dc$file), dc$key)]]
  if (is.null(fit)) {
    fit <- fit_best(dc$key, read_data(dc$file, enzyme), dc$starts)
    print(summary(fit))
  }
  p <- coef(fit)
  tq <- qt(0.975, df.residual(fit))
  for (name in names(dc$exprs)) {
    g <- deriv(dc$exprs[[name]], names(p), function.arg = c(names(p), "E", "S", "KM"))
    v <- do.call(g, c(as.list(p), list(E = enzyme, S = s, KM = km)))
    j <- attr(v, "gradient")
    se <- sqrt(as.numeric(j %*% vcov(fit) %*% t(j)))
    value <- as.numeric(v)
    cat(sprintf("%s %s %s = %.6g, SE %.6g, %.6g .. %.6g\n", dc$file, dc$key, name, value, se,
                value - tq * se, value + tq * se))
    drows <- c(drows, sprintf(
      "    {\"%s\", \"%s\", %s, %s, %s,\n     \"%s\", %s, %s,\n     %s, %s},",
      dc$file, dc$key, given_num(enzyme), given_num(s), given_num(km), name, num(value), num(se),
      num(value - tq * se), num(value + tq * se)))
  }
}

writeLines(c(
  "// The 4pl, substrate-inhibition and tight-binding fits of tests/batch/data/models and",
  "// derived constants, with R's optimum, Wald errors and delta-method errors: written by",
  "// tests/batch/make_model_expected.R (Rscript tests/batch/make_model_expected.R from the",
  "// source root), not edited by hand.",
  "#pragma once",
  "",
  "#include <array>",
  "#include <string_view>",
  "",
  "namespace quillon::testing {",
  "",
  "struct ModelExpected {",
  "  std::string_view file;   // in tests/batch/data",
  "  std::string_view model;  // --model key",
  "  double enzyme;           // total enzyme concentration E given; 0 when unused",
  "  int n, np;",
  "  std::array<double, 4> p;  // P1..Pnp, then 0",
  "  double ssq;",
  "  std::array<double, 4> se;  // Wald",
  "  std::string_view against;  // the model this one is nested in; empty when none",
  "  double f, f_p;             // extra-sum-of-squares F test against it; 0 when none",
  "};",
  "",
  "struct DerivedExpected {",
  "  std::string_view file;         // from the source root",
  "  std::string_view model;        // --model key",
  "  double enzyme, substrate, km;  // constants given, without error; 0 when unused",
  "  std::string_view name;",
  "  double value, se;  // se by the delta method from the fit's covariance",
  "  double lo, hi;     // value -/+ t(0.975; n - np) se",
  "};",
  "",
  "// clang-format off",
  sprintf("inline constexpr std::array<ModelExpected, %d> model_expected = {{", length(rows)),
  rows,
  "}};",
  "",
  sprintf("inline constexpr std::array<DerivedExpected, %d> derived_expected = {{",
          length(drows)),
  drows,
  "}};",
  "// clang-format on",
  "",
  "}  // namespace quillon::testing"), out)
