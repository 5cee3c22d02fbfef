// Corrected critical value: x1 + x2 f2(n) + x3 f3(n) with
//   f2(m) = (ln ln m + c) / (2 sqrt(2 ln m)),  f3(m) = sqrt(2 ln m),
// the coefficients solved on every call so that the curve passes through the
// exact value for two statistics and the asymptotic values at 100 and 200.
#include <cmath>

#include "critval/critval.hpp"
#include "linsolve/linsolve.hpp"

namespace critval {
namespace {

constexpr int kAnchors = 3;
constexpr std::int64_t kAnchorSizes[kAnchors] = {2, 100, 200};

}  // namespace

bool fit_coefficients(double alpha, double (&x)[3]) {
  double design[kAnchors * kAnchors];  // by columns, leading dimension 3
  double y[kAnchors];
  for (int i = 0; i < kAnchors; ++i) {
    const double l = std::log(static_cast<double>(kAnchorSizes[i]));
    if (i == 0) {
      std::int64_t fault = 0;
      const double p = (std::sqrt(1.0 - alpha) + 1.0) * 0.5;
      y[i] = normal_quantile(p, fault);
      if (fault == 1) return false;
    } else {
      y[i] = asymptotic(kAnchorSizes[i], alpha);
    }
    const double a = std::sqrt(l + l);
    design[i + 0 * kAnchors] = 1.0;
    design[i + 2 * kAnchors] = a;
    design[i + 1 * kAnchors] = (std::log(l) + kLog4Pi) / (a * 2.0);
  }
  return linsolve::solve(kAnchors, design, y, kAnchors, x) != linsolve::kSingular;
}

double corrected(std::int64_t n, double alpha) {
  if (n == 1) {
    std::int64_t fault = 0;
    const double z = normal_quantile(1.0 - 0.5 * alpha, fault);
    return fault == 1 ? kMissing : z;
  }
  double x[3];
  if (!fit_coefficients(alpha, x)) return kMissing;
  const double ln = std::log(static_cast<double>(n));
  const double a = std::sqrt(ln + ln);
  const double g = std::log(ln);
  return (x[2] * a + x[0]) + ((kLog4Pi + g) / (a + a)) * x[1];
}

}  // namespace critval
