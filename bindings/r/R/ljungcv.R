# Critical values for the largest of n absolute standardized statistics; see
# ?ljungcv. The C library decides what to warn about, and says it.
# Warnings and errors name the function the user called, as R's own do.
ljungcv <- function(n, alpha, method = "C") {
  call <- sys.call()
  args <- recycled(n, alpha, method, call = call)
  if (is.null(args)) return(double(0))
  # An unknown method is an error, as a wrong option is in R: a missing value
  # and a warning would read as "no outliers".
  keywords <- unique(args$method[!is.na(args$method)])
  known <- if (length(keywords)) .Call(C_ljungcv, 2, 0.05, keywords) else list(0)
  if (anyNA(known[[1L]])) {
    stop(simpleError(.Call(C_ljungcv, 2, 0.05, keywords[is.na(known[[1L]])][1L])[[2L]][2L], call))
  }
  out <- .Call(C_ljungcv, args$n, args$alpha, args$method)
  said <- c(out[[2L]], .Call(C_above_alpha, args$n, args$alpha, out[[1L]]))
  for (message in said[nzchar(said)]) warning(simpleWarning(message, call))
  shaped(out[[1L]], args)
}

ljungcv_level <- function(n, c) tail_of(FALSE, n, c, "c", sys.call())

ljungcv_exact <- function(n, alpha) tail_of(TRUE, n, alpha, "alpha", sys.call())

tail_of <- function(exact, n, x, name, call) {
  args <- recycled(n, x, NA_character_, name, call)
  if (is.null(args)) return(double(0))
  out <- .Call(C_tail, exact, args$n, args$alpha)
  for (message in out[[2L]][nzchar(out[[2L]])]) warning(simpleWarning(message, call))
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
  args <- recycled(n, alpha, method, call = sys.call())
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
recycled <- function(n, alpha, method, alpha_name = "alpha", call = NULL) {
  refuse <- function(name, x, wanted) {
    stop(simpleError(sprintf("'%s' must be %s, not %s", name, wanted,
                             if (is.null(x)) "NULL" else paste(class(x), collapse = "/")), call))
  }
  if (is.factor(method)) method <- as.character(method)  # as expand.grid and data.frame make it
  if (!(is.numeric(n) || is.logical(n))) refuse("n", n, "numeric")
  if (!(is.numeric(alpha) || is.logical(alpha))) refuse(alpha_name, alpha, "numeric")
  if (!(is.character(method) || is.logical(method) && all(is.na(method))))
    refuse("method", method, "a character vector or NA")
  lengths <- c(length(n), length(alpha), length(method))
  if (any(lengths == 0L)) return(NULL)
  count <- max(lengths)
  if (any(count %% lengths != 0L)) {
    warning(simpleWarning("longer argument not a multiple of length of shorter", call))
  }
  fit <- function(x) if (length(x) == 1L || length(x) == count) x else rep_len(x, count)
  from <- list(n, alpha, method)[[which(lengths == count)[1L]]]
  list(n = fit(as.double(n)), alpha = fit(as.double(alpha)),
       method = fit(as.character(method)), from = from)
}

# The result with the attributes of the argument it takes them from (a ts
# stays a ts), as qnorm's result has them.
shaped <- function(result, args) {
  attributes(result) <- attributes(args$from)
  result
}
