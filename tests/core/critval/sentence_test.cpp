// LJUNGCV's sentences: the shortest decimals they print, and snprintf's
// contract for the buffer they are written into.
#include "critval/sentence.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <random>
#include <string>

#include "test_support.hpp"

namespace {

using testing_support::bits;
using testing_support::kInf;
using testing_support::kNaN;

std::string shortest(double x) {
  char buffer[64];
  const std::size_t n = critval::format_shortest(x, buffer, sizeof buffer);
  EXPECT_EQ(n, std::string(buffer).size());
  return buffer;
}

TEST(Sentence, ShortestDecimals) {
  struct Row {
    double value;
    const char* text;
  };
  const Row rows[] = {
      {0.05, "0.05"},      {100, "100"},
      {1e6, "1000000"},    {2e8, "200000000"},
      {1e-7, "0.0000001"}, {9.9e-8, "9.9e-08"},
      {1e21, "1e+21"},     {1.5e300, "1.5e+300"},
      {5e-324, "5e-324"},  {0.1 + 0.2, "0.30000000000000004"},
      {-0.0, "-0"},        {-3.25, "-3.25"},
      {kInf, "inf"},       {-kInf, "-inf"},
      {kNaN, "nan"},       {123456789012345680000.0, "123456789012345680000"},
  };
  for (const Row& row : rows) EXPECT_EQ(shortest(row.value), row.text) << row.text;
}

// Digits of a decimal's mantissa without leading or trailing zeros.
std::size_t significant_digits(std::string text) {
  text = text.substr(0, text.find('e'));
  std::erase_if(text, [](char c) { return c < '0' || c > '9'; });
  const std::size_t first = text.find_first_not_of('0');
  return first == std::string::npos ? 0 : text.find_last_not_of('0') - first + 1;
}

// Any bits, and positional numbers with few digits (as n and alpha are written).
TEST(Sentence, ShortestReadsBackOverRandomNumbers) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> decade(-7.0, 21.0);
  std::uniform_int_distribution<int> precision(1, 17);
  for (int i = 0; i < 60000; ++i) {
    double x = std::bit_cast<double>(random());
    if (i % 2 == 1) {  // 10^-7 to 10^21, rounded to 1 to 17 significant digits
      char text[64];
      const auto end = std::to_chars(text, text + sizeof text, std::pow(10.0, decade(random)),
                                     std::chars_format::scientific, precision(random) - 1)
                           .ptr;
      std::from_chars(text, end, x);
    }
    if (std::isnan(x) || std::isinf(x)) continue;
    const std::string text = shortest(x);
    ASSERT_EQ(bits(std::strtod(text.c_str(), nullptr)), bits(x)) << text;
    // As few significant digits as the library's shortest form has.
    char reference[64];
    const auto end =
        std::to_chars(reference, reference + sizeof reference, x, std::chars_format::scientific)
            .ptr;
    ASSERT_EQ(significant_digits(text), significant_digits(std::string(reference, end))) << text;
  }
}

TEST(Sentence, WrittenAsSnprintfWrites) {
  const critval::Outcome rejected{critval::kMissing, critval::kInvalidArgument, 2,
                                  critval::Method::kCorrected};
  const std::string whole =
      "argument 2 (alpha) rejected: alpha = 0.2 must lie between 0 and 0.1 inclusive "
      "(status 120836)";
  EXPECT_EQ(critval::explain(100, 0.2, std::nullopt, rejected, nullptr, 0), whole.size());
  for (std::size_t size : {std::size_t{1}, std::size_t{10}, whole.size(), whole.size() + 1}) {
    std::string buffer(size + 4, '#');
    EXPECT_EQ(critval::explain(100, 0.2, std::nullopt, rejected, buffer.data(), size),
              whole.size());
    EXPECT_EQ(std::string(buffer.c_str()), whole.substr(0, size - 1)) << size;
    EXPECT_EQ(buffer.substr(size), "####") << size;  // nothing past size
  }
  const critval::Outcome value{3.8, critval::kSuccess, 0, critval::Method::kCorrected};
  char empty[4] = "xyz";
  EXPECT_EQ(critval::explain(100, 0.05, std::nullopt, value, empty, sizeof empty), 0u);
  EXPECT_STREQ(empty, "");
}

TEST(Sentence, QuotedMethodsAreBounded) {
  const critval::Outcome rejected{critval::kMissing, critval::kInvalidArgument, 3,
                                  critval::Method::kCorrected};
  const auto sentence = [&](std::string_view method) {
    std::string text(critval::explain(100, 0.05, method, rejected, nullptr, 0), '\0');
    critval::explain(100, 0.05, method, rejected, text.data(), text.size() + 1);
    return text;
  };
  EXPECT_NE(sentence(std::string_view("L\0x\t", 4)).find("'L\\x00x\\x09' is not one of L, C, "),
            std::string::npos);
  const std::string long_one = sentence(std::string(65000, 'x'));
  EXPECT_NE(long_one.find("'" + std::string(32, 'x') + "...' (65000 bytes)"), std::string::npos);
  EXPECT_LT(long_one.size(), 200u);
}

}  // namespace
