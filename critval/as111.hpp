// Standard normal quantile, algorithm AS 111, inline for the callers in this
// directory that evaluate it on every call.
//
// Central region |p - 0.5| <= 0.42: q * A(r) / B(r) with r = q^2, A cubic and
// B quartic. Tails: r = sqrt(-ln(min(p, 1 - p))), C(r) / D(r) with C cubic and
// D quadratic, negated for the lower tail. Against the exact quantile the
// absolute error is at most 3e-9 on [0.08, 0.92] and 6e-8 up to 0.999; the
// callers' results carry these approximated values.
#pragma once

#include <cmath>
#include <cstdint>

namespace critval::as111 {

inline constexpr double kSplit = 0.42;

inline constexpr double a0 = 2.50662823884;
inline constexpr double a1 = -18.61500062529;
inline constexpr double a2 = 41.39119773534;
inline constexpr double a3 = -25.44106049637;
inline constexpr double b1 = -8.47351093090;
inline constexpr double b2 = 23.08336743743;
inline constexpr double b3 = -21.06224101826;
inline constexpr double b4 = 3.13082909833;

inline constexpr double c0 = -2.78718931138;
inline constexpr double c1 = -2.29796479134;
inline constexpr double c2 = 4.85014127135;
inline constexpr double c3 = 2.32121276858;
inline constexpr double d1 = 3.54388924762;
inline constexpr double d2 = 1.63706781897;

inline double quantile(double p, std::int64_t& fault) {
  fault = 0;
  const double q = p - 0.5;
  if (!(std::fabs(q) > kSplit)) {  // a NaN p takes this branch and stays NaN
    const double r = q * q;
    return q * (((a3 * r + a2) * r + a1) * r + a0) /
           ((((b4 * r + b3) * r + b2) * r + b1) * r + 1.0);
  }
  double r = q > 0.0 ? 1.0 - p : p;
  if (r <= 0.0) {
    fault = 1;
    return 0.0;
  }
  r = std::sqrt(-std::log(r));
  const double v = (((c3 * r + c2) * r + c1) * r + c0) / ((d2 * r + d1) * r + 1.0);
  return q < 0.0 ? -v : v;
}

}  // namespace critval::as111
