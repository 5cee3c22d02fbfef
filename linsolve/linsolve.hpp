// Small dense linear systems (order 1 to 3) and the tolerance comparison used
// for their pivots. No allocation, no state.
#pragma once

#include <cstdint>

namespace linsolve {

// Absolute tolerance below which a pivot counts as zero.
inline constexpr double kTolerance = 3.834e-20;

inline constexpr std::int64_t kSolved = 1;
inline constexpr std::int64_t kSingular = 2;

// Solves A x = b with row equilibration and partial pivoting.
//   n    in   order, 1 to 3 (anything else is reported singular)
//   a    in   n x n matrix by columns, element (i, j) at a[i + j * lda]; never written
//   b    in   n right-hand-side values; never written
//   lda  in   leading dimension of a, at least n
//   x    out  n solution values, written only when solved
// Returns kSolved or kSingular.
std::int64_t solve(std::int64_t n, const double* a, const double* b, std::int64_t lda, double* x);

// 1 when |a - b| < kTolerance, else 0 (also for NaN).
std::int64_t near_equal(double a, double b);

// As near_equal, but two NaNs are equal and one NaN is unequal to anything.
std::int64_t near_equal_missing(double a, double b);

}  // namespace linsolve
