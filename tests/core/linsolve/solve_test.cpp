#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "linsolve/linsolve.hpp"
#include "test_support.hpp"

namespace {

using testing_support::bits;
using testing_support::kNaN;

constexpr double kUntouched = -12345.0;

// A system given by rows; stored by columns with the requested leading dimension,
// the elements below row n poisoned with NaN.
struct System {
  std::int64_t n, lda;
  std::vector<double> a, b;
  System(std::vector<std::vector<double>> rows, std::vector<double> rhs, std::int64_t ld = 0)
      : n(static_cast<std::int64_t>(rows.size())), lda(ld ? ld : n), b(std::move(rhs)) {
    a.assign(static_cast<std::size_t>(lda * n), kNaN);
    for (std::int64_t i = 0; i < n; ++i)
      for (std::int64_t j = 0; j < n; ++j) a[i + j * lda] = rows[i][j];
  }
  // Solves and checks that a and b come back bit for bit.
  std::int64_t solve(std::array<double, 3>& x) const {
    const std::vector<double> a0 = a, b0 = b;
    x.fill(kUntouched);
    const std::int64_t fault = linsolve::solve(n, a.data(), b.data(), lda, x.data());
    EXPECT_EQ(std::memcmp(a.data(), a0.data(), a.size() * sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(b.data(), b0.data(), b.size() * sizeof(double)), 0);
    return fault;
  }
};

TEST(Solve, SolvedSystems) {
  struct Case {
    const char* name;
    System system;
    std::array<double, 3> expected;
    double tolerance;
  };
  const Case cases[] = {
      {"t squared", System({{1, 1, 1}, {1, 2, 4}, {1, 3, 9}}, {1, 4, 9}), {0, 0, 1}, 0.0},
      {"mixed", System({{2, 1, 1}, {4, -6, 0}, {-2, 7, 2}}, {5, -2, 9}), {1, 1, 2}, 2e-15},
      {"tiny row lifted", System({{1, 0}, {0, 1e-20}}, {1, 1}), {1, 1e20, kUntouched}, 1e5},
      // Equal pivots in column 0: the upper row's gives these bits, the
      // lower row's -0.44444444444444431 for x1.
      {"tie keeps upper row", System({{3, -2}, {-3, -1}}, {-8, -2}),
       {-0.44444444444444464, 3.333333333333333, kUntouched}, 0.0},
      {"order one", System({{4}}, {2}), {0.5, kUntouched, kUntouched}, 0.0},
      {"lda above n", System({{1, 2}, {3, 4}}, {5, 6}, 3), {-4, 4.5, kUntouched}, 4e-15},
  };
  for (const Case& c : cases) {
    std::array<double, 3> x;
    EXPECT_EQ(c.system.solve(x), linsolve::kSolved) << c.name;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(x[i], c.expected[i], c.tolerance) << c.name << i;
  }
}

TEST(Solve, ScalingAnEquationByAPowerOfTwoChangesNoBit) {
  const System base({{2, 1, 1}, {4, -6, 0}, {-2, 7, 2}}, {5, -2, 9});
  const System scaled({{2, 1, 1}, {32, -48, 0}, {-2.0 / 1024, 7.0 / 1024, 2.0 / 1024}},
                      {5, -16, 9.0 / 1024});
  std::array<double, 3> x, y;
  ASSERT_EQ(base.solve(x), linsolve::kSolved);
  ASSERT_EQ(scaled.solve(y), linsolve::kSolved);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(bits(x[i]), bits(y[i])) << i;
}

TEST(Solve, SingularSystemsLeaveXUntouched) {
  struct Case {
    const char* name;
    System system;
  };
  const Case cases[] = {
      {"proportional rows", System({{1, 2, 3}, {2, 4, 6}, {1, 0, 1}}, {1, 2, 3})},
      {"zero row", System({{1, 2, 3}, {0, 0, 0}, {1, 0, 1}}, {1, 2, 3})},
      {"zeros and NaN row", System({{1, 2}, {kNaN, 0}}, {1, 2})},
      {"zero order one", System({{0}}, {1})},
      {"last pivot eliminates to zero", System({{1, 1}, {1, 1}}, {1, 2})},
      {"last pivot below tolerance", System({{1, 1e-20}, {1, 2e-20}}, {1, 2})},
      {"NaN pivot column", System({{kNaN, 1}, {kNaN, 1}}, {1, 1})},
  };
  for (const Case& c : cases) {
    std::array<double, 3> x;
    EXPECT_EQ(c.system.solve(x), linsolve::kSingular) << c.name;
    for (double v : x) EXPECT_EQ(v, kUntouched) << c.name;
  }
}

TEST(Solve, OrdersOutsideOneToThreeAreSingular) {
  const double a[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const double b[4] = {1, 1, 1, 1};
  for (std::int64_t n : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{4}, INT64_MAX}) {
    std::array<double, 4> x;
    x.fill(kUntouched);
    EXPECT_EQ(linsolve::solve(n, a, b, 4, x.data()), linsolve::kSingular) << n;
    for (double v : x) EXPECT_EQ(v, kUntouched);
  }
}

TEST(Tolerance, NearEqual) {
  struct Row {
    double a, b;
    std::int64_t plain, missing_aware;
  };
  const double missing = std::bit_cast<double>(std::uint64_t{0xFFFFFE0000000000});
  const Row rows[] = {
      {0, 1e-20, 1, 1},   {0, 3.834e-20, 0, 0},     {3.834e-20, 0, 0, 0}, {1, 1 + 0x1p-52, 0, 0},
      {kNaN, kNaN, 0, 1}, {missing, missing, 0, 1}, {missing, 0, 0, 0},   {0, kNaN, 0, 0},
      {-0.0, 0.0, 1, 1},  {1e300, -1e300, 0, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(linsolve::near_equal(r.a, r.b), r.plain) << r.a << " " << r.b;
    EXPECT_EQ(linsolve::near_equal_missing(r.a, r.b), r.missing_aware) << r.a << " " << r.b;
  }
}

}  // namespace
