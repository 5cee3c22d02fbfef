// LJUNGCV's checks, bounded value and reasons for no value.
#include "critval/ljungcv.hpp"

#include <cmath>
#include <cstring>

#include "critval/as111.hpp"
#include "critval/critval.hpp"
#include "critval/fit.hpp"

namespace critval {
namespace {

// Whether v lies below the two-sided normal value at alpha, the value for a
// single statistic; false when either is not a number.
bool below_single(double v, double alpha) {
  std::int64_t fault = 0;
  const double single = as111::quantile(1.0 - 0.5 * alpha, fault);
  return fault == 0 && v < single;
}

}  // namespace

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

std::int64_t truncate_count(double n) {
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  const double t = std::trunc(n);
  if (t >= -kLimit && t < kLimit) return static_cast<std::int64_t>(t);
  return INT64_MIN;
}

Arguments check_arguments(double n, double alpha) {
  if (std::isnan(n)) return {0, alpha, 1};
  const std::int64_t count = truncate_count(n);
  if (!(alpha >= 0.0 && alpha <= kLargestLevel)) return {count, alpha, 2};
  return {count, alpha, 0};
}

double critical_value(std::int64_t n, double alpha, Method method) {
  if (method == Method::kAsymptotic) {
    const double v = asymptotic(n, alpha);
    return n >= 2 && below_single(v, alpha) ? kMissing : v;
  }
  double exact_two;
  const double v = corrected(n, alpha, exact_two);
  // The value for two statistics is at least the single one (its quantile's
  // argument is never the smaller), so only a value below it needs the bound.
  if (n >= 2 && v < exact_two && below_single(v, alpha)) return kMissing;
  return v;
}

NoValue why_no_value(std::int64_t n, double alpha, Method method) {
  if (!std::isnan(critical_value(n, alpha, method))) return NoValue::kNone;
  if (n < 1) return NoValue::kCountBelowOne;
  const bool asymptotic_method = method == Method::kAsymptotic;
  if (n == 1) return asymptotic_method ? NoValue::kSingleAsymptotic : NoValue::kLevelQuantile;
  if (!asymptotic_method) {
    double x[3];
    if (!fit_coefficients(alpha, x)) return NoValue::kLevelQuantile;
    if (std::sqrt(1.0 + alpha) == 1.0) return NoValue::kLevelAnchors;
  }
  const double unbounded = asymptotic_method ? asymptotic(n, alpha) : corrected(n, alpha);
  return std::isnan(unbounded) ? NoValue::kArithmetic : NoValue::kBelowSingle;
}

}  // namespace critval
