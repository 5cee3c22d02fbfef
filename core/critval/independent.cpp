// Levels and exact values under independence, in relative precision over the
// whole tail: q(c) from erfc and erf where those are exact to a few ulp in q
// (c below 4), else as sqrt(2/pi) e^(-c^2/2) R(c) with Mills' ratio R from its
// continued fraction and c^2/2 exact to the last bit, so that neither the
// argument's rounding nor underflow costs a digit.
#include "critval/independent.hpp"

#include <cmath>
#include <limits>

#include "critval/as111.hpp"
#include "critval/checks.hpp"

namespace critval {
namespace {

constexpr double kSqrtHalf = 0.70710678118654752440;
constexpr double kSqrtTwoOverPi = 0.79788456080286535588;
constexpr double kTailFrom = 4.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Mills' ratio (1 - Phi(c)) / phi(c) for c >= 4 by the continued fraction
// 1 / (c + 1 / (c + 2 / (c + 3 / ...))), evaluated from the back: these terms
// leave it within 2e-16 of the exact ratio at every c from 4 on.
double mills(double c) {
  const int terms = c < 6.0 ? 40 : c < 10.0 ? 20 : 12;
  double f = c;
  for (int k = terms; k > 0; --k) f = c + k / f;
  return 1.0 / f;
}

// c^2 / 2 as hi + lo exactly, by Dekker's product (no fused multiply-add).
void half_square(double c, double& hi, double& lo) {
  constexpr double kSplit = 134217729.0;  // 2^27 + 1
  const double t = kSplit * c;
  const double high = t - (t - c), low = c - high;
  const double p = c * c;
  hi = p / 2.0;
  lo = (((high * high - p) + 2.0 * high * low) + low * low) / 2.0;
}

// ln q(c) for c >= 0, and its slope in c (both the tail's, -2 phi(c) / q(c)).
double log_tail(double c, double& slope) {
  if (c < kTailFrom) {
    const double x = c * kSqrtHalf, q = std::erfc(x);
    slope = -kSqrtTwoOverPi * std::exp(-c * c / 2.0) / q;
    return q < 0.5 ? std::log(q) : std::log1p(-std::erf(x));
  }
  double hi, lo;
  half_square(c, hi, lo);
  const double r = mills(c);
  slope = -1.0 / r;
  return (std::log(kSqrtTwoOverPi * r) - lo) - hi;
}

}  // namespace

double level_at(std::int64_t count, double c) {
  if (std::isnan(c)) return kNaN;
  if (c <= 0.0) return 1.0;
  if (c > 1e150) return 0.0;  // e^(-c^2/2) is 0 long before; c^2 would overflow
  const auto n = static_cast<double>(count);
  double t;  // n ln(1 - q(c)): the log of the probability that none exceeds c
  if (c < kTailFrom) {
    const double x = c * kSqrtHalf, q = std::erfc(x);
    t = n * (q < 0.5 ? std::log1p(-q) : std::log(std::erf(x)));
  } else {
    double hi, lo;
    half_square(c, hi, lo);
    // e^(-c^2/2) in two halves, n between them: n q stays a normal double
    // wherever the level is, though q itself may not be.
    const double half = std::exp(-hi / 2.0), rest = (1.0 - lo) * kSqrtTwoOverPi * mills(c);
    const double q = half * half * rest;
    // Below 1e-17, ln(1 - q) is -q to the last bit.
    t = q > 1e-17 ? n * std::log1p(-q) : -(((n * half) * half) * rest);
  }
  return -std::expm1(t);
}

double exact_at(std::int64_t count, double alpha) {
  if (alpha <= 0.0) return std::numeric_limits<double>::infinity();
  if (alpha >= 1.0) return 0.0;
  const auto n = static_cast<double>(count);
  // The level each statistic must have, q = 1 - (1 - alpha)^(1/n), as ln q:
  // where q is tiny, ln(-ln(1 - alpha)) - ln n (the rest is below an ulp).
  const double u = std::log1p(-alpha) / n, q = -std::expm1(u);
  const double target = q > 1e-290 ? std::log(q) : std::log(-std::log1p(-alpha)) - std::log(n);
  // Newton's method on ln q(c) = target, with the ln q that level_at uses:
  // no second quantile algorithm to keep in step, and level(n, exact(n, a))
  // gives a back to its last digits. ln q is concave, so from any start the
  // steps after the first come down to the root; AS 111, the module's
  // quantile, starts it within a few digits where q / 2 is a normal double,
  // and sqrt(-2 target), above the root, where not.
  std::int64_t fault = 0;
  double c = q / 2.0 >= std::numeric_limits<double>::min() ? -as111::quantile(q / 2.0, fault)
                                                           : std::sqrt(-2.0 * target);
  if (fault != 0 || !(c >= 0.0)) c = std::sqrt(-2.0 * target);
  for (int i = 0; i < 40; ++i) {
    double slope;
    const double step = (log_tail(c, slope) - target) / slope;
    c -= step;
    if (std::fabs(step) <= 4e-16 * c) break;
  }
  return c;
}

// q(c) = 2 phi(c) R(c), Mills' ratio R between the continued fraction's
// third and fourth convergents (c^2 + 2) / (c^3 + 3c) and (c^3 + 5c) /
// (c^4 + 6c^2 + 3). The level lies between 1 - e^(-k q) (as 1 - q <=
// e^(-q)) and 1 - e^(-k q / (1 - q)) (as ln(1 - q) >= -q / (1 - q)), and
// 1 - e^(-y) between y - y^2 / 2 (below 1; 1 - 1/e from 1 on) and
// y - y^2 / 2 + y^3 / 6.
Verdict bracket(double count, double c, double alpha) {
  constexpr double kSlack = 1e-9;  // against the bounds' own rounding
  const double limit = alpha * (1.0 + 1e-6), k = count;
  const double density = kSqrtTwoOverPi * std::exp(-c * c / 2.0), s = c * c;
  const double q_high = density * (s + 2.0) / (c * (s + 3.0));
  const double q_low = density * c * (s + 5.0) / (s * (s + 6.0) + 3.0);
  const double y = k * q_high / (1.0 - q_high), x = k * q_low;
  const bool below = y * (1.0 - y * (0.5 - y / 6.0)) <= limit * (1.0 - kSlack);
  const bool above = (x < 1.0 ? x * (1.0 - x / 2.0) : 0.63212055882855767) > limit * (1.0 + kSlack);
  return below ? Verdict::kBelow : above ? Verdict::kAbove : Verdict::kUnsure;
}

TailOutcome level(double n, double c) {
  if (std::isnan(n) || std::isnan(c)) return {kNaN, TailReason::kMissing};
  const std::int64_t count = truncate_count(n);
  if (count < 1) return {kNaN, TailReason::kCountBelowOne};
  return {level_at(count, c), TailReason::kValue};
}

TailOutcome exact(double n, double alpha) {
  if (std::isnan(n) || std::isnan(alpha)) return {kNaN, TailReason::kMissing};
  if (!(alpha >= 0.0 && alpha <= 1.0)) return {kNaN, TailReason::kAlphaOutside};
  const std::int64_t count = truncate_count(n);
  if (count < 1) return {kNaN, TailReason::kCountBelowOne};
  return {exact_at(count, alpha), TailReason::kValue};
}

}  // namespace critval
