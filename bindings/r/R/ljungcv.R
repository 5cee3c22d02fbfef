# Critical values for the largest of n absolute standardized statistics; see
# ?ljungcv. Every word of a warning comes from the C library.
ljungcv <- function(n, alpha, method = "C") {
  args <- recycled(n, alpha, method)
  if (is.null(args)) return(double(0))
  out <- .Call(C_ljungcv, args$n, args$alpha, args$method)
  if (out[[3L]]) warn_rejected(out[[2L]], args)  # alpha or a method rejected somewhere
  out[[1L]]
}

ljungcv_explain <- function(n, alpha, method = "C") {
  args <- recycled(n, alpha, method)
  if (is.null(args)) return(character(0))
  .Call(C_explain, args$n, args$alpha, args$method)
}

# The arguments as doubles and strings, each of one element or of the
# longest one's length (R's recycling); NULL when one is empty.
recycled <- function(n, alpha, method) {
  n <- as.double(n)
  alpha <- as.double(alpha)
  method <- as.character(method)
  lengths <- c(length(n), length(alpha), length(method))
  if (any(lengths == 0L)) return(NULL)
  count <- max(lengths)
  if (any(count %% lengths != 0L)) {
    warning("longer argument not a multiple of length of shorter")
  }
  fit <- function(x) if (length(x) == 1L || length(x) == count) x else rep_len(x, count)
  list(n = fit(n), alpha = fit(alpha), method = fit(method), count = count)
}

# One warning that quotes the reason for the first rejected element and counts
# the others. An argument that is NA itself gives NA silently, as elsewhere in
# R; n is rejected only then.
warn_rejected <- function(rejected, args) {
  count <- args$count
  loud <- (rejected == 2L & !rep_len(is.na(args$alpha), count)) |
    (rejected == 3L & !rep_len(is.na(args$method), count))
  if (!any(loud)) return(invisible())
  first <- which(loud)[1L]
  pick <- function(x) x[if (length(x) == 1L) 1L else first]
  message <- .Call(C_explain, pick(args$n), pick(args$alpha), pick(args$method))
  others <- sum(loud) - 1L
  if (others > 0L) {
    message <- sprintf("%s; %d more element%s rejected", message, others,
                       if (others == 1L) "" else "s")
  }
  warning(message, call. = FALSE)
}
