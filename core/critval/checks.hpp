// The checks of n and alpha, in their fixed order, and n as a count.
#pragma once

#include <cmath>
#include <cstdint>

#include "critval/outcome.hpp"

namespace critval {

inline constexpr double kLargestLevel = 0.1;

// n truncated toward zero; whatever does not fit 64 bits (infinities
// included) becomes the most negative count. n must not be NaN.
inline std::int64_t truncate_count(double n) {
  // A double below 2^63 in magnitude truncates to one that fits: the
  // conversion's own truncation is the count.
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (n >= -kLimit && n < kLimit) return static_cast<std::int64_t>(n);
  return INT64_MIN;
}

// The arguments as the computations take them, and the first one rejected:
// n when NaN, then alpha when NaN or outside [0, 0.1] (kValue: neither).
struct Arguments {
  std::int64_t n;
  double alpha;
  Reason rejected;
};
inline Arguments check_arguments(double n, double alpha) {
  if (std::isnan(n)) return {0, alpha, Reason::kNMissing};
  const std::int64_t count = truncate_count(n);
  if (std::isnan(alpha)) return {count, alpha, Reason::kAlphaMissing};
  if (!(alpha >= 0.0 && alpha <= kLargestLevel)) return {count, alpha, Reason::kAlphaOutside};
  return {count, alpha, Reason::kValue};
}

}  // namespace critval
