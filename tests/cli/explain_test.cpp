// ljungcv's reasons: the C library's sentence where it agrees with the loaded
// module on the call, the status alone where it does not.
#include "cli/explain.hpp"

#include <gtest/gtest.h>
#include <korvalen/korvalen.h>

#include <string>

namespace {

host::Evaluation as_library(double n, double alpha, const char* method) {
  const korvalen_result r = korvalen_ljungcv(n, alpha, method);
  return {r.value, r.status, r.rejected, r.rejected != 0};
}

TEST(Explainer, TheLibrarysWordsOnlyWhereItAgrees) {
  cli::Explainer explainer;
  EXPECT_EQ(explainer.sentence(100, 0.05, std::nullopt, as_library(100, 0.05, nullptr)), "");
  EXPECT_EQ(explainer.sentence(100, 0.2, "C", as_library(100, 0.2, "C")),
            "argument 2 (alpha) rejected: alpha = 0.2 must lie between 0 and 0.1 inclusive "
            "(status 120836)");
  // A NUL in a method reaches the library spelled out, and is quoted so.
  const std::string with_nul("L\0x", 3);
  EXPECT_NE(explainer.sentence(100, 0.05, with_nul, as_library(100, 0.05, "x"))
                .find("'L\\x00x' is not one of"),
            std::string::npos);
  EXPECT_FALSE(explainer.disagreed());

  // A module that gives another missing value, or flags another argument.
  host::Evaluation other = as_library(0, 0.05, nullptr);
  other.value = 0.0 / 0.0;
  EXPECT_EQ(explainer.sentence(0, 0.05, std::nullopt, other), "status 120833");
  EXPECT_TRUE(explainer.disagreed());
  cli::Explainer second;
  host::Evaluation flagged = as_library(100, 0.2, nullptr);
  flagged.flagged = 1;
  EXPECT_EQ(second.sentence(100, 0.2, std::nullopt, flagged), "status 120836");
  EXPECT_TRUE(second.disagreed());
}

}  // namespace
