// The C API against LJUNGCV through the stand-in host, bit for bit, and the
// array form's recycling.
#include <gtest/gtest.h>
#include <korvalen/korvalen.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "loaded_module.hpp"
#include "test_support.hpp"

namespace {

using testing_support::bits;
using testing_support::kInf;
using testing_support::kNaN;

const char* const kMethods[] = {nullptr, "L", "c",  " ljung ", "CORRECTED",  "L C",    "C CORR",
                                "",      " ", "LJ", "x",       "CORRECTEDX", "C  CORR"};

using ApiAndHost = testing_support::LoadedModule;

TEST_F(ApiAndHost, SameOverAGrid) {
  const double ns[] = {kNaN, -kInf, -3,  0,   0.7,    1,   1.5,  2,    3,
                       10.9, 100,   150, 3e4, 845123, 2e8, 1e15, 1e19, kInf};
  const double alphas[] = {kNaN, -1e-300, -0.0,  0.0,  1e-300, 1e-16,     3e-16, 1e-8,
                           1e-6, 1e-4,    0.001, 0.05, 0.1,    0.1000001, kInf};
  for (const char* method : kMethods) {
    for (double alpha : alphas) {
      for (double n : ns) {
        const host::Evaluation e =
            method ? module_.evaluate(n, alpha, method) : module_.evaluate(n, alpha);
        const korvalen_result r = korvalen_ljungcv(n, alpha, method);
        ASSERT_EQ(bits(r.value), bits(e.value))
            << n << " " << alpha << " " << (method ? method : "-");
        ASSERT_EQ(r.status, e.status) << n << " " << alpha;
        ASSERT_EQ(r.rejected, e.flagged) << n << " " << alpha;
        // A sentence exactly where there is no value, naming the rejected argument.
        char why[512];
        const std::size_t length = korvalen_explain(n, alpha, method, why, sizeof why);
        ASSERT_EQ(length == 0, r.status == KORVALEN_SUCCESS) << why;
        ASSERT_EQ(korvalen_explain(n, alpha, method, nullptr, 0), length);
        if (r.rejected != 0) {
          ASSERT_EQ(std::string(why).rfind("argument " + std::to_string(r.rejected), 0), 0u) << why;
        }
        // Without a NUL, the bytes forms are the terminated ones.
        const std::size_t size = method ? std::strlen(method) : 0;
        ASSERT_EQ(bits(korvalen_ljungcv_bytes(n, alpha, method, size).value), bits(r.value));
        korvalen_result same;
        ASSERT_EQ(korvalen_explain_bytes(n, alpha, method, size, nullptr, 0, &same), length);
        ASSERT_EQ(bits(same.value), bits(r.value));
        ASSERT_EQ(same.status, r.status);
        ASSERT_EQ(same.rejected, r.rejected);
      }
    }
  }
}

// A method with a NUL inside, as the host may pass it: the module's reading,
// and a sentence that quotes and counts the bytes given.
TEST_F(ApiAndHost, BytesFormTakesTheBytesGiven) {
  const std::string long_one = std::string(47, 'a') + '\0' + 'b';
  const struct {
    std::string_view method;
    const char* quoted;  // in the sentence; null: a value
  } cases[] = {
      {std::string_view("L\0", 2), "'L\\x00'"},
      {std::string_view("\0C", 2), "'\\x00C'"},
      {std::string_view("L", 1), nullptr},
      {std::string_view(" c ", 3), nullptr},
      {long_one, "...' (49 bytes)"},
  };
  for (const auto& c : cases) {
    const host::Evaluation e = module_.evaluate(100, 0.05, c.method);
    const korvalen_result r = korvalen_ljungcv_bytes(100, 0.05, c.method.data(), c.method.size());
    EXPECT_EQ(bits(r.value), bits(e.value)) << c.method;
    EXPECT_EQ(r.status, e.status) << c.method;
    EXPECT_EQ(r.rejected, e.flagged) << c.method;
    char why[512];
    korvalen_explain_bytes(100, 0.05, c.method.data(), c.method.size(), why, sizeof why, nullptr);
    if (c.quoted == nullptr) {
      EXPECT_STREQ(why, "");
    } else {
      EXPECT_NE(std::string(why).find(c.quoted), std::string::npos) << why;
    }
  }
}

// The array form against the scalar call, element by element: runs of one
// level, a level changing on every element, and a method changing in a run.
TEST(Api, ArrayIsTheScalarCallBitForBit) {
  const std::vector<double> ns = {1, 2, 3, 100, 200, 1e6, 1e12, 1e300, kNaN, 0.5};
  const std::vector<double> alphas = {0, 1e-300, 1e-7, 0.001, 0.05, 0.1, 0.2, kNaN, -0.0};
  const std::vector<const char*> methods = {nullptr, "L", " corr ", "x"};
  const auto expect_elements = [](std::size_t count, const double* n, std::size_t nc,
                                  const double* alpha, std::size_t ac, const char* const* method,
                                  std::size_t mc) {
    std::vector<double> values(count);
    std::vector<std::int32_t> statuses(count), rejected(count);
    korvalen_ljungcv_array(count, n, nc, alpha, ac, method, mc, values.data(), statuses.data(),
                           rejected.data());
    for (std::size_t i = 0; i < count; ++i) {
      const korvalen_result r =
          korvalen_ljungcv(n[i % nc], alpha[i % ac], mc == 0 ? nullptr : method[i % mc]);
      ASSERT_EQ(bits(values[i]), bits(r.value)) << n[i % nc] << " " << alpha[i % ac];
      ASSERT_EQ(statuses[i], r.status);
      ASSERT_EQ(rejected[i], r.rejected);
    }
  };
  std::vector<double> cross_n, cross_alpha;
  for (double n : ns) {
    for (double alpha : alphas) {
      cross_n.push_back(n);
      cross_alpha.push_back(alpha);
    }
  }
  for (std::size_t m = 0; m < methods.size(); ++m) {
    for (const double& alpha : alphas) {
      expect_elements(ns.size(), ns.data(), ns.size(), &alpha, 1, &methods[m], 1);
    }
    expect_elements(cross_n.size(), cross_n.data(), cross_n.size(), cross_alpha.data(),
                    cross_alpha.size(), &methods[m], 1);
  }
  for (const double& alpha : alphas) {
    expect_elements(cross_n.size(), cross_n.data(), cross_n.size(), &alpha, 1, methods.data(),
                    methods.size());
  }
}

TEST(Api, ArrayOverlapsAsTheHeaderAllows) {
  const double n[] = {10, 100, 1000, 1e6};
  const double level = 0.05;
  double in_place[] = {10, 100, 1000, 1e6};
  double values[4];
  korvalen_ljungcv_array(4, n, 4, &level, 1, nullptr, 0, values, nullptr, nullptr);
  // values may be n when n is not recycled...
  EXPECT_EQ(
      korvalen_ljungcv_array(4, in_place, 4, &level, 1, nullptr, 0, in_place, nullptr, nullptr),
      0u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(bits(in_place[i]), bits(values[i])) << i;
  // ...and nothing else may overlap: refused, nothing written.
  double recycled[] = {100, 7, 7, 7};
  EXPECT_EQ(
      korvalen_ljungcv_array(4, recycled, 1, &level, 1, nullptr, 0, recycled, nullptr, nullptr),
      SIZE_MAX);
  EXPECT_EQ(recycled[1], 7);
  std::int32_t statuses[8];
  EXPECT_EQ(korvalen_ljungcv_array(2, n, 2, &level, 1, nullptr, 0, values, statuses, statuses + 1),
            SIZE_MAX);
  EXPECT_EQ(korvalen_ljungcv_array(2, n, 2, &level, 1, nullptr, 0,
                                   reinterpret_cast<double*>(statuses), statuses + 2, nullptr),
            SIZE_MAX);
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

}  // namespace
