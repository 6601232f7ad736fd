# Independent expected values for the derived constants: each file's unbounded nls
# optimum, vcov(fit) as the Wald covariance, the delta method g' V g with the
# analytic gradient g, and value -/+ qt(0.975, df.residual) SE.
#   Rscript tests/batch/make_derived_expected.R [SOURCE_DIR]
# Prints a line per constant; test_batch_program.cpp holds the literals.

args <- commandArgs(trailingOnly = TRUE)
root <- if (length(args) > 0) args[1] else "."
E <- 0.05           # --enzyme
shift <- 1 + 10 / 2 # --substrate 10 --km 2

# A data file's observations: after the four header lines, up to an empty line.
read_dat <- function(path) {
  rows <- readLines(path)[-(1:4)]
  rows <- rows[seq_len(match(TRUE, trimws(rows) == "" | grepl("^#", rows), length(rows) + 1) - 1)]
  do.call(rbind, lapply(strsplit(trimws(sub("!.*", "", rows)), "[ ,]+"), as.numeric))
}

show <- function(name, fit, value, g) {
  se <- sqrt(drop(t(g) %*% vcov(fit) %*% g))
  q <- qt(0.975, df.residual(fit))
  cat(sprintf("%-16s %.17g %.17g %.17g %.17g\n", name, value, se, value - q * se, value + q * se))
}

m <- read_dat(file.path(root, "examples/michaelis_menten.dat"))
f <- nls(v ~ Vmax * S / (Km + S), data.frame(S = m[, 1], v = m[, 2]),
         start = list(Km = 2, Vmax = 10))
p <- coef(f)
show("mm kcat", f, p[["Vmax"]] / E, c(0, 1 / E))
show("mm kcat_km", f, p[["Vmax"]] / (E * p[["Km"]]),
     c(-p[["Vmax"]] / (E * p[["Km"]]^2), 1 / (E * p[["Km"]])))

m <- read_dat(file.path(root, "examples/mixed_inhibition.dat"))
f <- nls(v ~ Vmax * S / (Km * (1 + I / Ki1) + S * (1 + I / Ki2)),
         data.frame(S = m[, 1], I = m[, 2], v = m[, 3]),
         start = list(Km = 2, Vmax = 60, Ki1 = 5, Ki2 = 10))
p <- coef(f)
show("mixed kcat", f, p[["Vmax"]] / E, c(0, 1 / E, 0, 0))
show("mixed kcat_km", f, p[["Vmax"]] / (E * p[["Km"]]),
     c(-p[["Vmax"]] / (E * p[["Km"]]^2), 1 / (E * p[["Km"]]), 0, 0))
show("mixed alpha", f, p[["Ki2"]] / p[["Ki1"]],
     c(0, 0, -p[["Ki2"]] / p[["Ki1"]]^2, 1 / p[["Ki1"]]))

d <- setNames(read.csv(file.path(root, "tests/batch/data/tables/hill_falling.csv")), c("S", "v"))
f <- nls(v ~ Vmax * S^n / (S^n + K^n), d, start = list(K = 80, Vmax = 100, n = -1))
show("hill ki_cp", f, coef(f)[["K"]] / shift, c(1 / shift, 0, 0))
