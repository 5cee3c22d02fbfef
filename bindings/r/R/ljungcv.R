# Critical values for the largest of n absolute standardized statistics; see
# ?ljungcv. The C library decides what to warn about, and says it.
ljungcv <- function(n, alpha, method = "C") {
  args <- recycled(n, alpha, method)
  if (is.null(args)) return(double(0))
  out <- .Call(C_ljungcv, args$n, args$alpha, args$method)
  for (message in out[[2L]][nzchar(out[[2L]])]) warning(message, call. = FALSE)
  shaped(out[[1L]], args)
}

ljungcv_explain <- function(n, alpha, method = "C") {
  args <- recycled(n, alpha, method)
  if (is.null(args)) return(character(0))
  shaped(.Call(C_explain, args$n, args$alpha, args$method), args)
}

# The arguments as doubles and strings, each of one element or of the
# longest one's length (R's recycling), with the argument whose names, dim
# and dimnames the result takes (the first of full length, as qnorm's
# result does); NULL when one is empty. n and alpha must be numbers (or
# NA), method strings of any encoding (or NA): anything else is an error
# that names the argument, where as.double() would quietly take a factor's
# codes or a date's days.
recycled <- function(n, alpha, method) {
  refuse <- function(name, x, wanted) {
    stop(sprintf("'%s' must be %s, not %s", name, wanted,
                 if (is.null(x)) "NULL" else paste(class(x), collapse = "/")), call. = FALSE)
  }
  for (name in c("n", "alpha")) {
    x <- get(name)
    if (!(is.numeric(x) || is.logical(x))) refuse(name, x, "numeric")
  }
  if (!(is.character(method) || is.logical(method) && all(is.na(method))))
    refuse("method", method, "a character vector or NA")
  lengths <- c(length(n), length(alpha), length(method))
  if (any(lengths == 0L)) return(NULL)
  count <- max(lengths)
  if (any(count %% lengths != 0L)) {
    warning("longer argument not a multiple of length of shorter")
  }
  fit <- function(x) if (length(x) == 1L || length(x) == count) x else rep_len(x, count)
  from <- list(n, alpha, method)[[which(lengths == count)[1L]]]
  list(n = fit(as.double(n)), alpha = fit(as.double(alpha)),
       method = fit(as.character(method)), from = from)
}

# The result with the names, dim and dimnames of the argument it takes them from.
shaped <- function(result, args) {
  for (a in c("dim", "dimnames", "names")) attr(result, a) <- attr(args$from, a, exact = TRUE)
  result
}
