# Made data for the 4pl, substrate-inhibition and tight-binding models in
# tests/batch/data/models, from known parameters with normal noise and a fixed seed;
# every value kept to 4 significant digits.
#   Rscript tests/batch/make_model_data.R [DIR]
# The CSV files are committed as written; tests never run R.

set.seed(20240611)
dir <- commandArgs(trailingOnly = TRUE)
dir <- if (length(dir) > 0) dir[1] else "tests/batch/data/models"
dir.create(dir, showWarnings = FALSE, recursive = TRUE)

sig4 <- function(v) signif(v, 4)
# format() of a vector pads to common digits; one value at a time keeps each at 4.
fmt <- function(v) vapply(sig4(v), function(u) format(u, digits = 4, scientific = FALSE), "")
put <- function(file, header, x, y) {
  writeLines(c(header, paste(fmt(x), fmt(y), sep = ",")), file.path(dir, file))
}

# Falling dose-response: Bottom 12, Top 100, IC50 30 nM, n = -1.2; half-decade
# doses 0.1..3162 nM in duplicate (long form), absolute noise sd 2.5 %.
dose <- sig4(rep(10^seq(-1, 3.5, by = 0.5), each = 2))
fpl <- function(x, bottom, top, x50, n) bottom + (top - bottom) / (1 + (x50 / x)^n)
put("dose_falling.csv", "dose (nM),response (%)", dose,
    fpl(dose, 12, 100, 30, -1.2) + rnorm(length(dose), sd = 2.5))

# Substrate inhibition: Km 1 mM, Vmax 20, Ksi 10 mM; 12 log-spaced S in 0.05..50 mM,
# relative noise 3 %.
s <- sig4(0.05 * 1000^((0:11) / 11))
v <- 20 * s / (1 + s * (1 + s / 10))
put("substrate_inhibition.csv", "S (mM),v (umol/min)", s, v * (1 + rnorm(length(s), sd = 0.03)))

# Tight binding (Morrison): E 5 nM, V0 10, Ki 2 nM; 12 inhibitor levels in 0..100 nM,
# relative noise 2 %.
i <- c(0, 1, 2, 3, 5, 7.5, 10, 15, 20, 30, 50, 100)
morrison <- function(i, e, v0, ki) {
  b <- e + i + ki
  v0 * (1 - (b - sqrt(b^2 - 4 * e * i)) / (2 * e))
}
put("tight_binding.csv", "I (nM),v (umol/min)", i,
    morrison(i, 5, 10, 2) * (1 + rnorm(length(i), sd = 0.02)))
