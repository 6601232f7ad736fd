# Independent expected values for weighted fits of the tables in
# tests/batch/data/weights: each table's weighted least-squares optimum by
# unbounded nls(weights = w) from a start near it, for w = 1/|y|, 1/y^2 and
# 1/SD^2 of the replicates at each (X1, X2) level (sample SD, n - 1); the
# weighted and the unweighted residual sums of squares there, and the Wald
# standard errors from s^2 (J'WJ)^-1 with s^2 = weighted RSS / (n - p), as
# summary(nls) gives them.
#   Rscript tests/batch/make_weight_expected.R [DIR]
# Prints one C++ table row per fit; tests/batch/weight_expected.h holds the literals.

formulas <- list(
  y ~ P2 * X1 / (X1 + P1),
  y ~ P2 * X1^P3 / (X1^P3 + P1^P3),
  NULL, NULL, NULL,
  y ~ P2 * X1 / (P1 * (1 + X2 / P3) + X1 * (1 + X2 / P4)))

# File, model, start (P1..Pnp).
tables <- list(
  list("mm_decades.csv", 1, c(2, 100)),
  list("hill_dose.csv", 2, c(3, 100, 1.8)),
  list("mixed_inhibition.csv", 6, c(1, 50, 2, 6)))

weightings <- list(
  "1/y" = function(d) 1 / abs(d$y),
  "1/y2" = function(d) 1 / d$y^2,
  "1/sd2" = function(d) 1 / ave(d$y, factor(paste(d$X1, d$X2)), FUN = var))

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
dir <- if (length(dir) > 0) dir[1] else "tests/batch/data/weights"

for (tab in tables) {
  file <- tab[[1]]; model <- tab[[2]]; start <- tab[[3]]
  d <- read_table(file.path(dir, file), model)
  np <- length(start)
  names(start) <- paste0("P", 1:np)
  for (scheme in names(weightings)) {
    w <- weightings[[scheme]](d)
    fit <- nls(formulas[[model]], d, start = as.list(start), weights = w,
               control = nls.control(maxiter = 1000, minFactor = 1e-12))
    # Weighted Gauss-Newton steps on the analytic Jacobian take nls's optimum
    # (relative offset 1e-6) to the last digits of the weighted sum.
    g <- deriv(formulas[[model]][[3]], names(start), function.arg = c(names(start), "X1", "X2"))
    at <- function(p) {
      v <- do.call(g, c(as.list(p), list(X1 = d$X1, X2 = d$X2)))
      list(r = d$y - as.vector(v), j = attr(v, "gradient"))
    }
    p <- coef(fit)
    repeat {
      v <- at(p)
      q <- p + qr.solve(sqrt(w) * v$j, sqrt(w) * v$r)
      if (sum(w * at(q)$r^2) >= sum(w * v$r^2)) break
      p <- q
    }
    v <- at(p)
    ws <- sum(w * v$r^2)
    se <- sqrt(diag(ws / (nrow(d) - np) * solve(crossprod(sqrt(w) * v$j))))
    stopifnot(all(abs(se / summary(fit)$coefficients[, 2] - 1) < 1e-4))
    stopifnot(abs(ws / deviance(fit) - 1) < 1e-6)
    pad <- function(v) c(v, rep(0, 4 - length(v)))
    cat(sprintf("    {\"%s\", \"%s\", %d, %d, %d,\n     %s,\n     %s, %s,\n     %s},\n",
                file, scheme, model, np, nrow(d), vec(pad(p)), num(ws), num(sum(v$r^2)),
                vec(pad(se))))
  }
}
