# Critical values for the largest of n absolute standardized statistics; see ?ljungcv.
ljungcv <- function(n, alpha, method = "C") {
  n <- as.double(n)
  alpha <- as.double(alpha)
  method <- as.character(method)
  lengths <- c(length(n), length(alpha), length(method))
  if (any(lengths == 0L)) return(double(0))
  if (any(max(lengths) %% lengths != 0L)) {
    warning("longer argument not a multiple of length of shorter")
  }
  out <- .Call(C_ljungcv, n, alpha, method)
  rejected <- out[[2L]]
  if (any(rejected >= 2L)) warn_rejected(rejected, n, alpha, method)
  out[[1L]]
}

# A warning per rejected argument, naming it; NA inputs give NA silently, as
# elsewhere in R.
warn_rejected <- function(rejected, n, alpha, method) {
  count <- length(rejected)
  silent <- is.na(rep_len(n, count)) | is.na(rep_len(alpha, count)) |
    is.na(rep_len(method, count))
  why <- c("", "must lie between 0 and 0.1 inclusive",
           "must be one of L, LJUNG, C, CORR, CORRECT or CORRECTED (any case)")
  for (argument in 2:3) {
    hits <- sum(rejected == argument & !silent)
    if (hits > 0L) {
      warning(sprintf("argument '%s' %s; NA for %d element%s",
                      c("n", "alpha", "method")[argument], why[argument], hits,
                      if (hits == 1L) "" else "s"),
              call. = FALSE)
    }
  }
}
