// What one evaluation of LJUNGCV decides: its value, or why there is none, in
// the core's own words. The shells translate a reason into what their callers
// expect (the host's status and flag, the C API's); the sentences put it into
// words. Nothing here is the host's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "critval/keyword.hpp"

namespace critval {

// In the order the checks and the computation meet them; the first wins.
enum class Reason : std::uint8_t {
  kValue,             // there is a value
  kNMissing,          // n is NaN: n rejected
  kAlphaMissing,      // alpha is NaN: alpha rejected
  kAlphaOutside,      // alpha outside [0, 0.1]: alpha rejected
  kMethodUnknown,     // the keyword is blank, too long or unknown: the method rejected
  kCountBelowOne,     // n truncates below 1, or beyond 64 bits
  kSingleAsymptotic,  // n == 1 with the asymptotic method
  kLevelQuantile,     // the level's quantile argument rounds to 1 (alpha 0 included)
  kLevelAnchors,      // sqrt(1 + alpha) rounds to 1: infinite asymptotic anchors
  kBelowSingle,       // below the value for a single statistic
  kArithmetic,        // any other non-number (not expected)
};
inline constexpr std::size_t kReasonCount = 11;

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

struct Outcome {
  // The critical value for Reason::kValue. For kBelowSingle by the corrected
  // method, what the asymptotic method gives there instead, for the sentence
  // to name. Else kNoValue.
  double value;
  Reason reason;
  Method method;  // the method read (the corrected one until it is)
};

constexpr Outcome rejected(Reason reason) {
  return {kNoValue, reason, Method::kCorrected};
}

}  // namespace critval
