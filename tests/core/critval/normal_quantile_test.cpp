#include <gtest/gtest.h>

#include "critval/critval.hpp"
#include "test_support.hpp"

namespace {

using testing_support::kNaN;
using testing_support::printed;

TEST(NormalQuantile, TableOfValuesAndFaults) {
  struct Row {
    double p, expected;
    std::int64_t fault;
  };
  const Row rows[] = {
      {0.5, 0.0, 0},
      {0.975, 1.9599639823, 0},
      {0.025, -1.9599639823, 0},
      {0.95, 1.6448536279, 0},
      {0.999, 3.0902322468, 0},
      {0.08, -1.4050715573, 0},
      {0.92, 1.4050715630, 0},
      {0.0, 0.0, 1},
      {1.0, 0.0, 1},
      {1.5, 0.0, 1},
      {-0.2, 0.0, 1},
      {1e-300, -37.0857864784, 0},  // deep in the tail, the rational form summed by hand
  };
  for (const Row& row : rows) {
    std::int64_t fault = -7;
    const double z = critval::normal_quantile(row.p, fault);
    EXPECT_EQ(fault, row.fault) << "p = " << row.p;
    EXPECT_NEAR(z, row.expected, printed(10, row.expected)) << "p = " << row.p;
  }
}

TEST(NormalQuantile, SplitFallsOnDifferentSidesThroughRounding) {
  // 0.08 - 0.5 is exactly -0.42 (central); 0.92 - 0.5 rounds above 0.42 (tail),
  // so the two differ in magnitude in the ninth decimal.
  std::int64_t fault = 0;
  const double low = critval::normal_quantile(0.08, fault);
  const double high = critval::normal_quantile(0.92, fault);
  EXPECT_NE(-low, high);
  EXPECT_NEAR(-low, high, 1e-8);
}

TEST(NormalQuantile, OddSymmetryInTheCentralRegion) {
  for (int k = 82; k < 512; k += 17) {
    const double p = k / 1024.0;  // dyadic: p - 0.5 and 1 - p are exact
    std::int64_t f1 = 0, f2 = 0;
    EXPECT_EQ(critval::normal_quantile(p, f1), -critval::normal_quantile(1.0 - p, f2)) << p;
  }
}

TEST(NormalQuantile, NaNPassesThroughWithoutFault) {
  std::int64_t fault = 9;
  EXPECT_TRUE(std::isnan(critval::normal_quantile(kNaN, fault)));
  EXPECT_EQ(fault, 0);
}

}  // namespace
