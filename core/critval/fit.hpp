// The pieces of both formulas, split where one depends on alpha alone and the
// other on n: the asymptotic value's level term, and the corrected curve's
// fitted coefficients. The exported routines, the bounded value and the
// array form all evaluate through these, so that every path computes the
// same operations in the same order. Not installed.
#pragma once

#include <cmath>
#include <cstdint>

#include "critval/critval.hpp"

namespace critval {

// -ln(-ln(2 - sqrt(1 + alpha)) / 2): the asymptotic value's term in alpha.
inline double level_term(double alpha) {
  const double s = std::sqrt(1.0 + alpha);
  const double t = 2.0 - s;
  return -std::log(-0.5 * std::log(t));
}

// The asymptotic value for n != 1 with that term:
//   (a - (c + ln ln n) / (a + a)) + term / a,  a = sqrt(2 ln n).
inline double asymptotic_at(std::int64_t n, double term) {
  const double l = std::log(static_cast<double>(n));
  const double a = std::sqrt(l + l);
  const double g = std::log(l);
  return (a - (kLog4Pi + g) / (a + a)) + term / a;
}

// Coefficients (x1, x2, x3) of the corrected curve x1 + x2 f2(n) + x3 f3(n)
// for alpha, and the value for two statistics it passes through; false when
// the quantile fails (x and exact_two are then untouched).
bool fit(double alpha, double (&x)[3], double& exact_two);

// The corrected curve at n with those coefficients:
//   (x3 a + x1) + ((c + ln ln n) / (a + a)) x2,  a = sqrt(2 ln n).
inline double curve_at(std::int64_t n, const double (&x)[3]) {
  const double ln = std::log(static_cast<double>(n));
  const double a = std::sqrt(ln + ln);
  const double g = std::log(ln);
  return (x[2] * a + x[0]) + ((kLog4Pi + g) / (a + a)) * x[1];
}

// The value for a single statistic, the two-sided normal value; false when
// its quantile fails.
bool single_value(double alpha, double& value);

}  // namespace critval
