// Row-equilibrated Gaussian elimination with partial pivoting, order 1 to 3.
//
// The system is copied into a fixed 3 x 4 working array (column n + 1 holds the
// right-hand side), each row scaled by the reciprocal of its largest magnitude.
// Pivots are chosen on that copy, so the pivoting is scaled partial pivoting and
// the absolute tolerance of the pivot test acts relative to each equation.
// Every operation is rounded on its own, in the order written.
#include <cmath>
#include <utility>

#include "linsolve/linsolve.hpp"

namespace linsolve {
namespace {

constexpr int kRows = 3;
constexpr int kColumns = 4;

// Column-major working copy with leading dimension 3.
struct Work {
  double w[kRows * kColumns];
  double& operator()(int i, int j) { return w[i + kRows * j]; }
};

}  // namespace

std::int64_t solve(std::int64_t order, const double* a, const double* b, std::int64_t lda,
                   double* x) {
  if (order < 1 || order > kRows) return kSingular;
  const int n = static_cast<int>(order);
  const double zero = 0.0;
  Work w;

  for (int i = 0; i < n; ++i) {
    double largest = 0.0;
    for (int j = 0; j < n; ++j) {
      const double magnitude = std::fabs(a[i + j * lda]);
      if (magnitude > largest) largest = magnitude;  // a NaN never replaces it
    }
    if (largest == 0.0) return kSingular;  // never take the reciprocal of zero
    const double scale = 1.0 / largest;
    for (int j = 0; j < n; ++j) w(i, j) = scale * a[i + j * lda];
    w(i, n) = scale * b[i];
  }

  for (int k = 0; k < n - 1; ++k) {
    double pivot = 0.0;
    int pivot_row = k;
    for (int i = k; i < n; ++i) {
      const double magnitude = std::fabs(w(i, k));
      if (magnitude > pivot) {  // ties stay with the upper row
        pivot = magnitude;
        pivot_row = i;
      }
    }
    if (near_equal(pivot, zero)) return kSingular;
    if (pivot_row != k) {
      for (int j = k; j <= n; ++j) std::swap(w(pivot_row, j), w(k, j));
    }
    for (int i = k + 1; i < n; ++i) {
      const double factor = w(i, k) / w(k, k);
      for (int j = k + 1; j <= n; ++j) w(i, j) = w(i, j) - factor * w(k, j);
    }
  }
  if (near_equal(w(n - 1, n - 1), zero)) return kSingular;

  x[n - 1] = w(n - 1, n) / w(n - 1, n - 1);
  for (int i = n - 2; i >= 0; --i) {
    double sum = 0.0;
    for (int j = i + 1; j < n; ++j) sum = sum + w(i, j) * x[j];
    x[i] = (w(i, n) - sum) / w(i, i);
  }
  return kSolved;
}

}  // namespace linsolve
