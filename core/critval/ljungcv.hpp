// LJUNGCV(n, alpha [, method]) as numbers: the checks of n and alpha in their
// fixed order, the method's value with the bound that keeps it at or above the
// value for a single statistic, and why an accepted call gives no value. The
// host's function entry and any other caller share these, so they cannot drift.
#pragma once

#include <cstdint>

namespace critval {

enum class Method : std::uint8_t { kCorrected, kAsymptotic };

inline constexpr double kLargestLevel = 0.1;

// n truncated toward zero; whatever does not fit 64 bits (infinities
// included) becomes the most negative count. n must not be NaN.
std::int64_t truncate_count(double n);

// The arguments as the computations take them, and the first one rejected:
// 1 when n is NaN, 2 when alpha is NaN or outside [0, 0.1], else 0.
struct Arguments {
  std::int64_t n;
  double alpha;
  int rejected;
};
Arguments check_arguments(double n, double alpha);

// The value for accepted arguments, or NaN where there is none. For n >= 2 a
// value below the value for a single statistic at the same level (the
// two-sided normal value) is none: it would flag outliers at more than alpha.
double critical_value(std::int64_t n, double alpha, Method method);

// Why an accepted call gives no value, in the order the computation meets it.
enum class NoValue : std::uint8_t {
  kNone,              // there is a value
  kCountBelowOne,     // n truncates below 1, or beyond 64 bits
  kSingleAsymptotic,  // n == 1 with the asymptotic method
  kLevelQuantile,     // the level's quantile argument rounds to 1 (alpha 0 included)
  kLevelAnchors,      // sqrt(1 + alpha) rounds to 1: infinite asymptotic anchors
  kBelowSingle,       // below the value for a single statistic
  kArithmetic,        // any other non-number (not expected)
};
NoValue why_no_value(std::int64_t n, double alpha, Method method);

}  // namespace critval
