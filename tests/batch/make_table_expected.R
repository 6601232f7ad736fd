# Independent expected values for the lab tables of tests/batch/data/tables: each
# table's least-squares optimum by unbounded nls from a start near it, the residual
# sum of squares, Wald standard errors, and where a level has replicates the
# lack-of-fit F test against the pure-error model lm(y ~ factor(level)).
#   Rscript tests/batch/make_table_expected.R [DIR]
# Prints one C++ table row per file; tests/batch/table_expected.h holds the literals.

formulas <- list(
  y ~ P2 * X1 / (X1 + P1),
  y ~ P2 * X1^P3 / (X1^P3 + P1^P3),
  y ~ P2 * X1 / (P1 * (1 + X2 / P3) + X1),
  y ~ P2 * X1 / ((1 + X2 / P3) * (X1 + P1)),
  y ~ P2 * X1 / (P1 + X1 * (1 + X2 / P3)),
  y ~ P2 * X1 / (P1 * (1 + X2 / P3) + X1 * (1 + X2 / P4)))

# File, model, start (P1..Pnp).
tables <- list(
  list("mm.csv", 1, c(0.6, 14)),
  list("hill_rising.csv", 2, c(3, 90, 2)),
  list("hill_falling.csv", 2, c(80, 100, -1)),
  list("competitive.csv", 3, c(2, 40, 2)),
  list("noncompetitive.csv", 4, c(1, 25, 4)),
  list("uncompetitive.csv", 5, c(2, 18, 1)),
  list("mixed.csv", 6, c(1.5, 60, 2, 8)),
  list("puromycin.csv", 1, c(0.06, 200)),
  list("replicates_noncompetitive.csv", 4, c(1.4, 30, 3)),
  # The example data files as tables: fitted with --model, as their model lines say.
  list("examples/competitive_inhibition.csv", 3, c(2, 50, 5)),
  list("examples/help_example_m4.csv", 4, c(240, 0.18, 120)),
  list("examples/hill_sigmoidal.csv", 2, c(5, 100, 2.3)),
  list("examples/michaelis_menten.csv", 1, c(2.5, 12)),
  list("examples/mixed_inhibition.csv", 6, c(3, 79, 4.1, 12.8)),
  list("examples/uncompetitive_inhibition.csv", 5, c(1.5, 30, 8)))

# Long form: X1, X2 (0 for one-X models), then every rate column of a row.
read_table <- function(path, model) {
  t <- read.csv(path, check.names = FALSE)
  nx <- if (model <= 2) 1 else 2
  rates <- as.matrix(t[, -(1:nx), drop = FALSE])
  k <- ncol(rates)
  data.frame(X1 = rep(t[[1]], each = k), X2 = if (nx == 2) rep(t[[2]], each = k) else 0,
             y = as.vector(t(rates)))
}

num <- function(v) sapply(v, format, digits = 15)
vec <- function(v) paste0("{", paste(num(v), collapse = ", "), "}")

dir <- commandArgs(trailingOnly = TRUE)
dir <- if (length(dir) > 0) dir[1] else "tests/batch/data/tables"

for (tab in tables) {
  file <- tab[[1]]; model <- tab[[2]]; start <- tab[[3]]
  d <- read_table(file.path(dir, file), model)
  np <- length(start)
  names(start) <- paste0("P", 1:np)
  fit <- nls(formulas[[model]], d, start = as.list(start),
             control = nls.control(maxiter = 1000, minFactor = 1e-12))
  # nls stops at a relative offset of 1e-6: Gauss-Newton steps on the analytic
  # Jacobian take the sum of squares to its last digits.
  g <- deriv(formulas[[model]][[3]], names(start), function.arg = c(names(start), "X1", "X2"))
  at <- function(p) {
    v <- do.call(g, c(as.list(p), list(X1 = d$X1, X2 = d$X2)))
    list(r = d$y - as.vector(v), j = attr(v, "gradient"))
  }
  p <- coef(fit)
  repeat {
    v <- at(p)
    q <- p + qr.solve(v$j, v$r)
    if (sum(at(q)$r^2) >= sum(v$r^2)) break
    p <- q
  }
  v <- at(p)
  s <- sum(v$r^2)
  se <- sqrt(diag(s / (nrow(d) - np) * solve(crossprod(v$j))))
  stopifnot(all(abs(se / summary(fit)$coefficients[, 2] - 1) < 1e-4))
  # Pure error: the replicates' scatter about their level's mean; lm() of the
  # pure-error model agrees.
  level <- factor(paste(d$X1, d$X2))
  pure <- sum((d$y - ave(d$y, level))^2)
  stopifnot(abs(pure - deviance(lm(y ~ level, d))) <= 1e-9 * max(1, pure))
  df_pure <- nrow(d) - nlevels(level)
  df_lack <- nlevels(level) - np
  f <- NaN; pv <- NaN
  if (df_pure > 0 && df_lack > 0 && pure > 0) {
    f <- (max(0, s - pure) / df_lack) / (pure / df_pure)
    pv <- pf(f, df_lack, df_pure, lower.tail = FALSE)
  }
  pad <- function(v) c(v, rep(0, 4 - length(v)))
  opt <- function(v) if (is.nan(v)) "nan" else num(v)
  cat(sprintf("    {\"%s\", %d, %d, %d,\n     %s,\n     %s,\n     %s,\n     %d, %s, %s, %s},\n",
              file, model, np, nrow(d), vec(pad(p)), num(s), vec(pad(se)), nlevels(level),
              num(pure), opt(f), opt(pv)))
}
