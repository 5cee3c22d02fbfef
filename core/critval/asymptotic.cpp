// Asymptotic critical value:
//   sqrt(2 ln n) - (ln ln n + c) / (2 sqrt(2 ln n)) - ln(-ln(2 - sqrt(1 + alpha)) / 2) / sqrt(2 ln
//   n)
// evaluated one operation at a time in this order.
#include <cmath>

#include "critval/critval.hpp"
#include "critval/fit.hpp"

namespace critval {

// -h / a is the negated term over a: a negation is exact, so this is the same.
double asymptotic(std::int64_t n, double alpha) {
  if (n == 1) return kMissing;
  return asymptotic_at(n, level_term(alpha));
}

}  // namespace critval
