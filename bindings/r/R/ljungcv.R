# Critical values for the largest of n absolute standardized statistics; see
# ?ljungcv. The C library decides what to warn about, and says it.
ljungcv <- function(n, alpha, method = "C") {
  args <- recycled(n, alpha, method)
  if (is.null(args)) return(double(0))
  out <- .Call(C_ljungcv, args$n, args$alpha, args$method)
  said <- c(out[[2L]], .Call(C_above_alpha, args$n, args$alpha, out[[1L]]))
  for (message in said[nzchar(said)]) warning(message, call. = FALSE)
  shaped(out[[1L]], args)
}

ljungcv_level <- function(n, c) tail_of(FALSE, n, c, "c")

ljungcv_exact <- function(n, alpha) tail_of(TRUE, n, alpha, "alpha")

tail_of <- function(exact, n, x, name) {
  args <- recycled(n, x, NA_character_, name)
  if (is.null(args)) return(double(0))
  out <- .Call(C_tail, exact, args$n, args$alpha)
  for (message in out[[2L]][nzchar(out[[2L]])]) warning(message, call. = FALSE)
  shaped(out[[1L]], args)
}

ljungcv_test <- function(z, alpha = 0.05, method = "C", kinds = 1) {
  data_name <- paste(deparse(substitute(z)), collapse = " ")
  if (!is.numeric(z)) stop("'z' must be numeric", call. = FALSE)
  if (!(is.numeric(kinds) && length(kinds) == 1L && isTRUE(kinds >= 1 && kinds == trunc(kinds))))
    stop("'kinds' must be a whole number of 1 or more", call. = FALSE)
  present <- !is.na(z)
  if (!any(present)) stop("'z' holds no statistic: every element is missing", call. = FALSE)
  n <- sum(present) * kinds
  statistic <- max(abs(z[present]))
  critical <- ljungcv(n, alpha, method)
  structure(list(
    statistic = c("max |z|" = statistic), parameter = c(n = n),
    p.value = ljungcv_level(n, statistic),
    method = sprintf("Largest absolute statistic against LJUNGCV(%s, %s, \"%s\") = %s",
                     format(n), format(alpha), method, format(critical, digits = 7)),
    data.name = data_name, critical.value = critical, alpha = alpha,
    outliers = which(present & abs(z) > critical)), class = "htest")
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
recycled <- function(n, alpha, method, alpha_name = "alpha") {
  refuse <- function(name, x, wanted) {
    stop(sprintf("'%s' must be %s, not %s", name, wanted,
                 if (is.null(x)) "NULL" else paste(class(x), collapse = "/")), call. = FALSE)
  }
  if (!(is.numeric(n) || is.logical(n))) refuse("n", n, "numeric")
  if (!(is.numeric(alpha) || is.logical(alpha))) refuse(alpha_name, alpha, "numeric")
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
