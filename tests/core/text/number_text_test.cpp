// Numbers as the sentences write them: the form every surface prints, which
// is std::to_chars's (positional from 1e-7 up to 1e21, its shortest beyond).
#include "text/number_text.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "test_support.hpp"

namespace {

using testing_support::kInf;
using testing_support::kNaN;

std::string written(double x) {
  char buffer[64];
  const std::size_t n = critval::format_shortest(x, buffer, sizeof buffer);
  EXPECT_EQ(n, std::string(buffer).size());
  return buffer;
}

std::string to_chars(double x) {
  char buffer[400];
  const double m = std::fabs(x);
  const auto end = m == 0.0 || (m >= 1e-7 && m < 1e21)
                       ? std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed)
                       : std::to_chars(buffer, buffer + sizeof buffer, x);
  return std::string(buffer, end.ptr);
}

TEST(NumberText, Forms) {
  struct Row {
    double value;
    const char* text;
  };
  const Row rows[] = {
      {0.05, "0.05"},
      {1e6, "1000000"},
      {1e-7, "0.0000001"},
      {9.9e-8, "9.9e-08"},
      {1e21, "1e+21"},
      {1.5e300, "1.5e+300"},
      {5e-324, "5e-324"},
      {0.1 + 0.2, "0.30000000000000004"},
      {-0.0, "-0"},
      {kInf, "inf"},
      {-kInf, "-inf"},
      {kNaN, "nan"},
      // Beside a power of two the nearest 16 digits do not read back; the
      // next ones up do.
      {-6.310887241768095e-30, "-6.310887241768095e-30"},
      // An integer written out whole is itself, where that is no longer.
      {123456789012345680000.0, "123456789012345683968"},
      {0x1p70, "1180591620717411303424"},
  };
  for (const Row& row : rows) EXPECT_EQ(written(row.value), row.text) << row.text;
}

// Every power of two with its neighbours (where the shortest forms are
// hardest), any bits, and short decimals as n and alpha are written.
TEST(NumberText, EqualsToCharsOnEveryKindOfDouble) {
  for (int e = -1074; e <= 1023; ++e) {
    const double p = std::ldexp(1.0, e);
    for (const double x : {p, -p, std::nextafter(p, 0.0), std::nextafter(p, kInf)}) {
      ASSERT_EQ(written(x), to_chars(x)) << e;
    }
  }
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> digits(0, 99999), exponent(-30, 30);
  for (int i = 0; i < 100000; ++i) {
    const double x = std::bit_cast<double>(random());
    if (!std::isnan(x)) {
      ASSERT_EQ(written(x), to_chars(x));
    }
    const double y = digits(random) * std::pow(10.0, exponent(random));
    ASSERT_EQ(written(y), to_chars(y));
  }
}

}  // namespace
