// The optimised corrected value, LJUNGCV's bounded value and the solver
// against the straightforward reference, bit for bit, over a wide grid.
#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "critval/anchors.hpp"
#include "critval/critval.hpp"
#include "critval/level.hpp"
#include "linsolve/linsolve.hpp"
#include "reference.hpp"
#include "test_support.hpp"

namespace {

using testing_support::bits;

// A value's bits, or none.
std::optional<std::uint64_t> bits_of(std::optional<double> v) {
  return v ? std::optional(bits(*v)) : std::nullopt;
}

// LJUNGCV's value for accepted arguments, or none.
std::optional<double> ljungcv(std::int64_t n, double alpha, critval::Method method) {
  const critval::Outcome o = critval::Level(alpha, method).outcome(n);
  return o.reason == critval::Reason::kValue ? std::optional(o.value) : std::nullopt;
}

#ifdef KORVALEN_SANITIZED
constexpr int kScale = 10;  // the sanitizer build walks a tenth of the grid
#else
constexpr int kScale = 1;
#endif

TEST(BitIdentity, AnchorConstantsAreTheRunTimeLogAndSqrt) {
  for (const critval::Anchor& a : critval::kAnchors) {
    volatile double size = static_cast<double>(a.size);  // no constant folding
    const double l = std::log(size);
    EXPECT_EQ(bits(a.log), bits(l)) << a.size;
    EXPECT_EQ(bits(a.root), bits(std::sqrt(l + l))) << a.size;
    EXPECT_EQ(bits(a.log_log), bits(std::log(l))) << a.size;
  }
}

// Levels across [0, 0.1]: the ends, round values, levels so small that 1 +/-
// alpha rounds to 1, and a dense sweep.
std::vector<double> levels() {
  std::vector<double> alphas = {
      0.0,     -0.0,  0.1,   0.05,    0.01,  0.001, 1e-300, 5e-324, 1e-17, 1.1e-16,
      2.3e-16, 1e-12, 3e-16, 4.5e-16, 1e-15, 1e-10, 1e-8,   1e-6,   1e-4,  0.0999999999999999};
  for (int k = 1; k < 1000; ++k) alphas.push_back(0.1 * k / 1000.0);
  return alphas;
}

TEST(BitIdentity, CorrectedValueOverEveryCountToTenThousand) {
  const std::vector<double> alphas = levels();
  std::uint64_t compared = 0;
  for (std::int64_t n = 0; n <= 10000; n += kScale) {
    for (double alpha : alphas) {
      ASSERT_EQ(bits_of(critval::corrected(n, alpha)), bits_of(reference::corrected(n, alpha)))
          << "n = " << n << ", alpha = " << alpha;
      ASSERT_EQ(bits_of(ljungcv(n, alpha, critval::Method::kCorrected)),
                bits_of(reference::critical_value(n, alpha, false)))
          << "n = " << n << ", alpha = " << alpha;
      ++compared;
    }
  }
  RecordProperty("compared", std::to_string(compared));
}

TEST(BitIdentity, CorrectedValueForLogUniformCountsToTenToTheTwelve) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> exponent(0.0, 12.0), level(0.0, 0.1);
  const std::vector<double> alphas = levels();
  for (int k = 0; k < 3000000 / kScale; ++k) {
    const auto n = static_cast<std::int64_t>(std::pow(10.0, exponent(random)));
    const double alpha = k % 4 == 0 ? alphas[k / 4 % alphas.size()] : level(random);
    ASSERT_EQ(bits_of(critval::corrected(n, alpha)), bits_of(reference::corrected(n, alpha)))
        << "n = " << n << ", alpha = " << alpha;
    const bool asymptotic = k % 2 == 1;
    ASSERT_EQ(
        bits_of(ljungcv(n, alpha,
                        asymptotic ? critval::Method::kAsymptotic : critval::Method::kCorrected)),
        bits_of(reference::critical_value(n, alpha, asymptotic)))
        << "n = " << n << ", alpha = " << alpha << (asymptotic ? " L" : " C");
  }
}

TEST(BitIdentity, SolverOnRandomSystems) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> value(-4.0, 4.0);
  std::uniform_int_distribution<int> order(0, 4), pick(0, 9);
  for (int k = 0; k < 200000 / kScale; ++k) {
    double a[16], b[4];
    for (double& v : a) v = pick(random) == 0 ? 0.0 : value(random);
    for (double& v : b) v = value(random);
    const std::int64_t n = order(random);
    double x[4] = {1, 2, 3, 4}, y[4] = {1, 2, 3, 4};
    const std::int64_t lda = n < 1 ? 1 : n;
    ASSERT_EQ(linsolve::solve(n, a, b, lda, x), reference::solve(n, a, b, lda, y));
    for (int i = 0; i < 4; ++i) ASSERT_EQ(bits(x[i]), bits(y[i])) << k;
  }
}

}  // namespace
