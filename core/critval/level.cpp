// The method's outcome at one level, for one n or a block of them.
#include "critval/level.hpp"

#include <cmath>

#include "critval/fit.hpp"

namespace critval {

Level::Level(double alpha, Method method) : alpha_(alpha), method_(method) {
  if (method == Method::kAsymptotic) {
    term_ = level_term(alpha);
  } else {
    fitted_ = fit(alpha, x_, exact_two_);
    anchors_infinite_ = std::sqrt(1.0 + alpha) == 1.0;
  }
}

void Level::find_single() {
  single_state_ = single_value(alpha_, single_) ? Single::kKnown : Single::kNone;
}

Outcome Level::outcome(std::int64_t n) {
  if (n < 1 || n == 1 || (method_ == Method::kCorrected && !fitted_)) return decide(n, 0.0);
  return decide(n, method_ == Method::kAsymptotic ? asymptotic_at(n, term_) : curve_at(n, x_));
}

void Level::outcomes(const std::int64_t* n, std::size_t count, Outcome* out) {
  // Pass by pass, the operations of outcome(n) in its order: ln n, then
  // a = sqrt(ln n + ln n), then ln ln n, then the formula.
  double l[kBlock], a[kBlock], g[kBlock], v[kBlock];
  for (std::size_t j = 0; j < count; ++j) l[j] = std::log(static_cast<double>(n[j]));
  for (std::size_t j = 0; j < count; ++j) a[j] = std::sqrt(l[j] + l[j]);
  for (std::size_t j = 0; j < count; ++j) g[j] = std::log(l[j]);
  if (method_ == Method::kAsymptotic) {
    for (std::size_t j = 0; j < count; ++j) v[j] = asymptotic_from(a[j], g[j], term_);
  } else {
    for (std::size_t j = 0; j < count; ++j) v[j] = curve_from(a[j], g[j], x_);
  }
  for (std::size_t j = 0; j < count; ++j) out[j] = decide(n[j], v[j]);
}

// The checks in the order the computation meets them. The value for two
// statistics is at least the single one (its quantile's argument is never the
// smaller), so only a corrected value below it needs the bound.
Outcome Level::decide(std::int64_t n, double v) {
  if (n < 1) return none(Reason::kCountBelowOne);  // its formula is no number
  if (method_ == Method::kAsymptotic) {
    if (n == 1) return none(Reason::kSingleAsymptotic);
    if (below_single(v)) return none(Reason::kBelowSingle);
    return std::isnan(v) ? none(Reason::kArithmetic) : value(v);
  }
  if (n == 1) return single_known() ? value(single_) : none(Reason::kLevelQuantile);
  if (!fitted_) return none(Reason::kLevelQuantile);
  if (v < exact_two_ && below_single(v)) return below_single_outcome(n);
  if (std::isnan(v)) return none(anchors_infinite_ ? Reason::kLevelAnchors : Reason::kArithmetic);
  return value(v);
}

// Where the corrected curve has turned down: the asymptotic method's value
// goes with the reason, itself held to the bound.
Outcome Level::below_single_outcome(std::int64_t n) {
  Outcome o = none(Reason::kBelowSingle);
  const double asymptotic = asymptotic_at(n, level_term(alpha_));
  if (!(asymptotic < single_)) o.asymptotic_instead = asymptotic;
  return o;
}

}  // namespace critval
