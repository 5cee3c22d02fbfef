// The one decision: a value, or why there is none, for accepted arguments; the
// argument checks before it; and the bound that keeps every value for n >= 2
// at or above the value for a single statistic.
#include "critval/level.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "critval/checks.hpp"
#include "critval/critval.hpp"
#include "critval/terms.hpp"
#include "test_support.hpp"

namespace {

using critval::Method;
using critval::Reason;
using testing_support::bits;
using testing_support::kInf;
using testing_support::kNaN;

double single(double alpha) {
  std::int64_t fault = 0;
  return critval::normal_quantile(1.0 - 0.5 * alpha, fault);
}

critval::Outcome at(std::int64_t n, double alpha, Method method) {
  return critval::Level(alpha, method).outcome(n);
}

TEST(Level, BoundTakesOverWhereTheCorrectedCurveTurnsDown) {
  struct Row {
    double alpha;
    std::int64_t last_value;  // the first missing value follows it
  };
  const Row rows[] = {{0.001, 425087435}, {1e-4, 845122}, {1e-6, 30962}};
  for (const Row& row : rows) {
    const std::int64_t first_missing = row.last_value + 1;
    const critval::Outcome before = at(row.last_value, row.alpha, Method::kCorrected);
    EXPECT_EQ(bits(before.value), bits(*critval::corrected(row.last_value, row.alpha)));
    EXPECT_GE(before.value, single(row.alpha));
    EXPECT_LT(*critval::corrected(first_missing, row.alpha), single(row.alpha)) << row.alpha;
    const critval::Outcome after = at(first_missing, row.alpha, Method::kCorrected);
    EXPECT_EQ(after.reason, Reason::kBelowSingle);
    // The asymptotic method still has its value there, and the outcome names it.
    const double asymptotic = *critval::asymptotic(first_missing, row.alpha);
    EXPECT_EQ(bits(at(first_missing, row.alpha, Method::kAsymptotic).value), bits(asymptotic));
    EXPECT_EQ(bits(after.value), bits(asymptotic));
  }
  // At tiny levels the curve also dips below the single value at n = 3.
  EXPECT_LT(*critval::corrected(3, 1e-8), single(1e-8));
  EXPECT_EQ(at(3, 1e-8, Method::kCorrected).reason, Reason::kBelowSingle);
  // n = 1 is the single value itself; alpha = 0 keeps its +infinity.
  EXPECT_EQ(bits(at(1, 1e-8, Method::kCorrected).value), bits(single(1e-8)));
  EXPECT_EQ(at(10, 0.0, Method::kAsymptotic).value, kInf);
}

TEST(Level, TwoStatisticValueIsNeverBelowTheSingleOne) {
  // Why the bound needs computing only below the two-statistic value: a sweep
  // of levels by steps of 0.05 % from 1e-18 (rounding dominates there) to 0.1.
  for (double alpha = 1e-18; alpha <= 0.1; alpha *= 1.0005) {
    double x[3], exact_two;
    if (critval::fit(alpha, x, exact_two)) {
      ASSERT_GE(exact_two, single(alpha)) << alpha;
    }
  }
}

TEST(Level, ArgumentsInTheirOrder) {
  struct Row {
    double n, alpha;
    std::int64_t count;
    Reason rejected;
  };
  const Row rows[] = {
      {10.9, 0.05, 10, Reason::kValue},        {-0.7, 0.1, 0, Reason::kValue},
      {kNaN, 5.0, 0, Reason::kNMissing},       {1e300, -0.0, INT64_MIN, Reason::kValue},
      {-kInf, 0.0, INT64_MIN, Reason::kValue}, {10, 0.1000001, 10, Reason::kAlphaOutside},
      {10, kNaN, 10, Reason::kAlphaMissing},   {10, -1e-300, 10, Reason::kAlphaOutside},
  };
  for (const Row& row : rows) {
    const critval::Arguments a = critval::check_arguments(row.n, row.alpha);
    EXPECT_EQ(a.rejected, row.rejected) << row.n << " " << row.alpha;
    if (row.rejected != Reason::kNMissing) {
      EXPECT_EQ(a.n, row.count) << row.n;
    }
  }
  EXPECT_EQ(critval::truncate_count(9223372036854774784.0), 9223372036854774784);
  EXPECT_EQ(critval::truncate_count(-9223372036854775808.0), INT64_MIN);
}

// Each reason where the computation meets it, alone and in a block alike.
TEST(Level, ReasonsForNoValue) {
  struct Row {
    std::int64_t n;
    double alpha;
    Method method;
    Reason why;
  };
  const Row rows[] = {
      {0, 0.05, Method::kCorrected, Reason::kCountBelowOne},
      {INT64_MIN, 0.05, Method::kAsymptotic, Reason::kCountBelowOne},
      {1, 0.05, Method::kAsymptotic, Reason::kSingleAsymptotic},
      {1, 0.0, Method::kCorrected, Reason::kLevelQuantile},
      {100, 0.0, Method::kCorrected, Reason::kLevelQuantile},
      {100, 1e-16, Method::kCorrected, Reason::kLevelQuantile},
      {100, 3e-16, Method::kCorrected, Reason::kLevelAnchors},
      {200000000, 1e-6, Method::kCorrected, Reason::kBelowSingle},
      {100, 0.05, Method::kCorrected, Reason::kValue},
      {100, 0.0, Method::kAsymptotic, Reason::kValue},
  };
  for (const Row& row : rows) {
    critval::Level level(row.alpha, row.method);
    critval::Outcome block;
    level.outcomes(&row.n, 1, &block);
    for (const critval::Outcome& o : {at(row.n, row.alpha, row.method), block}) {
      EXPECT_EQ(o.reason, row.why) << row.n << " " << row.alpha;
      EXPECT_EQ(std::isnan(o.value), row.why != Reason::kValue && row.why != Reason::kBelowSingle)
          << row.n << " " << row.alpha;
    }
  }
}

}  // namespace
