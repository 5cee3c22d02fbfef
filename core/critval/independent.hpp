// The level of a critical value when the statistics are independent standard
// normal, and the critical value of an exact level: for n such statistics the
// largest absolute value exceeds c with probability 1 - (1 - q(c))^n, where
// q(c) = P(|Z| > c) = erfc(c / sqrt 2). Both keep their relative accuracy in
// the far tail (levels down to 1e-300, q below the smallest normal double),
// where the plain formula loses every digit. Pure; no allocation.
#pragma once

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

// The sentence for an outcome of level(n, x) (exact false) or exact(n, x),
// "" for a value; written as snprintf writes, returning its length.
std::size_t explain_tail(bool exact, double n, double x, const TailOutcome& outcome, char* buffer,
                         std::size_t size);

}  // namespace critval
