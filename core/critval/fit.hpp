// Inside the corrected value: its fitted coefficients and the exact value for
// two statistics that the curve passes through. For the bounded LJUNGCV value
// and the tests; not installed.
#pragma once

#include <cstdint>

namespace critval {

// Coefficients (x1, x2, x3) of the corrected curve x1 + x2 f2(n) + x3 f3(n) for
// alpha; false when the quantile fails (x is then untouched).
bool fit_coefficients(double alpha, double (&x)[3]);

// The corrected value, and in exact_two the value for two statistics that the
// curve was fitted through (NaN where no fit was made: n == 1, or a failure).
double corrected(std::int64_t n, double alpha, double& exact_two);

}  // namespace critval
