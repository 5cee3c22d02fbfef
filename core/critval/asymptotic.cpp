// Asymptotic critical value:
//   sqrt(2 ln n) - (ln ln n + c) / (2 sqrt(2 ln n)) - ln(-ln(2 - sqrt(1 + alpha)) / 2) / sqrt(2 ln
//   n)
// evaluated one operation at a time in this order.
#include <cmath>

#include "critval/critval.hpp"

namespace critval {

double asymptotic(std::int64_t n, double alpha) {
  if (n == 1) return kMissing;
  const double m = static_cast<double>(n);
  const double s = std::sqrt(1.0 + alpha);
  const double t = 2.0 - s;
  const double l = std::log(m);
  const double a = std::sqrt(l + l);
  const double g = std::log(l);
  const double h = std::log(-0.5 * std::log(t));
  return (a - (kLog4Pi + g) / (a + a)) + (-h) / a;
}

}  // namespace critval
