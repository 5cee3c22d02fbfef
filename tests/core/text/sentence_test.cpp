// LJUNGCV's sentences: formatted from the outcome alone, bounded, and written
// under snprintf's contract for the buffer.
#include "text/sentence.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "test_support.hpp"

namespace {

using critval::Method;
using critval::Reason;

std::string sentence(double n, double alpha, std::optional<std::string_view> method,
                     const critval::Outcome& outcome) {
  std::string text(critval::explain(n, alpha, method, outcome, nullptr, 0), '\0');
  critval::explain(n, alpha, method, outcome, text.data(), text.size() + 1);
  return text;
}

// Each reason in its words, from the outcome alone: an outcome that no
// evaluation could give is written all the same.
TEST(Sentence, EachReason) {
  const double nan = std::nan("");
  struct Row {
    double n, alpha;
    critval::Outcome outcome;
    const char* text;
  };
  const Row rows[] = {
      {nan, 0.05, critval::rejected(Reason::kNMissing),
       "argument 1 (n) rejected: n is missing (NA, NaN or empty)"},
      {10, nan, critval::rejected(Reason::kAlphaMissing),
       "argument 2 (alpha) rejected: alpha is missing (NA, NaN or empty)"},
      {10, 0.2, critval::rejected(Reason::kAlphaOutside),
       "argument 2 (alpha) rejected: alpha = 0.2 must lie between 0 and 0.1 inclusive"},
      {0.5,
       0.05,
       {nan, Reason::kCountBelowOne, Method::kAsymptotic},
       "LJUNGCV(0.5, 0.05) by the asymptotic method gave no value: n truncates to a count below "
       "1 (or beyond 64 bits), which has no critical value"},
      {100,
       0.0,
       {nan, Reason::kLevelQuantile, Method::kCorrected},
       "LJUNGCV(100, 0) by the corrected method gave no value: alpha is 0 or so small that the "
       "normal quantile's probability rounds to 1; the corrected method needs a larger alpha "
       "(the asymptotic method, L, gives +infinity there)"},
      {2e8,
       1e-6,
       {8.25, Reason::kBelowSingle, Method::kCorrected},
       "LJUNGCV(200000000, 0.000001) by the corrected method gave no value: the value would lie "
       "below the value for a single statistic: the corrected curve has turned down at this "
       "level; the asymptotic method, L, gives 8.25"},
      {100, 0.05, {3.8, Reason::kValue, Method::kCorrected}, ""},
  };
  for (const Row& row : rows) EXPECT_EQ(sentence(row.n, row.alpha, "C", row.outcome), row.text);
}

TEST(Sentence, WrittenAsSnprintfWrites) {
  const critval::Outcome rejected = critval::rejected(Reason::kAlphaOutside);
  const std::string whole =
      "argument 2 (alpha) rejected: alpha = 0.2 must lie between 0 and 0.1 inclusive";
  EXPECT_EQ(critval::explain(100, 0.2, std::nullopt, rejected, nullptr, 0), whole.size());
  for (std::size_t size : {std::size_t{1}, std::size_t{10}, whole.size(), whole.size() + 1}) {
    std::string buffer(size + 4, '#');
    EXPECT_EQ(critval::explain(100, 0.2, std::nullopt, rejected, buffer.data(), size),
              whole.size());
    EXPECT_EQ(std::string(buffer.c_str()), whole.substr(0, size - 1)) << size;
    EXPECT_EQ(buffer.substr(size), "####") << size;  // nothing past size
  }
  const critval::Outcome value{3.8, Reason::kValue, Method::kCorrected};
  char empty[4] = "xyz";
  EXPECT_EQ(critval::explain(100, 0.05, std::nullopt, value, empty, sizeof empty), 0u);
  EXPECT_STREQ(empty, "");
}

TEST(Sentence, QuotedMethodsAreBounded) {
  const critval::Outcome rejected = critval::rejected(Reason::kMethodUnknown);
  EXPECT_NE(sentence(100, 0.05, std::string_view("L\0x\t", 4), rejected)
                .find("'L\\x00x\\x09' is not one of L, C, "),
            std::string::npos);
  const std::string long_one = sentence(100, 0.05, std::string(65000, 'x'), rejected);
  EXPECT_NE(long_one.find("'" + std::string(32, 'x') + "...' (65000 bytes)"), std::string::npos);
  EXPECT_LT(long_one.size(), 200u);
}

}  // namespace
