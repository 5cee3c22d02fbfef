// The C API's array form against korvalen_ljungcv called in a loop, and
// against its floor: the terms in n alone (ln n, sqrt(2 ln n), ln ln n), which
// every value needs whatever is shared. 10^6 n log-uniform from 2 to 10^6;
// one alpha (0.05) for all, or alpha from 0.001 to 0.1 on every element.
#include <benchmark/benchmark.h>
#include <korvalen/korvalen.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kCount = 1000000;  // a multiple of 64

struct Inputs {
  std::vector<double> n, alpha, same_alpha = std::vector<double>(kCount, 0.05);
  Inputs() {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (std::size_t i = 0; i < kCount; ++i) {
      n.push_back(std::floor(std::exp(std::log(2.0) + unit(random) * std::log(5e5))));
      alpha.push_back(0.001 + unit(random) * 0.099);
    }
  }
};
const Inputs inputs;
constexpr double kOneAlpha = 0.05;

const char* method_of(const benchmark::State& state) {
  return state.range(0) == 0 ? nullptr : "L";
}
// One alpha for all (range 1 == 0), one per element (1), or one per element
// all equal (2: a run as long as the array).
std::size_t alpha_count(const benchmark::State& state) {
  return state.range(1) == 0 ? 1 : kCount;
}
const double* alphas(const benchmark::State& state) {
  switch (state.range(1)) {
    case 0:
      return &kOneAlpha;
    case 1:
      return inputs.alpha.data();
    default:
      return inputs.same_alpha.data();
  }
}

void label(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kCount));
  state.SetLabel(std::string(state.range(0) == 0 ? "corrected" : "L") +
                 (state.range(1) == 0   ? ", one alpha"
                  : state.range(1) == 1 ? ", alpha per element"
                                        : ", alpha per element, all equal"));
}

// The floor: ln n, sqrt(2 ln n) and ln ln n of every n, in passes over blocks
// of 64 (as the array form computes them), stored.
void BM_TermsInN(benchmark::State& state) {
  constexpr std::size_t kBlock = 64;
  std::vector<double> out(kCount);
  for (auto _ : state) {
    for (std::size_t start = 0; start < kCount; start += kBlock) {
      double l[kBlock], a[kBlock];
      for (std::size_t j = 0; j < kBlock; ++j) l[j] = std::log(inputs.n[start + j]);
      for (std::size_t j = 0; j < kBlock; ++j) a[j] = std::sqrt(l[j] + l[j]);
      for (std::size_t j = 0; j < kBlock; ++j) out[start + j] = a[j] + std::log(l[j]);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kCount));
}

void BM_Loop(benchmark::State& state) {
  std::vector<double> values(kCount);
  const char* method = method_of(state);
  const double* alpha = alphas(state);
  const bool per_element = alpha_count(state) > 1;
  for (auto _ : state) {
    for (std::size_t i = 0; i < kCount; ++i) {
      values[i] = korvalen_ljungcv(inputs.n[i], alpha[per_element ? i : 0], method).value;
    }
    benchmark::DoNotOptimize(values.data());
  }
  label(state);
}

void BM_Array(benchmark::State& state) {
  std::vector<double> values(kCount);
  std::vector<std::int32_t> rejected(kCount);
  const char* const method[] = {method_of(state)};
  for (auto _ : state) {
    korvalen_ljungcv_array(kCount, inputs.n.data(), kCount, alphas(state), alpha_count(state),
                           method, 1, values.data(), nullptr, rejected.data());
    benchmark::DoNotOptimize(values.data());
  }
  label(state);
}

BENCHMARK(BM_TermsInN)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Loop)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Array)->ArgsProduct({{0, 1}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
