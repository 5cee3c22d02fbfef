// lassol_ on systems of order 0 to 4 made from the fuzz input, zero and NaN
// rows included: ifault is 1 or 2, a and b never change, x is untouched on 2,
// the answer equals the single-pass reference bit for bit, and for a
// well-conditioned system the residual is small.
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "guarded.hpp"
#include "module/exports.h"
#include "reference.hpp"

namespace {

// Entries are raw doubles or small integers, as the shape byte says.
double entry(fuzzing::Reader& in, bool raw) {
  if (raw) return std::bit_cast<double>(in.take<std::uint64_t>());
  const std::int8_t small = in.take<std::int8_t>();
  return small == -128 ? std::nan("") : small / 8.0;
}

double determinant(std::int64_t n, const double* a, std::int64_t lda) {
  auto at = [&](int i, int j) { return a[i + j * lda]; };
  if (n == 1) return at(0, 0);
  if (n == 2) return at(0, 0) * at(1, 1) - at(0, 1) * at(1, 0);
  return at(0, 0) * (at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1)) -
         at(0, 1) * (at(1, 0) * at(2, 2) - at(1, 2) * at(2, 0)) +
         at(0, 2) * (at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::Reader in(data, size);
  const std::uint8_t shape = in.take<std::uint8_t>();
  std::int64_t n = shape % 5;  // 0..4
  std::int64_t lda = n + ((shape >> 3) & 1);
  if (lda < 1) lda = 1;
  const bool raw = (shape & 0x10) != 0;

  const std::size_t cells = static_cast<std::size_t>(lda * (n < 1 ? 1 : n));
  fuzzing::GuardedBytes a_bytes(cells * 8, fuzzing::GuardedBytes::Edge::kEnd);
  fuzzing::GuardedBytes b_bytes(static_cast<std::size_t>(n < 1 ? 1 : n) * 8,
                                fuzzing::GuardedBytes::Edge::kEnd);
  auto* a = reinterpret_cast<double*>(a_bytes.data());
  auto* b = reinterpret_cast<double*>(b_bytes.data());
  for (std::size_t k = 0; k < cells; ++k) a[k] = entry(in, raw);
  for (std::int64_t k = 0; k < (n < 1 ? 1 : n); ++k) b[k] = entry(in, raw);
  if (shape & 0x20 && n > 0) {  // a zero row
    for (std::int64_t j = 0; j < n; ++j) a[(shape >> 6) % n + j * lda] = 0.0;
  }

  double a0[25], b0[5];
  std::memcpy(a0, a, cells * 8);
  std::memcpy(b0, b, static_cast<std::size_t>(n < 1 ? 1 : n) * 8);
  double x[5] = {7, 7, 7, 7, 7}, y[5] = {7, 7, 7, 7, 7};
  std::int64_t ifault = -1;
  lassol_(&n, a, b, &lda, x, &ifault);

  FUZZ_CHECK(ifault == 1 || ifault == 2);
  FUZZ_CHECK(std::memcmp(a0, a, cells * 8) == 0);
  FUZZ_CHECK(std::memcmp(b0, b, static_cast<std::size_t>(n < 1 ? 1 : n) * 8) == 0);
  if (ifault == 2) {
    for (double v : x) FUZZ_CHECK(v == 7);
  }
  FUZZ_CHECK(reference::solve(n, a0, b0, lda, y) == ifault);
  // Bit for bit, except a NaN's payload: which operand's NaN an operation
  // passes on is the compiler's choice.
  for (int i = 0; i < 5; ++i) {
    FUZZ_CHECK((std::isnan(x[i]) && std::isnan(y[i])) ||
               std::memcmp(&x[i], &y[i], sizeof x[i]) == 0);
  }

  if (ifault == 1 && n >= 1 && n <= 3 && !raw) {
    // Well conditioned: |det| large against the product of the row norms. With
    // entries k/8 the determinant is exact, so the estimate can be trusted.
    double norms = 1.0;
    bool finite = true;
    for (std::int64_t i = 0; i < n; ++i) {
      double row = 0.0;
      for (std::int64_t j = 0; j < n; ++j) {
        finite = finite && std::isfinite(a[i + j * lda]) && std::fabs(a[i + j * lda]) < 1e100;
        row += a[i + j * lda] * a[i + j * lda];
      }
      norms *= std::sqrt(row);
      finite = finite && std::isfinite(b[i]) && std::fabs(b[i]) < 1e100;
    }
    if (finite && norms > 1e-100 && std::fabs(determinant(n, a, lda)) > 1e-3 * norms) {
      // Normwise: |A x - b| against |A| |x| + |b| in the largest magnitudes.
      double largest_a = 0.0, largest_x = 0.0, largest_b = 0.0;
      for (std::int64_t i = 0; i < n; ++i) {
        largest_x = std::fmax(largest_x, std::fabs(x[i]));
        largest_b = std::fmax(largest_b, std::fabs(b[i]));
        for (std::int64_t j = 0; j < n; ++j)
          largest_a = std::fmax(largest_a, std::fabs(a[i + j * lda]));
      }
      const double scale = 3 * largest_a * largest_x + largest_b;
      for (std::int64_t i = 0; i < n; ++i) {
        double residual = -b[i];
        for (std::int64_t j = 0; j < n; ++j) residual += a[i + j * lda] * x[j];
        FUZZ_CHECK(std::fabs(residual) <= 1e-12 * scale + 1e-300);
      }
    }
  }
  return 0;
}
