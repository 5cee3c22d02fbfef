// The C API against LJUNGCV through the stand-in host, bit for bit, and the
// array form's recycling.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <korvalen/korvalen.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
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
    std::string method;
    std::optional<std::string> quoted;  // in the sentence; none: a value
  } cases[] = {
      {std::string("L\0", 2), "'L\\x00'"},
      {std::string("\0C", 2), "'\\x00C'"},
      {"L", std::nullopt},
      {" c ", std::nullopt},
      {long_one, "...' (49 bytes)"},
      // Bytes outside well-formed UTF-8 as \xNN; whole characters as they are.
      {"L\xFF", "'L\\xFF'"},
      {"\xC3\xA9\xF0\x9F\x98\x80", "'\xC3\xA9\xF0\x9F\x98\x80'"},
      {"\xC3 \xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80",
       "'\\xC3 \\xC0\\xAF\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80'"},
      {std::string(31, 'a') + "\xC3\xA9" + std::string(9, 'a'),
       "'" + std::string(31, 'a') + "...'"},
  };
  for (const auto& c : cases) {
    const host::Evaluation e = module_.evaluate(100, 0.05, c.method);
    const korvalen_result r = korvalen_ljungcv_bytes(100, 0.05, c.method.data(), c.method.size());
    EXPECT_EQ(bits(r.value), bits(e.value)) << c.method;
    EXPECT_EQ(r.status, e.status) << c.method;
    EXPECT_EQ(r.rejected, e.flagged) << c.method;
    char why[512];
    korvalen_explain_bytes(100, 0.05, c.method.data(), c.method.size(), why, sizeof why, nullptr);
    if (!c.quoted) {
      EXPECT_STREQ(why, "");
    } else {
      EXPECT_NE(std::string(why).find(*c.quoted), std::string::npos) << why;
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

// The vector form the packages use, against the scalar calls on random
// recycled elements: values, statuses, skipped elements, the summary's
// counts and firsts, the sentences, and the warnings' words.
TEST(Api, ManyIsTheScalarCallsWithTheirNotices) {
  std::mt19937_64 random(25);
  const double ns[] = {10, 2.79, 1, 0.5, -3, 1e6, kNaN, kInf, 100, 7.5};
  const double alphas[] = {0.05, 0.01, 0, 0.2, kNaN, 1e-300, 0.1};
  const std::string words[] = {"C", "L", "x", std::string("L\0", 2), " corr ", "\xFF"};
  for (int round = 0; round < 200; ++round) {
    const auto pick = [&](std::size_t k) { return random() % k; };
    const std::size_t count = 1 + pick(40), n_count = pick(2) ? 1 : count,
                      alpha_count = pick(2) ? 1 : count, method_count = pick(3) ? count : pick(2);
    std::vector<double> n(n_count), alpha(alpha_count);
    std::vector<korvalen_method> method(method_count);
    std::vector<unsigned char> skip(count);
    for (double& x : n) x = ns[pick(std::size(ns))];
    for (double& x : alpha) x = alphas[pick(std::size(alphas))];
    for (korvalen_method& m : method) {
      const std::string& w = words[pick(std::size(words) + 1) % std::size(words)];
      m = pick(7) ? korvalen_method{w.data(), w.size()} : korvalen_method{nullptr, 0};
    }
    for (unsigned char& k : skip) k = pick(8) == 0;
    std::vector<double> values(count);
    std::vector<std::int32_t> statuses(count), rejected(count);
    korvalen_summary summary;
    const std::size_t without = korvalen_ljungcv_many(
        count, n.data(), n_count, alpha.data(), alpha_count, method.data(), method_count,
        skip.data(), values.data(), statuses.data(), rejected.data(), &summary, nullptr, nullptr);
    std::vector<std::string> said(count, "skipped");
    korvalen_explain_many(
        count, n.data(), n_count, alpha.data(), alpha_count, method.data(), method_count,
        skip.data(),
        [](void* to, std::size_t i, const char* text, std::size_t length) {
          (*static_cast<std::vector<std::string>*>(to))[i].assign(text, length);
        },
        nullptr, &said);
    std::size_t expected_without = 0, not_whole = 0, no_value = 0;
    std::size_t first_not_whole = count, first_no_value = count;
    for (std::size_t i = 0; i < count; ++i) {
      const double ni = n[i % n_count], ai = alpha[i % alpha_count];
      const korvalen_method m = method_count ? method[i % method_count] : korvalen_method{};
      korvalen_result r{testing_support::kMissing, KORVALEN_MISSING_RESULT, 0};
      std::string why = "skipped";
      if (!skip[i]) {
        char text[512];
        korvalen_explain_bytes(ni, ai, m.bytes, m.length, text, sizeof text, &r);
        why = text;
        const bool not_whole_here = std::isfinite(ni) && ni != std::trunc(ni) && !std::isnan(ai);
        not_whole += not_whole_here;
        if (not_whole_here && first_not_whole == count) first_not_whole = i;
        const bool silent = std::isnan(ni) || std::isnan(ai) || r.status == KORVALEN_SUCCESS;
        no_value += !silent;
        if (!silent && first_no_value == count) first_no_value = i;
      }
      ASSERT_EQ(bits(values[i]), bits(r.value)) << i;
      ASSERT_EQ(statuses[i], r.status) << i;
      ASSERT_EQ(rejected[i], r.rejected) << i;
      ASSERT_EQ(said[i], why) << i;
      expected_without += r.status != KORVALEN_SUCCESS;
    }
    EXPECT_EQ(without, expected_without);
    EXPECT_EQ(summary.not_whole.count, not_whole);
    EXPECT_EQ(summary.no_value.count, no_value);
    if (not_whole > 0) {
      EXPECT_EQ(summary.not_whole.first, first_not_whole);
    }
    if (no_value > 0) {
      ASSERT_EQ(summary.no_value.first, first_no_value);
      char warning[600];
      korvalen_warning(&summary, KORVALEN_NO_VALUE, warning, sizeof warning);
      const std::string more =
          no_value == 1   ? ""
          : no_value == 2 ? "; 1 more element without a value"
                          : "; " + std::to_string(no_value - 1) + " more elements without a value";
      EXPECT_EQ(warning, said[first_no_value] + more);
    }
  }
  // The not-whole warning's words; nothing for no elements or another kind.
  const double n[] = {2.79, 3, 0.5, 10.25};
  const double level = 0.05;
  double values[4];
  korvalen_summary summary;
  char warning[200];
  const struct {
    std::size_t count;
    const char* says;
  } cases[] = {
      {1, "n = 2.79 is not a whole number: truncated toward zero"},
      {3, "n = 2.79 is not a whole number: truncated toward zero; 1 more element not whole"},
      {4, "n = 2.79 is not a whole number: truncated toward zero; 2 more elements not whole"}};
  for (const auto& c : cases) {
    korvalen_ljungcv_many(c.count, n, c.count, &level, 1, nullptr, 0, nullptr, values, nullptr,
                          nullptr, &summary, nullptr, nullptr);
    EXPECT_EQ(korvalen_warning(&summary, KORVALEN_NOT_WHOLE, warning, sizeof warning),
              std::strlen(c.says));
    EXPECT_STREQ(warning, c.says);
    EXPECT_EQ(korvalen_warning(&summary, 0, warning, sizeof warning), 0u);
  }
  korvalen_ljungcv_many(1, n + 1, 1, &level, 1, nullptr, 0, nullptr, values, nullptr, nullptr,
                        &summary, nullptr, nullptr);
  EXPECT_EQ(korvalen_warning(&summary, KORVALEN_NOT_WHOLE, warning, sizeof warning), 0u);
}

// The same words without the host's status (KORVALEN_PLAIN), for LJUNGCV and
// for the level's and the exact value's summaries.
TEST(Api, PlainWarningsLeaveOutTheStatus) {
  const double n[] = {0, 2.5, 0}, x[] = {0.5, 0.05, 1.5};
  double values[3];
  korvalen_summary summary;
  char said[300];
  const struct {
    int kind;
    const char* says;
  } cases[] = {{KORVALEN_NO_VALUE,
                "argument 2 (alpha) rejected: alpha = 0.5 must lie between 0 and 0.1 "
                "inclusive; 1 more element without a value"},
               {KORVALEN_NO_LEVEL,
                "no level for n = 0: n truncates to a count below 1 (or beyond 64 "
                "bits); 1 more element without a value"},
               {KORVALEN_NO_EXACT,
                "no exact critical value for n = 0: n truncates to a count below 1 (or "
                "beyond 64 bits); 1 more element without a value"}};
  for (const auto& c : cases) {
    if (c.kind == KORVALEN_NO_VALUE) {
      korvalen_ljungcv_many(3, n, 3, x, 3, nullptr, 0, nullptr, values, nullptr, nullptr, &summary,
                            nullptr, nullptr);
    } else {
      (c.kind == KORVALEN_NO_LEVEL ? korvalen_level_array : korvalen_exact_array)(
          3, n, 3, x, 3, values, nullptr, nullptr, &summary);
    }
    korvalen_warning(&summary, c.kind | KORVALEN_PLAIN, said, sizeof said);
    EXPECT_STREQ(said, c.says);
    korvalen_warning(&summary, c.kind, said, sizeof said);  // the status where not plain
    EXPECT_NE(std::strstr(said, "(status 1208"), nullptr) << said;
    korvalen_warning(&summary, KORVALEN_NOT_WHOLE | KORVALEN_PLAIN, said, sizeof said);
    EXPECT_STREQ(said, "n = 2.5 is not a whole number: truncated toward zero");
  }
}

// The warning words what the call decided: nothing is evaluated again (a
// changed decision is what it says), and a summary no call filled says
// nothing. Programs built before the decision keep their summary's layout
// under the old symbol versions, and their words.
TEST(Api, WarningsWordWhatTheCallDecided) {
  const double n = 1e6, alpha = 1e-4;
  double value;
  korvalen_summary summary;
  char said[400], before_said[400];
  korvalen_ljungcv_many(1, &n, 1, &alpha, 1, nullptr, 0, nullptr, &value, nullptr, nullptr,
                        &summary, nullptr, nullptr);
  korvalen_warning(&summary, KORVALEN_NO_VALUE | KORVALEN_PLAIN, said, sizeof said);
  EXPECT_NE(std::strstr(said, "gives 6.781908137908053"), nullptr) << said;
  summary.decided.value = 7.5;
  korvalen_warning(&summary, KORVALEN_NO_VALUE | KORVALEN_PLAIN, said, sizeof said);
  EXPECT_NE(std::strstr(said, "gives 7.5"), nullptr) << said;
  summary.decided = korvalen_decision{};
  EXPECT_EQ(korvalen_warning(&summary, KORVALEN_NO_VALUE, said, sizeof said), 0u);

  struct Before {  // the 1.3 layout, and bytes after it that must stay
    korvalen_notice not_whole, no_value;
    unsigned char after[32];
  };
  using Many = std::size_t (*)(std::size_t, const double*, std::size_t, const double*, std::size_t,
                               const korvalen_method*, std::size_t, const unsigned char*, double*,
                               std::int32_t*, std::int32_t*, Before*, korvalen_interrupted, void*);
  using Warning = std::size_t (*)(const Before*, int, char*, std::size_t);
  using Tail = std::size_t (*)(std::size_t, const double*, std::size_t, const double*, std::size_t,
                               double*, std::int32_t*, std::int32_t*, Before*);
  const auto many =
      reinterpret_cast<Many>(dlvsym(RTLD_DEFAULT, "korvalen_ljungcv_many", "KORVALEN_1.3"));
  const auto warning =
      reinterpret_cast<Warning>(dlvsym(RTLD_DEFAULT, "korvalen_warning", "KORVALEN_1.3"));
  const auto level =
      reinterpret_cast<Tail>(dlvsym(RTLD_DEFAULT, "korvalen_level_array", "KORVALEN_1.4"));
  ASSERT_TRUE(many && warning && level);
  const double ns[] = {2.5, 1e6, 0}, cs[] = {3, 3, 3};
  double values[3];
  for (const int kind : {int{KORVALEN_NO_VALUE}, int{KORVALEN_NO_LEVEL}}) {
    Before before;
    std::memset(before.after, 0xAB, sizeof before.after);
    if (kind == KORVALEN_NO_VALUE) {
      many(3, ns, 3, &alpha, 1, nullptr, 0, nullptr, values, nullptr, nullptr, &before, nullptr,
           nullptr);
      korvalen_ljungcv_many(3, ns, 3, &alpha, 1, nullptr, 0, nullptr, values, nullptr, nullptr,
                            &summary, nullptr, nullptr);
    } else {
      level(3, ns, 3, cs, 3, values, nullptr, nullptr, &before);
      korvalen_level_array(3, ns, 3, cs, 3, values, nullptr, nullptr, &summary);
    }
    EXPECT_EQ(std::count(before.after, std::end(before.after), 0xAB), 32) << kind;
    for (const int with : {int{KORVALEN_NOT_WHOLE}, kind}) {
      warning(&before, with, before_said, sizeof before_said);
      korvalen_warning(&summary, with, said, sizeof said);
      EXPECT_STREQ(before_said, said);
      EXPECT_NE(said[0], '\0') << with;
    }
  }
}

// The caller is asked between pieces of the work, and may stop it there.
TEST(Api, ManyStopsWhenTheCallerSays) {
  const std::size_t count = std::size_t{3} << 16;
  const double n = 100, level = 0.05;
  std::vector<double> values(count, 7);
  int asked = 0;
  const auto stop_at_second = [](void* times) { return ++*static_cast<int*>(times) == 2 ? 1 : 0; };
  EXPECT_EQ(korvalen_ljungcv_many(count, &n, 1, &level, 1, nullptr, 0, nullptr, values.data(),
                                  nullptr, nullptr, nullptr, stop_at_second, &asked),
            KORVALEN_STOPPED);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(values[2 * (count / 3) - 1], korvalen_ljungcv(100, 0.05, nullptr).value);
  EXPECT_EQ(values[2 * (count / 3)], 7);
  asked = 0;
  EXPECT_EQ(korvalen_explain_many(
                count, &n, 1, &level, 1, nullptr, 0, nullptr,
                [](void*, std::size_t, const char*, std::size_t) {}, stop_at_second, &asked),
            KORVALEN_STOPPED);
  EXPECT_EQ(asked, 2);
}

}  // namespace
