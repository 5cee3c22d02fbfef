// Asymptotic critical value, evaluated one operation at a time in this order:
//   sqrt(2 ln n) - (ln ln n + c) / (2 sqrt(2 ln n))
//     - ln(-ln(2 - sqrt(1 + alpha)) / 2) / sqrt(2 ln n)
#include <cmath>

#include "critval/critval.hpp"
#include "critval/terms.hpp"

namespace critval {

std::optional<double> asymptotic(std::int64_t n, double alpha) {
  if (n == 1) return std::nullopt;
  return asymptotic_at(n, level_term(alpha));
}

}  // namespace critval
