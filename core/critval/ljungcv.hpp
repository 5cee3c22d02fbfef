// LJUNGCV(n, alpha [, method]) as numbers: the checks of n and alpha in their
// fixed order, the method's value with the bound that keeps it at or above the
// value for a single statistic, and why an accepted call gives no value. The
// host's function entry and any other caller share these, so they cannot drift.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

#include "critval/critval.hpp"

namespace critval {

enum class Method : std::uint8_t { kCorrected, kAsymptotic };

inline constexpr double kLargestLevel = 0.1;

// The method keywords, framed and separated by single blanks. A keyword
// beginning with L selects the asymptotic method.
inline constexpr std::string_view kKeywords = " L C CORR CORRECT LJUNG CORRECTED ";
inline constexpr std::size_t kLongestKeyword = 9;  // "CORRECTED"

// The method of a trimmed, upper-cased keyword: one word of the list, or a run
// of single-blank-separated words of it no longer than kLongestKeyword.
std::optional<Method> method_of_keyword(std::string_view keyword);

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

// One evaluation of LJUNGCV, whoever the caller: n, then alpha, then the
// method (read by read_method only once both are accepted; none for a
// rejected keyword), then the value. The first rejection wins.
enum class Verdict : std::uint8_t { kValue, kNoValue, kRejected };
struct Outcome {
  double value;  // the missing value unless kValue
  Verdict verdict;
  int rejected;  // 1 to 3 when kRejected, else 0
};

template <typename ReadMethod>
Outcome evaluate(double n, double alpha, ReadMethod&& read_method) {
  const Arguments arguments = check_arguments(n, alpha);
  if (arguments.rejected != 0) return {kMissing, Verdict::kRejected, arguments.rejected};
  const std::optional<Method> method = read_method();
  if (!method) return {kMissing, Verdict::kRejected, 3};
  const double value = critical_value(arguments.n, arguments.alpha, *method);
  if (std::isnan(value)) return {kMissing, Verdict::kNoValue, 0};
  return {value, Verdict::kValue, 0};
}

}  // namespace critval
