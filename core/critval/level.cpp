// The method's outcome at one level, for one n or a block of them.
#include "critval/level.hpp"

#include <cmath>

#include "critval/terms.hpp"

namespace critval {

Level::Level(double alpha, Method method) : alpha_(alpha), method_(method) {
  if (method == Method::kAsymptotic) {
    term_ = level_term(alpha);
  } else {
    fitted_ = fit(alpha, x_, exact_two_);
  }
}

void Level::find_single() {
  single_state_ = single_value(alpha_, single_) ? Single::kKnown : Single::kNone;
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

// Where the corrected curve has turned down: the asymptotic method's value
// goes with the reason, itself held to the bound.
Outcome Level::below_single_outcome(std::int64_t n) {
  Outcome o = none(Reason::kBelowSingle);
  const double asymptotic = asymptotic_at(n, level_term(alpha_));
  if (!(asymptotic < single_)) o.value = asymptotic;
  return o;
}

}  // namespace critval
