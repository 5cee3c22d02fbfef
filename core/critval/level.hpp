// The method's outcome at one accepted level: what depends on alpha and the
// method alone is computed once, so that each n adds only its own terms. The
// one place that decides whether there is a value, and why not.
#pragma once

#include <cstddef>
#include <cstdint>

#include "critval/outcome.hpp"

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
  bool anchors_infinite_ = false;
  double x_[3] = {};
  double exact_two_ = 0.0;
  enum class Single : std::uint8_t { kUnknown, kKnown, kNone } single_state_ = Single::kUnknown;
  double single_ = 0.0;  // computed at its first use
};

}  // namespace critval
