library(testthat)
library(korvalen)
test_check("korvalen")
