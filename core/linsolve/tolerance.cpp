// Tolerance comparison of doubles.
#include <cmath>

#include "linsolve/linsolve.hpp"

namespace linsolve {

std::int64_t near_equal(double a, double b) {
  return magnitude(a - b) < kTolerance ? 1 : 0;
}

std::int64_t near_equal_missing(double a, double b) {
  const bool a_nan = std::isnan(a);
  const bool b_nan = std::isnan(b);
  if (a_nan || b_nan) return a_nan && b_nan ? 1 : 0;
  return near_equal(a, b);
}

}  // namespace linsolve
