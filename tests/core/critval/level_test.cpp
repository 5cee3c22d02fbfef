// LJUNGCV as numbers: the argument checks, and the bound that keeps every
// value for n >= 2 at or above the value for a single statistic.
#include "critval/ljungcv.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "critval/critval.hpp"
#include "critval/fit.hpp"
#include "test_support.hpp"

namespace {

using critval::Method;
using testing_support::bits;
using testing_support::kInf;
using testing_support::kNaN;

double single(double alpha) {
  std::int64_t fault = 0;
  return critval::normal_quantile(1.0 - 0.5 * alpha, fault);
}

TEST(Ljungcv, BoundTakesOverWhereTheCorrectedCurveTurnsDown) {
  struct Row {
    double alpha;
    std::int64_t last_value;  // the first missing value follows it
  };
  const Row rows[] = {{0.001, 425087435}, {1e-4, 845122}, {1e-6, 30962}};
  for (const Row& row : rows) {
    const std::int64_t first_missing = row.last_value + 1;
    const double before = critval::critical_value(row.last_value, row.alpha, Method::kCorrected);
    EXPECT_EQ(bits(before), bits(critval::corrected(row.last_value, row.alpha))) << row.alpha;
    EXPECT_GE(before, single(row.alpha));
    EXPECT_LT(critval::corrected(first_missing, row.alpha), single(row.alpha)) << row.alpha;
    EXPECT_TRUE(std::isnan(critval::critical_value(first_missing, row.alpha, Method::kCorrected)));
    EXPECT_EQ(critval::why_no_value(first_missing, row.alpha, Method::kCorrected),
              critval::NoValue::kBelowSingle);
    // The asymptotic method still has its value there.
    const double asymptotic =
        critval::critical_value(first_missing, row.alpha, Method::kAsymptotic);
    EXPECT_EQ(bits(asymptotic), bits(critval::asymptotic(first_missing, row.alpha)));
  }
  // At tiny levels the curve also dips below the single value at n = 3.
  EXPECT_LT(critval::corrected(3, 1e-8), single(1e-8));
  EXPECT_TRUE(std::isnan(critval::critical_value(3, 1e-8, Method::kCorrected)));
  // n = 1 is the single value itself; alpha = 0 keeps its +infinity.
  EXPECT_EQ(bits(critval::critical_value(1, 1e-8, Method::kCorrected)), bits(single(1e-8)));
  EXPECT_EQ(critval::critical_value(10, 0.0, Method::kAsymptotic), kInf);
}

TEST(Ljungcv, TwoStatisticValueIsNeverBelowTheSingleOne) {
  // Why the bound needs computing only below the two-statistic value: a sweep
  // of levels by steps of 0.05 % from 1e-18 (rounding dominates there) to 0.1.
  for (double alpha = 1e-18; alpha <= 0.1; alpha *= 1.0005) {
    double x[3], exact_two;
    if (critval::fit(alpha, x, exact_two)) {
      ASSERT_GE(exact_two, single(alpha)) << alpha;
    }
  }
}

TEST(Ljungcv, ArgumentsInTheirOrder) {
  struct Row {
    double n, alpha;
    std::int64_t count;
    int rejected;
  };
  const Row rows[] = {
      {10.9, 0.05, 10, 0},         {-0.7, 0.1, 0, 0},          {kNaN, 5.0, 0, 1},
      {1e300, -0.0, INT64_MIN, 0}, {-kInf, 0.0, INT64_MIN, 0}, {10, 0.1000001, 10, 2},
      {10, kNaN, 10, 2},           {10, -1e-300, 10, 2},
  };
  for (const Row& row : rows) {
    const critval::Arguments a = critval::check_arguments(row.n, row.alpha);
    EXPECT_EQ(a.rejected, row.rejected) << row.n << " " << row.alpha;
    if (row.rejected != 1) {
      EXPECT_EQ(a.n, row.count) << row.n;
    }
  }
  EXPECT_EQ(critval::truncate_count(9223372036854774784.0), 9223372036854774784);
  EXPECT_EQ(critval::truncate_count(-9223372036854775808.0), INT64_MIN);
}

TEST(Ljungcv, ReasonsForNoValue) {
  struct Row {
    std::int64_t n;
    double alpha;
    Method method;
    critval::NoValue why;
  };
  const Row rows[] = {
      {0, 0.05, Method::kCorrected, critval::NoValue::kCountBelowOne},
      {1, 0.05, Method::kAsymptotic, critval::NoValue::kSingleAsymptotic},
      {100, 0.0, Method::kCorrected, critval::NoValue::kLevelQuantile},
      {100, 1e-16, Method::kCorrected, critval::NoValue::kLevelQuantile},
      {100, 3e-16, Method::kCorrected, critval::NoValue::kLevelAnchors},
      {100, 0.05, Method::kCorrected, critval::NoValue::kNone},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(critval::why_no_value(row.n, row.alpha, row.method), row.why)
        << row.n << " " << row.alpha;
  }
}

}  // namespace
