#include <gtest/gtest.h>

#include "critval/critval.hpp"
#include "test_support.hpp"

namespace {

using testing_support::bits;
using testing_support::printed;

TEST(Asymptotic, TableOfValues) {
  struct Row {
    std::int64_t n;
    double alpha, expected;
  };
  const Row rows[] = {
      {2, 0.05, 3.97980369},    {10, 0.05, 3.40381153},  {20, 0.05, 3.49675874},
      {50, 0.05, 3.66742220},   {100, 0.05, 3.81008757}, {200, 0.05, 3.95645829},
      {500, 0.05, 4.15034349},  {100, 0.01, 4.34047027}, {100, 0.1, 3.58149439},
      {1000, 0.01, 4.72841007}, {7, 0.05, 3.38370227},
  };
  for (const Row& row : rows) {
    EXPECT_NEAR(*critval::asymptotic(row.n, row.alpha), row.expected, printed(8, row.expected))
        << "n = " << row.n << ", alpha = " << row.alpha;
  }
}

TEST(Asymptotic, Edges) {
  EXPECT_FALSE(critval::asymptotic(1, 0.05).has_value());
  EXPECT_TRUE(std::isnan(*critval::asymptotic(0, 0.05)));
  EXPECT_TRUE(std::isnan(*critval::asymptotic(-3, 0.05)));
  EXPECT_TRUE(std::isnan(*critval::asymptotic(INT64_MIN, 0.05)));
  for (double alpha : {0.0, -0.0, 1e-17}) {  // 1 + alpha rounds to 1
    const double v = *critval::asymptotic(100, alpha);
    EXPECT_TRUE(std::isinf(v) && v > 0) << alpha;
  }
}

TEST(Asymptotic, ConstantIsLnOfFourPiToNineDecimals) {
  // The double nearest ln(4 x 3.141592654), about 1.3e-10 above ln(4 pi).
  const long double exact = std::log(4.0L * 3.141592654L);
  EXPECT_LE(std::fabs(critval::kLog4Pi - exact),
            0.5L * (std::nextafter(critval::kLog4Pi, 3.0) - critval::kLog4Pi));
  EXPECT_NEAR(critval::kLog4Pi - std::log(4 * 3.14159265358979323846), 1.3e-10, 0.1e-10);
}

TEST(Asymptotic, MinimumAtSevenAndFallingInAlpha) {
  for (std::int64_t n = 2; n < 40; ++n) {
    if (n == 7) continue;
    EXPECT_GT(*critval::asymptotic(n, 0.05), *critval::asymptotic(7, 0.05)) << n;
  }
  for (double alpha = 0.001; alpha < 0.1; alpha += 0.001) {
    EXPECT_GT(*critval::asymptotic(50, alpha), *critval::asymptotic(50, alpha + 0.001)) << alpha;
  }
}

}  // namespace
