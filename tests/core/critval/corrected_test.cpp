#include <gtest/gtest.h>

#include "critval/critval.hpp"
#include "critval/terms.hpp"
#include "test_support.hpp"

namespace {

using testing_support::bits;
using testing_support::printed;

TEST(Corrected, TableOfValues) {
  struct Row {
    std::int64_t n;
    double alpha, expected;
  };
  const Row rows[] = {
      {1, 0.05, 1.95996398},    {2, 0.05, 2.23647665},   {10, 0.05, 3.08711034},
      {20, 0.05, 3.35754171},   {50, 0.05, 3.63834398},  {100, 0.05, 3.81008757},
      {200, 0.05, 3.95645829},  {500, 0.05, 4.12056723}, {100, 0.01, 4.34047027},
      {1000, 0.01, 4.61917793}, {100, 0.1, 3.58149439},  {150, 0.05, 3.89837261},
  };
  for (const Row& row : rows) {
    EXPECT_NEAR(*critval::corrected(row.n, row.alpha), row.expected, printed(8, row.expected))
        << "n = " << row.n << ", alpha = " << row.alpha;
  }
}

TEST(Corrected, FittedCoefficients) {
  struct Row {
    double alpha, x1, x2, x3;
  };
  const Row rows[] = {
      {0.05, 8.48540181, -6.72193635, -0.05965070},
      {0.01, 14.69090281, -11.92663724, -0.78299946},
      {0.1, 6.63919849, -5.31092099, 0.16250363},
  };
  for (const Row& row : rows) {
    double x[3], exact_two;
    ASSERT_TRUE(critval::fit(row.alpha, x, exact_two));
    EXPECT_NEAR(x[0], row.x1, printed(8, row.x1)) << row.alpha;
    EXPECT_NEAR(x[1], row.x2, printed(8, row.x2)) << row.alpha;
    EXPECT_NEAR(x[2], row.x3, printed(8, row.x3)) << row.alpha;
  }
}

TEST(Corrected, PassesThroughItsAnchors) {
  for (double alpha : {0.001, 0.01, 0.05, 0.1}) {
    for (std::int64_t n : {100, 200}) {
      const double fitted = *critval::corrected(n, alpha);
      EXPECT_NEAR(fitted, *critval::asymptotic(n, alpha), 1e-13 * fitted) << n << " " << alpha;
    }
    std::int64_t fault = 0;
    const double exact2 = critval::normal_quantile((std::sqrt(1.0 - alpha) + 1.0) * 0.5, fault);
    EXPECT_NEAR(*critval::corrected(2, alpha), exact2, 1e-13 * exact2) << alpha;
  }
}

TEST(Corrected, BelowTheAsymptoticValueOutsideTheAnchorsAndAboveBetween) {
  for (std::int64_t n : {2, 3, 10, 50, 99, 201, 500, 100000}) {
    EXPECT_LT(*critval::corrected(n, 0.05), *critval::asymptotic(n, 0.05)) << n;
  }
  for (std::int64_t n : {101, 150, 199}) {
    EXPECT_GT(*critval::corrected(n, 0.05), *critval::asymptotic(n, 0.05)) << n;
  }
}

TEST(Corrected, Failures) {
  for (std::int64_t n : {1, 2, 100, 1000}) {
    EXPECT_FALSE(critval::corrected(n, 0.0).has_value()) << n;
    EXPECT_FALSE(critval::corrected(n, 1e-17).has_value()) << n;
  }
  for (std::int64_t n : {std::int64_t{0}, std::int64_t{-1}, INT64_MIN}) {
    const double v = *critval::corrected(n, 0.05);
    EXPECT_TRUE(std::isnan(v)) << n;
  }
}

}  // namespace
