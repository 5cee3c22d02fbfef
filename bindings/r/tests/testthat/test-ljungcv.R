# Against ljungcv's own answers (fixture.csv: `ljungcv batch` output; an empty
# method is the default).
fixture <- read.csv(test_path("fixture.csv"), colClasses = "character")

test_that("values are the tool's, bit for bit", {
  for (i in seq_len(nrow(fixture))) {
    row <- fixture[i, ]
    method <- if (row$method == "") "C" else row$method
    got <- suppressWarnings(ljungcv(as.numeric(row$n), as.numeric(row$alpha), method))
    if (row$value == "") {
      expect_true(is.na(got) && !is.nan(got), label = paste("row", i))
    } else {
      expect_identical(got, as.numeric(row$value), label = paste("row", i))
    }
  }
})

test_that("rejections warn naming the argument; NA inputs are silent", {
  for (i in which(fixture$status == "rejected")) {
    row <- fixture[i, ]
    argument <- regmatches(row$message, regexpr("\\(\\w+\\)", row$message))
    method <- if (row$method == "") "C" else row$method
    expect_warning(ljungcv(as.numeric(row$n), as.numeric(row$alpha), method),
                   sprintf("argument '%s'", gsub("[()]", "", argument)))
  }
  expect_silent(r <- ljungcv(c(NA, 10, 10), c(0.05, NA, 0.05), c("C", "L", NA)))
  expect_true(all(is.na(r)))
})

test_that("arguments recycle as R's do", {
  expect_identical(ljungcv(c(10, 100), 0.05), c(3.0871103446000845, 3.810087571983974))
  both <- ljungcv(100, c(0.01, 0.05), c("C", "L", "C", "L"))
  expect_identical(both, c(ljungcv(100, 0.01), ljungcv(100, 0.05, "L"),
                           ljungcv(100, 0.01), ljungcv(100, 0.05, "L")))
  expect_warning(ljungcv(1:3, c(0.01, 0.05)), "multiple")
  expect_identical(ljungcv(double(0), 0.05), double(0))
})
