// LJUNGCV(n, alpha [, method]) evaluated: n, then alpha, then the method, then
// the level's outcome, the first rejection winning. One call, or many with a
// level shared by each run of elements with equal alpha and method. The
// host's function entry and the C API both evaluate through these.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "critval/checks.hpp"
#include "critval/level.hpp"
#include "critval/outcome.hpp"

namespace critval {

// One call; read_method() gives the method (none for a rejected keyword) and
// is called only once n and alpha are accepted.
template <typename ReadMethod>
Outcome evaluate(double n, double alpha, ReadMethod&& read_method) {
  const Arguments arguments = check_arguments(n, alpha);
  if (arguments.rejected != Reason::kValue) return rejected(arguments.rejected);
  const std::optional<Method> method = read_method();
  if (!method) return rejected(Reason::kMethodUnknown);
  // A count below 1 has no value at any level: the level is not worked out.
  if (arguments.n < 1) return {kNoValue, Reason::kCountBelowOne, *method};
  return Level(arguments.alpha, *method).outcome(arguments.n);
}

// Many calls: element(i) gives the i-th (n, alpha, method), method none for a
// rejected keyword, for i from 0 up in order, and put(i, outcome) receives
// each outcome bit for bit as evaluate() gives it. Returns how many have no
// value. Both are taken by value, so that their state stays in registers.
// Elements in a run of equal alpha and method share one Level and come in
// blocks through Level::outcomes; an element whose level differs from the one
// before it is evaluated alone, and the second of a level begins its run.
struct Element {
  double n;
  double alpha;
  std::optional<Method> method;
};

template <typename GetElement, typename PutOutcome>
std::size_t evaluate_many(std::size_t count, GetElement element, PutOutcome put) {
  constexpr std::size_t kBlock = Level::kBlock;
  std::size_t without_value = 0;
  const auto emit = [&](std::size_t i, const Outcome& o) {
    without_value += o.reason != Reason::kValue;
    put(i, o);
  };
  std::optional<Level> level;  // the level of the current run
  std::uint64_t level_bits = 0;
  std::uint64_t last_bits = 0;  // the level of the last element alone
  std::optional<Method> last_method;
  std::size_t index[kBlock];  // elements of the current run awaiting their outcomes
  std::int64_t counts[kBlock];
  Outcome outcomes[kBlock];
  std::size_t waiting = 0;
  const auto flush = [&] {
    level->outcomes(counts, waiting, outcomes);
    for (std::size_t w = 0; w < waiting; ++w) emit(index[w], outcomes[w]);
    waiting = 0;
  };
  for (std::size_t i = 0; i < count; ++i) {
    const Element e = element(i);
    // In a run, alpha is the run's, accepted already: only n is left to check.
    if (level && !std::isnan(e.n) && std::bit_cast<std::uint64_t>(e.alpha) == level_bits &&
        e.method == level->method()) {
      index[waiting] = i;
      counts[waiting++] = truncate_count(e.n);
      if (waiting == kBlock) flush();
      continue;
    }
    const Arguments arguments = check_arguments(e.n, e.alpha);
    if (arguments.rejected != Reason::kValue || !e.method) {
      emit(i, rejected(arguments.rejected != Reason::kValue ? arguments.rejected
                                                            : Reason::kMethodUnknown));
      continue;
    }
    const auto bits = std::bit_cast<std::uint64_t>(arguments.alpha);
    if (!level || bits != level_bits || *e.method != level->method()) {
      if (waiting > 0) flush();
      if (bits != last_bits || e.method != last_method) {
        // A level unlike the last element's: alone until the next shares it.
        emit(i, Level(arguments.alpha, *e.method).outcome(arguments.n));
        last_bits = bits;
        last_method = e.method;
        continue;
      }
      level.emplace(arguments.alpha, *e.method);  // the second of a run: a run begins
      level_bits = bits;
    }
    index[waiting] = i;
    counts[waiting++] = arguments.n;
    if (waiting == kBlock) flush();
  }
  if (waiting > 0) flush();
  return without_value;
}

}  // namespace critval
