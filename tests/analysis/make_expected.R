# Independent expected values for the standard analysis tests: the least-squares
# optimum within the bounds, Wald standard errors from the analytic Jacobian, and
# profile-likelihood 95 % ends by root finding with re-minimisation at every trial.
#   Rscript tests/analysis/make_expected.R FILE.dat ...
# Prints one C++ table row per file; the tests hold the printed literals. The model
# comparison's values: see --compare at the end.

models <- list(
  quote(P2 / (1 + P1 / X1)),
  quote(P2 / (1 + (P1 / X1)^P3)),
  quote(P2 / (1 + P1 / X1 * (1 + X2 / P3))),
  quote(P2 / ((1 + P1 / X1) * (1 + X2 / P3))),
  quote(P2 / ((P1 / X1) + (1 + X2 / P3))),
  quote(P2 / ((P1 / X1) * (1 + X2 / P3) + (1 + X2 / P4))))
npar <- c(2, 3, 3, 3, 3, 4)

numbers <- function(line) {
  line <- sub("!.*$", "", line)
  as.numeric(Filter(nzchar, strsplit(trimws(line), "[ ,\t]+")[[1]]))
}

read_fit <- function(path) {
  lines <- readLines(path, warn = FALSE)
  model <- numbers(lines[1])[1]
  np <- npar[model]
  obs <- list()
  for (line in lines[-(1:4)]) {
    if (!nzchar(trimws(line)) || grepl("^[#\"']", line)) break
    obs[[length(obs) + 1]] <- numbers(line)
  }
  m <- do.call(rbind, obs)
  nx <- if (model <= 2) 1 else 2
  list(model = model, np = np, start = numbers(lines[2])[1:np],
       lower = numbers(lines[3])[1:np], upper = numbers(lines[4])[1:np],
       x1 = m[, 1], x2 = if (nx == 2) m[, 2] else 0 * m[, 1], y = m[, nx + 1])
}

# Residuals (observed minus fitted) and their analytic Jacobian.
make_model <- function(f) {
  names <- paste0("P", 1:f$np)
  g <- deriv(models[[f$model]], names, function.arg = c(names, "X1", "X2"))
  value <- function(p) {
    v <- do.call(g, c(as.list(p), list(X1 = f$x1, X2 = f$x2)))
    list(r = f$y - as.vector(v), j = attr(v, "gradient"))
  }
  value
}

ssq <- function(value, p) sum(value(p)$r^2)

# Minimises over the parameters `free` from p, within the bounds: nls (port) from
# several starts, then a polish; the lowest sum of squares wins.
minimise <- function(f, value, p, free, starts = list(p)) {
  best <- p; best_s <- ssq(value, p)
  for (s0 in starts) {
    obj <- function(q) { pp <- p; pp[free] <- q; ssq(value, pp) }
    grad <- function(q) { pp <- p; pp[free] <- q; v <- value(pp); -2 * colSums(v$r * v$j[, free, drop = FALSE]) }
    o <- try(optim(s0[free], obj, grad, method = "L-BFGS-B", lower = f$lower[free],
                   upper = f$upper[free], control = list(factr = 1, pgtol = 0, maxit = 10000)),
             silent = TRUE)
    if (!inherits(o, "try-error")) {
      q <- o$par
      # Gauss-Newton polish on the free parameters inside the bounds.
      for (it in 1:100) {
        pp <- p; pp[free] <- q; v <- value(pp)
        jj <- v$j[, free, drop = FALSE]
        step <- try(qr.solve(jj, v$r), silent = TRUE)
        if (inherits(step, "try-error")) break
        qn <- pmin(pmax(q + step, f$lower[free]), f$upper[free])
        if (obj(qn) < obj(q)) q <- qn else break
      }
      if (obj(q) < best_s) { best <- p; best[free] <- q; best_s <- obj(q) }
    }
  }
  list(p = best, s = best_s)
}

analyse <- function(path) {
  f <- read_fit(path)
  value <- make_model(f)
  n <- length(f$y); np <- f$np; df <- n - np
  set.seed(1)
  starts <- list(f$start)
  for (k in 1:40) {
    lo <- f$lower; hi <- f$upper
    u <- runif(np)
    starts[[length(starts) + 1]] <- ifelse(lo > 0, exp(log(lo) + u * (log(hi) - log(lo))), lo + u * (hi - lo))
  }
  opt <- minimise(f, value, f$start, 1:np, starts)
  smin <- opt$s; best <- opt$p
  s2 <- smin / df
  tq <- qt(0.975, df)
  j <- value(best)$j
  cov <- s2 * solve(crossprod(j))
  se <- sqrt(diag(cov))
  ends <- matrix(NA, np, 2)
  for (k in 1:np) {
    for (side in 1:2) {
      bound <- if (side == 1) f$lower[k] else f$upper[k]
      warm <- best
      stat <- function(theta) {
        p <- warm; p[k] <- theta
        m <- minimise(f, value, p, setdiff(1:np, k), list(p, best))
        warm <<- m$p
        sqrt(max(0, m$s - smin) / s2) - tq
      }
      if (best[k] == bound || stat(bound) < 0) next
      warm <- best
      ends[k, side] <- uniroot(stat, sort(c(best[k], bound)), tol = 1e-14 * abs(best[k]) + 1e-300,
                               maxiter = 1000)$root
    }
  }
  fmt <- function(v) paste0("{", paste(ifelse(is.na(v), "open", format(v, digits = 12)), collapse = ", "), "}")
  cat(sprintf("{\"%s\", %d, %s, %s,\n %s,\n %s,\n %s},\n", basename(path), df,
              format(smin, digits = 12), fmt(best), fmt(se), fmt(ends[, 1]), fmt(ends[, 2])))
}

if (length(commandArgs(trailingOnly = TRUE)) == 0 || commandArgs(trailingOnly = TRUE)[1] != "--compare")
  for (path in commandArgs(trailingOnly = TRUE)) analyse(path)

# Model comparison: every candidate of the file's group from the mapped starts and
# bounds, its global optimum within the bounds (multi-start), and the F test against
# the group's most general model as anova() computes it.
#   Rscript tests/analysis/make_expected.R --compare FILE.dat ...
candidate <- function(f, model) {
  g <- f
  g$model <- model
  g$np <- npar[model]
  src <- c(1, 2, 3, 3)
  if (f$model == 6 && model == 5) src[3] <- 4
  pick <- function(v) v[src[1:g$np]]
  g$start <- pick(f$start); g$lower <- pick(f$lower); g$upper <- pick(f$upper)
  if (f$model == 1 && model == 2) {
    g$start[3] <- 1; g$lower[3] <- 0.1; g$upper[3] <- 10
  }
  g
}

compare <- function(path) {
  f <- read_fit(path)
  models_of <- if (f$model <= 2) 1:2 else 3:6
  general <- max(models_of)
  n <- length(f$y)
  s <- numeric(0)
  for (m in models_of) {
    g <- candidate(f, m)
    value <- make_model(g)
    set.seed(1)
    starts <- list(g$start)
    for (k in 1:60) {
      u <- runif(g$np)
      starts[[length(starts) + 1]] <- ifelse(g$lower > 0, exp(log(g$lower) + u * (log(g$upper) - log(g$lower))),
                                             g$lower + u * (g$upper - g$lower))
    }
    s[as.character(m)] <- minimise(g, value, g$start, 1:g$np, starts)$s
  }
  pg <- npar[general]
  for (m in models_of) {
    p <- NA
    if (m != general) {
      df1 <- pg - npar[m]; df2 <- n - pg
      fv <- max(0, ((s[as.character(m)] - s[as.character(general)]) / df1) / (s[as.character(general)] / df2))
      p <- pf(fv, df1, df2, lower.tail = FALSE)
    }
    cat(sprintf("    {\"%s\", %d, %s, %s},\n", basename(path), m, format(s[as.character(m)], digits = 12),
                if (is.na(p)) "no_test" else format(p, digits = 12)))
  }
}

args <- commandArgs(trailingOnly = TRUE)
if (length(args) > 0 && args[1] == "--compare") for (path in args[-1]) compare(path)
