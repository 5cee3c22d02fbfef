// Straightforward evaluations that the optimised routines must match bit for
// bit, written from the formulas alone, with nothing of the product's: the
// normal quantile (AS 111), the asymptotic value, and the corrected value
// built and solved from scratch on every call, with a single-pass
// elimination of the whole equilibrated system. None (nullopt) where a
// formula has no value.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

namespace reference {

// ln(4 pi) with pi to nine decimals, 3.141592654, as the double nearest it.
inline constexpr double kLog4Pi = 0x1.43f89a3f56a5ep+1;

// AS 111: fault 1 (and 0) outside (0, 1).
inline double quantile(double p, std::int64_t& fault) {
  fault = 0;
  const double q = p - 0.5;
  if (!(std::fabs(q) > 0.42)) {
    const double r = q * q;
    return q * (((-25.44106049637 * r + 41.39119773534) * r - 18.61500062529) * r + 2.50662823884) /
           ((((3.13082909833 * r - 21.06224101826) * r + 23.08336743743) * r - 8.47351093090) * r +
            1.0);
  }
  double r = q > 0.0 ? 1.0 - p : p;
  if (r <= 0.0) {
    fault = 1;
    return 0.0;
  }
  r = std::sqrt(-std::log(r));
  const double v = (((2.32121276858 * r + 4.85014127135) * r - 2.29796479134) * r - 2.78718931138) /
                   ((1.63706781897 * r + 3.54388924762) * r + 1.0);
  return q < 0.0 ? -v : v;
}

// sqrt(2 ln n) - (ln ln n + c) / (2 sqrt(2 ln n)) - ln(-ln(2 - sqrt(1 + alpha)) / 2) / sqrt(2 ln n)
inline std::optional<double> asymptotic(std::int64_t n, double alpha) {
  if (n == 1) return std::nullopt;
  const double ln = std::log(static_cast<double>(n));
  const double root = std::sqrt(2.0 * ln);
  const double t = 2.0 - std::sqrt(1.0 + alpha);
  return root - (std::log(ln) + kLog4Pi) / (2.0 * root) - std::log(-std::log(t) / 2.0) / root;
}

inline std::int64_t solve(std::int64_t order, const double* a, const double* b, std::int64_t lda,
                          double* x) {
  if (order < 1 || order > 3) return 2;
  const int n = static_cast<int>(order);
  double w[3][4];
  for (int i = 0; i < n; ++i) {
    double largest = 0.0;
    for (int j = 0; j < n; ++j)
      if (std::fabs(a[i + j * lda]) > largest) largest = std::fabs(a[i + j * lda]);
    if (largest == 0.0) return 2;
    const double s = 1.0 / largest;
    for (int j = 0; j < n; ++j) w[i][j] = s * a[i + j * lda];
    w[i][n] = s * b[i];
  }
  for (int k = 0; k < n - 1; ++k) {
    double pivot = 0.0;
    int p = k;
    for (int i = k; i < n; ++i)
      if (std::fabs(w[i][k]) > pivot) pivot = std::fabs(w[i][k]), p = i;
    if (std::fabs(pivot - 0.0) < 3.834e-20) return 2;
    if (p != k)
      for (int j = k; j <= n; ++j) std::swap(w[p][j], w[k][j]);
    for (int i = k + 1; i < n; ++i) {
      const double f = w[i][k] / w[k][k];
      for (int j = k + 1; j <= n; ++j) w[i][j] = w[i][j] - f * w[k][j];
    }
  }
  if (std::fabs(w[n - 1][n - 1] - 0.0) < 3.834e-20) return 2;
  x[n - 1] = w[n - 1][n] / w[n - 1][n - 1];
  for (int i = n - 2; i >= 0; --i) {
    double t = 0.0;
    for (int j = i + 1; j < n; ++j) t = t + w[i][j] * x[j];
    x[i] = (w[i][n] - t) / w[i][i];
  }
  return 1;
}

inline std::optional<double> corrected(std::int64_t n, double alpha) {
  const double c = kLog4Pi;
  std::int64_t fault = 0;
  if (n == 1) {
    const double z = quantile(1.0 - 0.5 * alpha, fault);
    return fault == 1 ? std::nullopt : std::optional(z);
  }
  const double sizes[3] = {2, 100, 200};
  double a[9], y[3], x[3];
  for (int i = 0; i < 3; ++i) {
    const double l = std::log(sizes[i]);
    if (i == 0) {
      y[0] = quantile((std::sqrt(1.0 - alpha) + 1.0) * 0.5, fault);
      if (fault == 1) return std::nullopt;
    } else {
      y[i] = *asymptotic(static_cast<std::int64_t>(sizes[i]), alpha);
    }
    const double root = std::sqrt(l + l);
    a[i] = 1.0;
    a[i + 6] = root;
    a[i + 3] = (std::log(l) + c) / (root * 2.0);
  }
  if (solve(3, a, y, 3, x) == 2) return std::numeric_limits<double>::quiet_NaN();
  const double ln = std::log(static_cast<double>(n));
  const double root = std::sqrt(ln + ln);
  const double g = std::log(ln);
  return (x[2] * root + x[0]) + ((c + g) / (root + root)) * x[1];
}

// LJUNGCV's value for accepted arguments: the method's value, none for n >= 2
// below the value for a single statistic (the bound computed on every call),
// nor where the value is no number.
inline std::optional<double> critical_value(std::int64_t n, double alpha, bool use_asymptotic) {
  const std::optional<double> v = use_asymptotic ? asymptotic(n, alpha) : corrected(n, alpha);
  std::int64_t fault = 0;
  const double single = quantile(1.0 - 0.5 * alpha, fault);
  if (!v || std::isnan(*v) || (n >= 2 && fault == 0 && *v < single)) return std::nullopt;
  return v;
}

}  // namespace reference
