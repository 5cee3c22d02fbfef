// The method's outcome at one accepted level: what depends on alpha and the
// method alone is computed once, so that each n adds only its own terms. The
// one place that decides whether there is a value, and why not.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "critval/outcome.hpp"
#include "critval/terms.hpp"

namespace critval {

class Level {
 public:
  Level(double alpha, Method method);

  // The outcome at n. For n >= 2 a value below the value for a single
  // statistic at the same level (the two-sided normal value) is none: it
  // would flag outliers at more than alpha.
  Outcome outcome(std::int64_t n);

  // outcome(n[j]) into out[j] for a block of count <= kBlock counts, bit for
  // bit, each of the terms in n computed in a pass over the block, so that
  // the elements' operations overlap instead of waiting on each other.
  static constexpr std::size_t kBlock = 64;
  void outcomes(const std::int64_t* n, std::size_t count, Outcome* out);

  Method method() const { return method_; }

 private:
  // The decision, from n and the formula's value v at n (unused where the
  // decision needs none).
  Outcome decide(std::int64_t n, double v);
  Outcome value(double v) const { return {v, Reason::kValue, method_}; }
  Outcome none(Reason why) const { return {kNoValue, why, method_}; }
  Outcome below_single_outcome(std::int64_t n);
  bool single_known() {
    if (single_state_ == Single::kUnknown) find_single();
    return single_state_ == Single::kKnown;
  }
  bool below_single(double v) { return single_known() && v < single_; }
  void find_single();

  double alpha_;
  Method method_;
  double term_ = 0.0;    // asymptotic: the level term
  bool fitted_ = false;  // corrected: the fit succeeded
  double x_[3] = {};
  double exact_two_ = 0.0;
  enum class Single : std::uint8_t { kUnknown, kKnown, kNone } single_state_ = Single::kUnknown;
  double single_ = 0.0;  // computed at its first use
};

inline Outcome Level::outcome(std::int64_t n) {
  if (n < 1 || n == 1 || (method_ == Method::kCorrected && !fitted_)) return decide(n, 0.0);
  return decide(n, method_ == Method::kAsymptotic ? asymptotic_at(n, term_) : curve_at(n, x_));
}

// The checks in the order the computation meets them. The value for two
// statistics is at least the single one (its quantile's argument is never the
// smaller), so only a corrected value below it needs the bound.
inline Outcome Level::decide(std::int64_t n, double v) {
  if (n < 1) return none(Reason::kCountBelowOne);  // its formula is no number
  if (method_ == Method::kAsymptotic) {
    if (n == 1) return none(Reason::kSingleAsymptotic);
    if (below_single(v)) return none(Reason::kBelowSingle);
    return std::isnan(v) ? none(Reason::kArithmetic) : value(v);
  }
  if (n == 1) return single_known() ? value(single_) : none(Reason::kLevelQuantile);
  if (!fitted_) return none(Reason::kLevelQuantile);
  if (v < exact_two_ && below_single(v)) return below_single_outcome(n);
  if (std::isnan(v)) {
    const bool anchors_infinite = std::sqrt(1.0 + alpha_) == 1.0;
    return none(anchors_infinite ? Reason::kLevelAnchors : Reason::kArithmetic);
  }
  return value(v);
}

}  // namespace critval
