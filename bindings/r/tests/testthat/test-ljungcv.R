# Against ljungcv's own answers (fixture.csv: `ljungcv batch` output; an empty
# method is the default).
fixture <- read.csv(test_path("fixture.csv"), colClasses = "character")

# The warnings a call gives, in order.
warned <- function(expr) {
  said <- character(0)
  value <- withCallingHandlers(expr, warning = function(w) {
    said <<- c(said, conditionMessage(w))
    invokeRestart("muffleWarning")
  })
  list(value = value, said = said)
}

test_that("values and words are the tool's", {
  for (i in seq_len(nrow(fixture))) {
    row <- fixture[i, ]
    method <- if (row$method == "") "C" else row$method
    n <- as.numeric(row$n)
    alpha <- as.numeric(row$alpha)
    expect_identical(ljungcv_explain(n, alpha, method), row$message, label = paste("row", i))
    plain <- sub(" \\(status [0-9]+\\)$", "", row$message)  # warnings and errors leave it out
    if (startsWith(row$message, "argument 3 (method)")) {  # an unknown method is an error
      expect_error(ljungcv(n, alpha, method), plain, fixed = TRUE, label = paste("row", i))
      next
    }
    call <- warned(ljungcv(n, alpha, method))
    got <- call$value
    want <- c(if (n != trunc(n)) sprintf("n = %s is not a whole number: truncated toward zero", row$n),
              if (row$message != "") plain)
    if (row$value != "" && ljungcv_level(trunc(n), got) > alpha * (1 + 1e-6)) {  # passes alpha
      expect_match(call$said[length(call$said)], "delivers the level", fixed = TRUE)
      call$said <- call$said[-length(call$said)]
    }
    expect_identical(call$said, as.character(want), label = paste("row", i))
    if (row$value == "") {
      expect_true(is.na(got) && !is.nan(got), label = paste("row", i))
    } else {
      expect_identical(got, as.numeric(row$value), label = paste("row", i))
    }
  }
})

test_that("one warning of each kind counts the others; NA inputs are silent", {
  call <- warned(ljungcv(c(100, 2.79, 1, 7.5, 100), c(0.2, 0.05, 0.05, 0.05, -1), "L"))
  expect_identical(call$said, c(
    "n = 2.79 is not a whole number: truncated toward zero; 1 more element not whole",
    paste0(sub(" (status 120836)", "", ljungcv_explain(100, 0.2, "L"), fixed = TRUE),
           "; 2 more elements without a value")))
  expect_identical(is.na(call$value), c(TRUE, FALSE, TRUE, FALSE, TRUE))
  expect_silent(r <- ljungcv(c(NA, 10, 10, 100, 2.5), c(0.05, NA, 0.05, 0.5, NA), c("C", "L", NA, NA, "C")))
  expect_true(all(is.na(r)))
  expect_identical(ljungcv_explain(c(10, 1), 0.05, c("C", NA)), c("", NA))
  expect_silent(suppressWarnings(ljungcv(1:3, 0.05, "L")))
})

test_that("arguments recycle as R's do", {
  expect_identical(ljungcv(c(10, 100), 0.05), c(3.0871103446000845, 3.810087571983974))
  both <- ljungcv(100, c(0.01, 0.05), c("C", "L", "C", "L"))
  expect_identical(both, c(ljungcv(100, 0.01), ljungcv(100, 0.05, "L"),
                           ljungcv(100, 0.01), ljungcv(100, 0.05, "L")))
  expect_warning(ljungcv(1:3, c(0.01, 0.05)), "multiple")
  expect_identical(ljungcv(double(0), 0.05), double(0))
  expect_identical(ljungcv_explain(double(0), 0.05), character(0))
})

test_that("non-numbers are refused by name; a method is text of any encoding or NA", {
  refused <- list(
    list(n = factor(c(100, 10)), alpha = 0.05, method = "C", says = "'n' must be numeric, not factor"),
    list(n = as.Date("2026-01-01"), alpha = 0.05, method = "C", says = "'n' must be numeric, not Date"),
    list(n = Sys.time(), alpha = 0.05, method = "C", says = "'n' must be numeric, not POSIXct/POSIXt"),
    list(n = list(100), alpha = 0.05, method = "C", says = "'n' must be numeric, not list"),
    list(n = "100", alpha = 0.05, method = "C", says = "'n' must be numeric, not character"),
    list(n = 100, alpha = 0.05 + 0i, method = "C", says = "'alpha' must be numeric, not complex"),
    list(n = 100, alpha = 0.05, method = NULL, says = "'method' must be a character vector or NA, not NULL"),
    list(n = 100, alpha = 0.05, method = 1, says = "'method' must be a character vector or NA, not numeric")
  )
  for (r in refused) {
    expect_error(ljungcv(r$n, r$alpha, r$method), r$says, fixed = TRUE)
    expect_error(ljungcv_explain(r$n, r$alpha, r$method), r$says, fixed = TRUE)
  }
  expect_identical(ljungcv(c(TRUE, NA), 0.05), c(ljungcv(1, 0.05), NA_real_))
  expect_identical(ljungcv(100L, 0.05, NA), NA_real_)
  expect_identical(ljungcv(100, 0.05, iconv("L", to = "latin1")), ljungcv(100, 0.05, "L"))
  expect_identical(ljungcv(100, 0.05, `Encoding<-`("L", "bytes")), ljungcv(100, 0.05, "L"))
  # A factor method is its labels, as expand.grid makes it; an unknown one an error.
  grid <- expand.grid(n = c(50, 100), alpha = 0.05, method = c("C", "L"))
  expect_identical(transform(grid, cv = ljungcv(n, alpha, method))$cv,
                   ljungcv(grid$n, 0.05, c("C", "C", "L", "L")))
  expect_error(ljungcv(100, 0.05, "asymptotic"),
               "argument 3 (method) rejected: 'asymptotic' is not one of L, ", fixed = TRUE)
  expect_match(ljungcv_explain(100, 0.05, "asymptotic"), "^argument 3 \\(method\\) rejected")
  # Warnings name the function called, not an internal one, and no host status.
  for (w in list(tryCatch(ljungcv(100, 0.2), warning = identity),
                 tryCatch(ljungcv(1:3, c(0.01, 0.05)), warning = identity),
                 tryCatch(ljungcv_level(0, 3), warning = identity))) {
    expect_match(deparse(conditionCall(w)), "^ljungcv(_level)?\\(")
    expect_no_match(conditionMessage(w), "status")
  }
})

test_that("the result keeps names, dim and dimnames as qnorm's does", {
  m <- matrix(c(10, 100, 1000, 2000), 2, dimnames = list(c("a", "b"), c("x", "y")))
  cases <- list(
    list(got = ljungcv(c(a = 10, b = 100), 0.05), like = qnorm(c(a = 0.1, b = 0.2))),
    list(got = ljungcv(m, 0.05), like = qnorm(m / 1e5)),
    list(got = ljungcv(100, c(p = 0.01, q = 0.05)), like = qnorm(0.1, c(p = 0.01, q = 0.05))),
    list(got = ljungcv_explain(m, 0.05), like = qnorm(m / 1e5)),
    list(got = ljungcv(ts(c(10, 100), start = 1990), 0.05), like = qnorm(ts(c(0.1, 0.2), start = 1990)))
  )
  for (case in cases) {
    expect_identical(attributes(case$got), attributes(case$like))
  }
  expect_identical(unname(ljungcv(m, 0.05)), matrix(ljungcv(c(10, 100, 1000, 2000), 0.05), 2))
})

test_that("level and exact invert each other, warn as ljungcv does and agree with test", {
  alpha <- c(0.1, 0.05, 0.01, 1e-200)
  n <- c(2, 100, 1e6, 1e12)
  expect_equal(ljungcv_level(n, ljungcv_exact(n, alpha)), alpha, tolerance = 1e-13)
  expect_identical(ljungcv_level(c(a = 5, b = 5), c(-1, Inf)), c(a = 1, b = 0))
  expect_identical(warned(ljungcv_level(c(NA, 5), c(3, NA)))$said, character(0))
  expect_match(warned(ljungcv_level(2.5, 3))$said, "n = 2.5 is not a whole number")
  expect_match(warned(ljungcv_exact(5, 1.5))$said, "must lie between 0 and 1 inclusive")
  expect_error(ljungcv_level(5, "3"), "'c' must be numeric")
  expect_identical(warned(ljungcv(c(100, 2, 9017), c(0.05, 0.01, 0.1)))$said, character(0))
  expect_match(warned(ljungcv(8000, 0.05))$said, "delivers the level 0.05658381139853231")
  set.seed(20261209)
  z <- rnorm(300) * 1.5
  z[sample(300, 20)] <- NA
  result <- ljungcv_test(z, 0.01, "L", kinds = 2)
  expect_identical(result$p.value, ljungcv_level(560, max(abs(z), na.rm = TRUE)))
  expect_identical(result$outliers, which(abs(z) > ljungcv(560, 0.01, "L")))
  expect_output(print(result), "max |z| = [0-9.]+, n = 560, p-value = ")  # an htest's print
  expect_error(ljungcv_test(c(NA_real_, NA_real_)), "no statistic")
})
