// Standard normal quantile, algorithm AS 111, inline for the callers in this
// directory that evaluate it on every call.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace critval::as111 {

// Central region |q| <= 0.42, q = p - 0.5: q * A(r) / B(r) with r = q^2, A
// cubic and B quartic. Absolute error against the exact quantile at most 3e-9.
inline constexpr double kSplit = 0.42;
inline constexpr double kCentralNumerator[] = {2.50662823884, -18.61500062529, 41.39119773534,
                                               -25.44106049637};
inline constexpr double kCentralDenominator[] = {1.0, -8.47351093090, 23.08336743743,
                                                 -21.06224101826, 3.13082909833};

// Tails: r = sqrt(-ln(min(p, 1 - p))), C(r) / D(r) with C cubic and D
// quadratic, negated for the lower tail. Absolute error at most 6e-8 up to
// 0.999 and 5e-6 up to 0.99999.
inline constexpr double kTailNumerator[] = {-2.78718931138, -2.29796479134, 4.85014127135,
                                            2.32121276858};
inline constexpr double kTailDenominator[] = {1.0, 3.54388924762, 1.63706781897};

// c[0] + c[1] r + ... by Horner's rule, innermost coefficient first, one
// multiplication and one addition at a time.
template <std::size_t N>
constexpr double polynomial(const double (&c)[N], double r) {
  double v = c[N - 1];
  for (std::size_t k = N - 1; k-- > 0;) v = v * r + c[k];
  return v;
}

// Sets fault to 1 and returns 0 when p <= 0 or p >= 1, else fault 0; a NaN p
// takes the central branch and yields NaN with fault 0.
inline double quantile(double p, std::int64_t& fault) {
  fault = 0;
  const double q = p - 0.5;
  if (!(std::fabs(q) > kSplit)) {
    const double r = q * q;
    return q * polynomial(kCentralNumerator, r) / polynomial(kCentralDenominator, r);
  }
  double r = q > 0.0 ? 1.0 - p : p;
  if (r <= 0.0) {
    fault = 1;
    return 0.0;
  }
  r = std::sqrt(-std::log(r));
  const double v = polynomial(kTailNumerator, r) / polynomial(kTailDenominator, r);
  return q < 0.0 ? -v : v;
}

}  // namespace critval::as111
