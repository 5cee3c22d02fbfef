// The level of a critical value when the statistics are independent standard
// normal, and the critical value of an exact level: for n such statistics the
// largest absolute value exceeds c with probability 1 - (1 - q(c))^n, where
// q(c) = P(|Z| > c) = erfc(c / sqrt 2). Both keep their relative accuracy in
// the far tail (levels down to 1e-300, q below the smallest normal double),
// where the plain formula loses every digit. Pure; no allocation.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace critval {

// The probability for count >= 1 statistics: 1 for c <= 0, 0 for c = +inf,
// NaN for a NaN c.
double level_at(std::int64_t count, double c);

// The c >= 0 whose level for count >= 1 statistics is alpha in [0, 1]: the
// upper alpha-quantile of the largest absolute value. +infinity at alpha 0,
// as the only value never exceeded; 0 at alpha 1.
double exact_at(std::int64_t count, double alpha);

// Whether the level of c for count statistics passes alpha by more than one
// part in a million, passes(level_at(count, c), alpha), for c > 0 and alpha
// in (0, 1]; decided in three steps, each only where the one before cannot
// tell, so that an array is checked at little more than the cost of reading
// it where its values are far from their alpha: far_below costs neither a
// branch nor a logarithm, bracket one exp, level_at is the level.
inline bool passes(double level, double alpha) {
  return level > alpha * (1.0 + 1e-6);
}
inline bool far_below(double count, double c, double alpha);
enum class Verdict { kBelow, kAbove, kUnsure };
Verdict bracket(double count, double c, double alpha);

namespace tail_bounds {

inline constexpr double kLn2 = 0.69314718055994530942;

// x > 0, a normal double, as 2^e m with m in [1, 2), from its bits.
inline void split(double x, double& e, double& m) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  e = static_cast<double>(static_cast<int>(bits >> 52) - 1023);
  m = std::bit_cast<double>((bits & 0x000FFFFFFFFFFFFF) | 0x3FF0000000000000);
}

// ln x from above and from below, without a logarithm: over the mantissa,
// with t = m - 1 in [0, 1), t - t^2 / 2 + t^3 / 3 (the series, stopped after
// a positive term) and the chord t ln 2 of the concave ln m.
inline double log_above(double x) {
  double e, m;
  split(x, e, m);
  const double t = m - 1.0;
  return e * kLn2 + t * (1.0 - t * (0.5 - t * (1.0 / 3.0)));
}
inline double log_below(double x) {
  double e, m;
  split(x, e, m);
  return (e + (m - 1.0)) * kLn2;
}

}  // namespace tail_bounds

// level <= k q(c) <= k sqrt(2 / pi) e^(-c^2 / 2) / c, in logarithms, against
// a lower bound of ln alpha; 1e-9 for the bounds' own rounding.
inline bool far_below(double count, double c, double alpha) {
  using namespace tail_bounds;
  constexpr double kLogSqrtTwoOverPi = -0.22579135264472743236;
  return log_above(count) + kLogSqrtTwoOverPi - c * c / 2.0 - log_below(c) <=
         log_below(alpha) - 1e-9;
}

// Why level(n, c) or exact(n, alpha) has no value; the first that applies.
enum class TailReason : std::uint8_t {
  kValue,
  kMissing,        // n, or c or alpha, is NaN: missing in, missing out
  kCountBelowOne,  // n truncates below 1, or beyond 64 bits, as LJUNGCV counts it
  kAlphaOutside,   // exact only: alpha outside [0, 1], rejected
};

struct TailOutcome {
  double value;  // NaN without a value
  TailReason reason;
};

TailOutcome level(double n, double c);
TailOutcome exact(double n, double alpha);

}  // namespace critval
