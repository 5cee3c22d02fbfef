// LJUNGCV's checks, bounded value and reasons for no value.
#include "critval/ljungcv.hpp"

#include <cmath>
#include <cstring>

#include "critval/critval.hpp"
#include "critval/fit.hpp"

namespace critval {

std::optional<Method> method_of_keyword(std::string_view keyword) {
  if (keyword.empty() || keyword.size() > kLongestKeyword) return std::nullopt;
  char framed[kLongestKeyword + 2];
  framed[0] = ' ';
  std::memcpy(framed + 1, keyword.data(), keyword.size());
  framed[keyword.size() + 1] = ' ';
  if (kKeywords.find(std::string_view(framed, keyword.size() + 2)) == std::string_view::npos) {
    return std::nullopt;
  }
  return keyword[0] == 'L' ? Method::kAsymptotic : Method::kCorrected;
}

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

void Level::values(const std::int64_t* n, std::size_t count, double* v) {
  // Pass by pass, the operations of value(n) in its order: ln n, then
  // a = sqrt(ln n + ln n), then ln ln n, then the formula.
  double l[kBlock], a[kBlock], g[kBlock];
  for (std::size_t j = 0; j < count; ++j) l[j] = std::log(static_cast<double>(n[j]));
  for (std::size_t j = 0; j < count; ++j) a[j] = std::sqrt(l[j] + l[j]);
  for (std::size_t j = 0; j < count; ++j) g[j] = std::log(l[j]);
  if (method_ == Method::kAsymptotic) {
    for (std::size_t j = 0; j < count; ++j) v[j] = asymptotic_from(a[j], g[j], term_);
  } else {
    for (std::size_t j = 0; j < count; ++j) v[j] = curve_from(a[j], g[j], x_);
  }
  for (std::size_t j = 0; j < count; ++j) v[j] = bounded(n[j], v[j]);
}

double critical_value(std::int64_t n, double alpha, Method method) {
  return Level(alpha, method).value(n);
}

NoValue why_no_value(std::int64_t n, double alpha, Method method) {
  if (!std::isnan(critical_value(n, alpha, method))) return NoValue::kNone;
  if (n < 1) return NoValue::kCountBelowOne;
  const bool asymptotic_method = method == Method::kAsymptotic;
  if (n == 1) return asymptotic_method ? NoValue::kSingleAsymptotic : NoValue::kLevelQuantile;
  if (!asymptotic_method) {
    double x[3], exact_two;
    if (!fit(alpha, x, exact_two)) return NoValue::kLevelQuantile;
    if (std::sqrt(1.0 + alpha) == 1.0) return NoValue::kLevelAnchors;
  }
  const double unbounded = asymptotic_method ? asymptotic(n, alpha) : corrected(n, alpha);
  return std::isnan(unbounded) ? NoValue::kArithmetic : NoValue::kBelowSingle;
}

}  // namespace critval
