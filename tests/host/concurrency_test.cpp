// Eight threads evaluate LJUNGCV at once through one loaded module, on the
// table route and on the service route; every result must equal the
// single-threaded one. Run under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "loaded_module.hpp"
#include "test_support.hpp"

namespace {

using testing_support::bits;

struct Input {
  double n, alpha;
  const char* method;  // null: omitted
};

std::vector<Input> inputs(std::size_t count) {
  static const char* const methods[] = {nullptr, "L", "C", " ljung ", "corrected", "X", "", "L C"};
  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> exponent(-1.0, 9.0), level(-0.01, 0.11);
  std::uniform_int_distribution<int> pick(0, 7);
  std::vector<Input> all;
  for (std::size_t i = 0; i < count; ++i) {
    const double alpha = i % 97 == 0 ? 0.0 : level(random);
    all.push_back({std::pow(10.0, exponent(random)), alpha, methods[pick(random)]});
  }
  return all;
}

struct Outcome {
  std::uint64_t value_bits;
  std::int32_t status;
  int flagged;
  bool operator==(const Outcome&) const = default;
};

Outcome evaluate(const host::Module& module, const Input& in) {
  const host::Evaluation e =
      in.method ? module.evaluate(in.n, in.alpha, in.method) : module.evaluate(in.n, in.alpha);
  return {bits(e.value), e.status, e.flagged};
}

class Concurrency : public testing_support::LoadedModule,
                    public ::testing::WithParamInterface<bool> {};

TEST_P(Concurrency, EightThreadsAgreeWithOne) {
  constexpr int kThreads = 8;
  constexpr std::size_t kCalls = 100000;
  host_.set_service_route(GetParam());
  const host::Module& module = module_;
  const std::vector<Input> work = inputs(kCalls);

  std::vector<Outcome> expected;
  expected.reserve(kCalls);
  for (const Input& in : work) expected.push_back(evaluate(module, in));

  std::vector<std::size_t> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each thread walks the inputs from its own starting point.
      for (std::size_t k = 0; k < kCalls; ++k) {
        const std::size_t i = (k + t * kCalls / kThreads) % kCalls;
        if (!(evaluate(module, work[i]) == expected[i])) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0u) << "thread " << t;
}

INSTANTIATE_TEST_SUITE_P(Routes, Concurrency, ::testing::Values(false, true),
                         [](const auto& route) { return route.param ? "Services" : "Tables"; });

}  // namespace
