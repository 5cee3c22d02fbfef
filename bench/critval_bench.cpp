// Nanoseconds per call of the module's routines, through its exported names,
// with n and alpha varying on every call; and the floor: the transcendental
// work that any evaluation of the corrected value for n >= 2 cannot avoid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "host/module.hpp"
#include "module/exports.h"
#include "reference.hpp"

namespace {

constexpr std::size_t kInputs = 4096;  // a power of two

struct Inputs {
  std::vector<std::int64_t> n;
  std::vector<double> n_real, alpha, p;
  Inputs() {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> exponent(std::log10(2.0), 6.0), level(0.001, 0.1),
        probability(0.001, 0.999);
    for (std::size_t i = 0; i < kInputs; ++i) {
      n_real.push_back(std::floor(std::pow(10.0, exponent(random))));
      n.push_back(static_cast<std::int64_t>(n_real.back()));
      alpha.push_back(level(random));
      p.push_back(probability(random));
    }
  }
};
const Inputs inputs;

struct Loaded {
  host::Host host;
  host::Module module{host, KORVALEN_MODULE_PATH};
};
Loaded& loaded() {
  static Loaded instance;
  return instance;
}

// The nine unavoidable operations, with their real data dependencies: the
// quantile tail's r and sqrt(-ln r), the level term ln(-ln(2 - sqrt(1 + alpha)) / 2),
// and the curve's ln n, sqrt(2 ln n) and ln ln n.
double floor_work(std::int64_t n, double alpha) {
  const double r = 1.0 - (std::sqrt(1.0 - alpha) + 1.0) * 0.5;
  const double tail = std::sqrt(-std::log(r));
  const double level = std::log(-0.5 * std::log(2.0 - std::sqrt(1.0 + alpha)));
  const double ln = std::log(static_cast<double>(n));
  const double root = std::sqrt(ln + ln);
  const double g = std::log(ln);
  return tail + level + root + g;
}

template <typename F>
void each_pair(benchmark::State& state, F f) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(f(i));
    i = (i + 1) & (kInputs - 1);
  }
}

void BM_Floor(benchmark::State& state) {
  each_pair(state, [](std::size_t i) { return floor_work(inputs.n[i], inputs.alpha[i]); });
}

// setcv_ or setcvl_, through the module's exported name.
void critical_value(benchmark::State& state, const char* name) {
  auto f = loaded().module.function<decltype(&setcv_)>(name);
  each_pair(state, [f](std::size_t i) {
    std::int64_t n = inputs.n[i];
    double alpha = inputs.alpha[i];
    return f(&n, &alpha);
  });
}

void BM_Setcv(benchmark::State& state) {
  critical_value(state, "setcv_");
}
void BM_Setcvl(benchmark::State& state) {
  critical_value(state, "setcvl_");
}

void BM_SetcvStraightforward(benchmark::State& state) {
  each_pair(state,
            [](std::size_t i) { return reference::corrected(inputs.n[i], inputs.alpha[i]); });
}

void BM_Ppnd(benchmark::State& state) {
  auto f = loaded().module.function<decltype(&ppnd_)>("ppnd_");
  each_pair(state, [f](std::size_t i) {
    double p = inputs.p[i];
    std::int64_t fault;
    return f(&p, &fault);
  });
}

void BM_Lassol(benchmark::State& state) {
  auto f = loaded().module.function<decltype(&lassol_)>("lassol_");
  each_pair(state, [f](std::size_t i) {
    std::int64_t n = 3, lda = 3, fault;
    double a[9] = {1, 1, 1, 0.9, 0.7, 0.6, 1.2, 3.0, 3.3};
    a[4] += inputs.alpha[i];
    double b[3] = {inputs.p[i], 2.0, 3.0}, x[3];
    f(&n, a, b, &lda, x, &fault);
    return x[0];
  });
}

// uwfljungcv through an argument record, as the host calls it.
void entry(benchmark::State& state, const char* method) {
  auto f = loaded().module.implementation();
  double n = 0, alpha = 0, result;
  module::CharacterValue text{};
  if (method != nullptr) {
    text.length = static_cast<std::int32_t>(std::strlen(method));
    text.characters = method;
  }
  module::ArgumentRecord record{};
  record.count = method != nullptr ? 3 : 2;
  record.arguments[0].value = &n;
  record.arguments[1].value = &alpha;
  record.arguments[2].value = &text;
  each_pair(state, [&](std::size_t i) {
    n = inputs.n_real[i];
    alpha = inputs.alpha[i];
    f(&record, &result);
    return result;
  });
}

void BM_UwfljungcvDefault(benchmark::State& state) {
  entry(state, nullptr);
}
void BM_UwfljungcvL(benchmark::State& state) {
  entry(state, "L");
}

BENCHMARK(BM_Floor);
BENCHMARK(BM_Setcv);
BENCHMARK(BM_SetcvStraightforward);
BENCHMARK(BM_UwfljungcvDefault);
BENCHMARK(BM_UwfljungcvL);
BENCHMARK(BM_Setcvl);
BENCHMARK(BM_Ppnd);
BENCHMARK(BM_Lassol);

}  // namespace

BENCHMARK_MAIN();
