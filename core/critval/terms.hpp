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

// The terms in n: ln n, a = sqrt(ln n + ln n) and g = ln ln n, in this order.
struct TermsInN {
  double a, g;
};
inline TermsInN terms_in(std::int64_t n) {
  const double l = std::log(static_cast<double>(n));
  return {std::sqrt(l + l), std::log(l)};
}

// The asymptotic value from the terms in n and the level term:
//   (a - (c + g) / (a + a)) + term / a.
inline double asymptotic_from(double a, double g, double term) {
  return (a - (kLog4Pi + g) / (a + a)) + term / a;
}
inline double asymptotic_at(std::int64_t n, double term) {
  const TermsInN t = terms_in(n);
  return asymptotic_from(t.a, t.g, term);
}

// Coefficients (x1, x2, x3) of the corrected curve x1 + x2 f2(n) + x3 f3(n)
// for alpha, and the value for two statistics it passes through; false when
// the quantile fails (x and exact_two are then untouched).
bool fit(double alpha, double (&x)[3], double& exact_two);

// The corrected curve from the terms in n and its coefficients:
//   (x3 a + x1) + ((c + g) / (a + a)) x2.
inline double curve_from(double a, double g, const double (&x)[3]) {
  return (x[2] * a + x[0]) + ((kLog4Pi + g) / (a + a)) * x[1];
}
inline double curve_at(std::int64_t n, const double (&x)[3]) {
  const TermsInN t = terms_in(n);
  return curve_from(t.a, t.g, x);
}

// The value for a single statistic, the two-sided normal value; false when
// its quantile fails.
bool single_value(double alpha, double& value);

}  // namespace critval
