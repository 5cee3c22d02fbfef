// Small dense linear systems (order 1 to 3) by row equilibration, Gaussian
// elimination with partial pivoting and back substitution, and the tolerance
// comparison that decides a zero pivot. No allocation, no state.
//
// The solver comes in two halves: factorise the matrix (equilibration, pivot
// choice, elimination of the matrix part) and solve one right-hand side with
// the recorded scales, exchanges and multipliers. Both are constexpr, so that a
// constant matrix can be factorised at compile time; the right-hand side goes
// through exactly the operations, in exactly the order, of one elimination of
// the whole row-equilibrated copy.
#pragma once

#include <cstdint>

namespace linsolve {

// Absolute tolerance below which a pivot counts as zero.
inline constexpr double kTolerance = 3.834e-20;

inline constexpr std::int64_t kSolved = 1;
inline constexpr std::int64_t kSingular = 2;

inline constexpr int kMaxOrder = 3;

// Solves A x = b.
//   n    in   order, 1 to 3 (anything else is reported singular)
//   a    in   n x n matrix by columns, element (i, j) at a[i + j * lda]; never written
//   b    in   n right-hand-side values; never written
//   lda  in   leading dimension of a, at least n (less is reported singular, a unread)
//   x    out  n solution values, written only when solved
// Returns kSolved or kSingular.
std::int64_t solve(std::int64_t n, const double* a, const double* b, std::int64_t lda, double* x);

// 1 when |a - b| < kTolerance, else 0 (also for NaN).
std::int64_t near_equal(double a, double b);

// As near_equal, but two NaNs are equal and one NaN is unequal to anything.
std::int64_t near_equal_missing(double a, double b);

// The magnitude as the pivot tests use it; a NaN stays a NaN.
constexpr double magnitude(double x) {
  return x < 0.0 ? -x : x;
}

constexpr bool near_zero(double x) {
  return magnitude(x - 0.0) < kTolerance;
}

struct Factorisation {
  int n = 0;
  bool singular = true;
  double scale[kMaxOrder] = {};              // 1 / largest magnitude of each row
  int pivot_row[kMaxOrder] = {};             // row exchanged with row k at step k
  double w[kMaxOrder][kMaxOrder] = {};       // equilibrated, eliminated matrix part
  double factor[kMaxOrder][kMaxOrder] = {};  // factor[i][k]: multiplier of row k for row i
};

// Factorises the n x n matrix a (by columns, leading dimension lda). An order
// outside 1 to 3 or an lda below it (a then unread), a row without a nonzero
// magnitude, or a pivot below the tolerance leave it singular.
constexpr Factorisation factorise(std::int64_t order, const double* a, std::int64_t lda) {
  Factorisation f;
  if (order < 1 || order > kMaxOrder || lda < order) return f;
  const int n = static_cast<int>(order);
  f.n = n;
  for (int i = 0; i < n; ++i) {
    double largest = 0.0;
    for (int j = 0; j < n; ++j) {
      const double m = magnitude(a[i + j * lda]);
      if (m > largest) largest = m;  // a NaN never replaces it
    }
    if (largest == 0.0) return f;  // never take the reciprocal of zero
    f.scale[i] = 1.0 / largest;
    for (int j = 0; j < n; ++j) f.w[i][j] = f.scale[i] * a[i + j * lda];
  }
  for (int k = 0; k < n - 1; ++k) {
    double pivot = 0.0;
    int p = k;
    for (int i = k; i < n; ++i) {
      const double m = magnitude(f.w[i][k]);
      if (m > pivot) {  // ties stay with the upper row
        pivot = m;
        p = i;
      }
    }
    if (near_zero(pivot)) return f;
    f.pivot_row[k] = p;
    if (p != k) {
      for (int j = k; j < n; ++j) {
        const double t = f.w[p][j];
        f.w[p][j] = f.w[k][j];
        f.w[k][j] = t;
      }
    }
    for (int i = k + 1; i < n; ++i) {
      const double m = f.w[i][k] / f.w[k][k];
      f.factor[i][k] = m;
      for (int j = k + 1; j < n; ++j) f.w[i][j] = f.w[i][j] - m * f.w[k][j];
    }
  }
  if (near_zero(f.w[n - 1][n - 1])) return f;
  f.singular = false;
  return f;
}

// Solves with a factorisation that is not singular; b and x may not overlap.
constexpr void solve_factorised(const Factorisation& f, const double* b, double* x) {
  const int n = f.n;
  double r[kMaxOrder] = {};
  for (int i = 0; i < n; ++i) r[i] = f.scale[i] * b[i];
  for (int k = 0; k < n - 1; ++k) {
    const int p = f.pivot_row[k];
    if (p != k) {
      const double t = r[p];
      r[p] = r[k];
      r[k] = t;
    }
    for (int i = k + 1; i < n; ++i) r[i] = r[i] - f.factor[i][k] * r[k];
  }
  x[n - 1] = r[n - 1] / f.w[n - 1][n - 1];
  for (int i = n - 2; i >= 0; --i) {
    double sum = 0.0;
    for (int j = i + 1; j < n; ++j) sum = sum + f.w[i][j] * x[j];
    x[i] = (r[i] - sum) / f.w[i][i];
  }
}

}  // namespace linsolve
