# The batch job the way an R user does it: read.csv, ljungcv (and
# ljungcv_explain where there is no value), write.csv; the same rows and
# columns as ljungcv batch. Prints the job's seconds, loading not counted.
# Usage: Rscript batch_r.R IN.csv OUT.csv
args <- commandArgs(TRUE)
library(korvalen)
start <- proc.time()[["elapsed"]]
d <- read.csv(args[1], colClasses = c("numeric", "numeric", "character"))
m <- ifelse(d$method == "", "C", d$method)  # an empty method is the default
value <- suppressWarnings(ljungcv(d$n, d$alpha, m))
none <- is.na(value)
why <- character(nrow(d))
why[none] <- ljungcv_explain(d$n[none], d$alpha[none], m[none])
d$value <- value
d$status <- ifelse(!none, "ok", ifelse(grepl("status 120836", why, fixed = TRUE), "rejected", "missing"))
d$message <- why
write.csv(d, args[2], row.names = FALSE)
cat(sprintf("%.3f\n", proc.time()[["elapsed"]] - start))
