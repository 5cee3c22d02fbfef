# Against ljungcv's own answers (fixture.csv: `ljungcv batch` output; an empty
# method is the default).
fixture <- read.csv(test_path("fixture.csv"), colClasses = "character")

test_that("values and words are the tool's", {
  for (i in seq_len(nrow(fixture))) {
    row <- fixture[i, ]
    method <- if (row$method == "") "C" else row$method
    n <- as.numeric(row$n)
    alpha <- as.numeric(row$alpha)
    if (row$status == "rejected") {
      expect_warning(got <- ljungcv(n, alpha, method), row$message, fixed = TRUE)
    } else {
      expect_silent(got <- ljungcv(n, alpha, method))
    }
    if (row$value == "") {
      expect_true(is.na(got) && !is.nan(got), label = paste("row", i))
    } else {
      expect_identical(got, as.numeric(row$value), label = paste("row", i))
    }
    expect_identical(ljungcv_explain(n, alpha, method), row$message, label = paste("row", i))
  }
})

test_that("one warning counts the other rejected elements; NA inputs are silent", {
  expect_warning(ljungcv(100, c(0.2, 0.05, -1)), "alpha = 0.2 must lie.*; 1 more element rejected$")
  expect_warning(ljungcv(100, 0.5, NA_character_), "argument 2 (alpha)", fixed = TRUE)
  expect_silent(r <- ljungcv(c(NA, 10, 10), c(0.05, NA, 0.05), c("C", "L", NA)))
  expect_true(all(is.na(r)))
  expect_identical(ljungcv_explain(c(10, 1), 0.05, c("C", NA)), c("", NA))
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
