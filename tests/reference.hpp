// Straightforward evaluations that the optimised routines must match bit for
// bit: the corrected value built and solved from scratch on every call, with a
// single-pass elimination of the whole equilibrated system.
#pragma once

#include <cmath>
#include <cstdint>
#include <utility>

#include "critval/critval.hpp"

namespace reference {

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

inline double corrected(std::int64_t n, double alpha) {
  const double c = critval::kLog4Pi;
  std::int64_t fault = 0;
  if (n == 1) {
    const double z = critval::normal_quantile(1.0 - 0.5 * alpha, fault);
    return fault == 1 ? critval::kMissing : z;
  }
  const double sizes[3] = {2, 100, 200};
  double a[9], y[3], x[3];
  for (int i = 0; i < 3; ++i) {
    const double l = std::log(sizes[i]);
    if (i == 0) {
      y[0] = critval::normal_quantile((std::sqrt(1.0 - alpha) + 1.0) * 0.5, fault);
      if (fault == 1) return critval::kMissing;
    } else {
      y[i] = critval::asymptotic(static_cast<std::int64_t>(sizes[i]), alpha);
    }
    const double root = std::sqrt(l + l);
    a[i] = 1.0;
    a[i + 6] = root;
    a[i + 3] = (std::log(l) + c) / (root * 2.0);
  }
  if (solve(3, a, y, 3, x) == 2) return critval::kMissing;
  const double ln = std::log(static_cast<double>(n));
  const double root = std::sqrt(ln + ln);
  const double g = std::log(ln);
  return (x[2] * root + x[0]) + ((c + g) / (root + root)) * x[1];
}

// LJUNGCV's value: the method's value, missing for n >= 2 below the value for
// a single statistic (the bound computed on every call).
inline double critical_value(std::int64_t n, double alpha, bool asymptotic) {
  const double v = asymptotic ? critval::asymptotic(n, alpha) : corrected(n, alpha);
  std::int64_t fault = 0;
  const double single = critval::normal_quantile(1.0 - 0.5 * alpha, fault);
  return n >= 2 && fault == 0 && v < single ? critval::kMissing : v;
}

}  // namespace reference
