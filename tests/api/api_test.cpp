// The C API against LJUNGCV through the stand-in host, bit for bit, and the
// array form's recycling.
#include <gtest/gtest.h>
#include <korvalen/korvalen.h>

#include <cstring>
#include <vector>

#include "host/host.hpp"
#include "test_support.hpp"

namespace {

using testing_support::bits;
using testing_support::kInf;
using testing_support::kNaN;

const char* const kMethods[] = {nullptr, "L", "c",  " ljung ", "CORRECTED",  "L C",    "C CORR",
                                "",      " ", "LJ", "x",       "CORRECTEDX", "C  CORR"};

TEST(Api, SameAsTheHostOverAGrid) {
  host::Host host;
  host::Module module(host, KORVALEN_MODULE_PATH);
  const double ns[] = {kNaN, -kInf, -3,  0,   0.7,    1,   1.5,  2,    3,
                       10.9, 100,   150, 3e4, 845123, 2e8, 1e15, 1e19, kInf};
  const double alphas[] = {kNaN, -1e-300, -0.0,  0.0,  1e-300, 1e-16,     3e-16, 1e-8,
                           1e-6, 1e-4,    0.001, 0.05, 0.1,    0.1000001, kInf};
  std::size_t compared = 0;
  for (const char* method : kMethods) {
    for (double alpha : alphas) {
      for (double n : ns) {
        const host::Evaluation e =
            method ? module.evaluate(n, alpha, method) : module.evaluate(n, alpha);
        const korvalen_result r = korvalen_ljungcv(n, alpha, method);
        ASSERT_EQ(bits(r.value), bits(e.value))
            << n << " " << alpha << " " << (method ? method : "-");
        ASSERT_EQ(r.status, e.status) << n << " " << alpha;
        ASSERT_EQ(r.rejected, e.flagged) << n << " " << alpha;
        ++compared;
      }
    }
  }
  EXPECT_EQ(compared, std::size(kMethods) * std::size(alphas) * std::size(ns));
}

TEST(Api, ArrayRecyclesEachArgument) {
  const double n[] = {10, 100, 1000};
  const double alpha[] = {0.05, 0.2};
  const char* const method[] = {"L", nullptr, "x", "C"};
  constexpr std::size_t kCount = 12;
  double values[kCount];
  std::int32_t statuses[kCount], rejected[kCount];
  const std::size_t without =
      korvalen_ljungcv_array(kCount, n, 3, alpha, 2, method, 4, values, statuses, rejected);
  std::size_t expected_without = 0;
  for (std::size_t i = 0; i < kCount; ++i) {
    const korvalen_result r = korvalen_ljungcv(n[i % 3], alpha[i % 2], method[i % 4]);
    EXPECT_EQ(bits(values[i]), bits(r.value)) << i;
    EXPECT_EQ(statuses[i], r.status) << i;
    EXPECT_EQ(rejected[i], r.rejected) << i;
    expected_without += r.status != KORVALEN_SUCCESS;
  }
  EXPECT_EQ(without, expected_without);
  EXPECT_GT(without, 0u);

  // One method, or none, for every element; the optional outputs left out.
  const char* const lone[] = {"L"};
  korvalen_ljungcv_array(3, n, 3, alpha, 1, lone, 1, values, nullptr, nullptr);
  EXPECT_EQ(bits(values[1]), bits(korvalen_ljungcv(100, 0.05, "L").value));
  korvalen_ljungcv_array(3, n, 3, alpha, 1, nullptr, 0, values, nullptr, nullptr);
  EXPECT_EQ(bits(values[2]), bits(korvalen_ljungcv(1000, 0.05, nullptr).value));

  // What cannot be recycled writes nothing.
  values[0] = 7;
  EXPECT_EQ(korvalen_ljungcv_array(2, n, 0, alpha, 2, nullptr, 0, values, nullptr, nullptr),
            SIZE_MAX);
  EXPECT_EQ(korvalen_ljungcv_array(2, n, 3, nullptr, 2, nullptr, 0, values, nullptr, nullptr),
            SIZE_MAX);
  EXPECT_EQ(values[0], 7);
  EXPECT_EQ(
      korvalen_ljungcv_array(0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr), 0u);
}

TEST(Api, VersionIsTheProjects) {
  EXPECT_STREQ(korvalen_version(), KORVALEN_VERSION);
}

}  // namespace
