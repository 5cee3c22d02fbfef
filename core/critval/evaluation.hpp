// LJUNGCV(n, alpha [, method]) as numbers: the checks of n and alpha in their
// fixed order, the reading of the method keyword, the method's value with the
// bound that keeps it at or above the value for a single statistic, and the
// status and flag of every outcome. The host's function entry and the C API
// share these, so they cannot drift.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "critval/critval.hpp"
#include "critval/fit.hpp"

namespace critval {

enum class Method : std::uint8_t { kCorrected, kAsymptotic };

// Statuses of LJUNGCV, as the host receives them.
enum Status : std::int32_t {
  kSuccess = 0,               // the result holds the value
  kMissingResult = 120833,    // 0x1D801: accepted arguments, no value
  kInvalidArgument = 120836,  // 0x1D804: one argument rejected and flagged
};

inline constexpr double kLargestLevel = 0.1;

// The method keywords, framed and separated by single blanks. A keyword
// beginning with L selects the asymptotic method.
inline constexpr std::string_view kKeywords = " L C CORR CORRECT LJUNG CORRECTED ";
inline constexpr std::size_t kLongestKeyword = 9;  // "CORRECTED"
inline constexpr char kBlank = ' ';                // the only byte trimmed

// The text from the first to the last non-blank byte; empty (at the field's
// start) for none. No bounds-checked call: the module has no C++ runtime.
constexpr std::string_view trim_blanks(std::string_view field) {
  const std::size_t first = field.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return std::string_view(field.data(), 0);
  return std::string_view(field.data() + first, field.find_last_not_of(kBlank) - first + 1);
}

// The method of a trimmed, upper-cased keyword: one word of the list, or a run
// of single-blank-separated words of it no longer than kLongestKeyword.
std::optional<Method> method_of_keyword(std::string_view keyword);

// The method a keyword field names: blanks trimmed, at most kLongestKeyword
// bytes copied and upper-cased by upper(char*, size) (the host's translation,
// or ASCII), then looked up. None for a blank, long or unknown keyword.
template <typename UpperCase>
std::optional<Method> read_method(std::string_view field, UpperCase&& upper) {
  const std::string_view text = trim_blanks(field);
  if (text.empty() || text.size() > kLongestKeyword) return std::nullopt;
  char keyword[kLongestKeyword];
  std::memcpy(keyword, text.data(), text.size());
  upper(keyword, text.size());
  return method_of_keyword(std::string_view(keyword, text.size()));
}

// a to z upper-cased in place, every other byte kept.
inline void ascii_upper(char* text, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
  }
}

// n truncated toward zero; whatever does not fit 64 bits (infinities
// included) becomes the most negative count. n must not be NaN.
inline std::int64_t truncate_count(double n) {
  // A double below 2^63 in magnitude truncates to one that fits: the
  // conversion's own truncation is the count.
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (n >= -kLimit && n < kLimit) return static_cast<std::int64_t>(n);
  return INT64_MIN;
}

// The arguments as the computations take them, and the first one rejected:
// 1 when n is NaN, 2 when alpha is NaN or outside [0, 0.1], else 0.
struct Arguments {
  std::int64_t n;
  double alpha;
  int rejected;
};
inline Arguments check_arguments(double n, double alpha) {
  if (std::isnan(n)) return {0, alpha, 1};
  const std::int64_t count = truncate_count(n);
  if (!(alpha >= 0.0 && alpha <= kLargestLevel)) return {count, alpha, 2};
  return {count, alpha, 0};
}

// The method's values at one accepted level: what depends on alpha and the
// method alone is computed once, so that each n adds only its own terms.
class Level {
 public:
  Level(double alpha, Method method);

  // The value at n, or NaN where there is none. For n >= 2 a value below the
  // value for a single statistic at the same level (the two-sided normal
  // value) is none: it would flag outliers at more than alpha.
  double value(std::int64_t n) {
    if (n == 1 || (method_ == Method::kCorrected && !fitted_)) return bounded(n, 0.0);
    return bounded(n, method_ == Method::kAsymptotic ? asymptotic_at(n, term_) : curve_at(n, x_));
  }

  // value(n[j]) into v[j] for a block of count <= kBlock counts, bit for bit,
  // each of the curve's terms in n computed in a pass over the block, so that
  // the elements' operations overlap instead of waiting on each other.
  static constexpr std::size_t kBlock = 64;
  void values(const std::int64_t* n, std::size_t count, double* v);

  double alpha() const { return alpha_; }
  Method method() const { return method_; }

 private:
  bool single_known() {
    if (single_state_ == Single::kUnknown) find_single();
    return single_state_ == Single::kKnown;
  }
  bool below_single(double v) { return single_known() && v < single_; }
  void find_single();

  // The formula's value v at n, or NaN where there is none (n == 1 for the
  // asymptotic method, no fit) or it lies below the single statistic's.
  double bounded(std::int64_t n, double v) {
    if (method_ == Method::kAsymptotic) return n == 1 || (n >= 2 && below_single(v)) ? kMissing : v;
    if (n == 1) return single_known() ? single_ : kMissing;
    // The value for two statistics is at least the single one (its quantile's
    // argument is never the smaller), so only a value below it needs the bound.
    if (!fitted_ || (n >= 2 && v < exact_two_ && below_single(v))) return kMissing;
    return v;
  }

  double alpha_;
  Method method_;
  double term_ = 0.0;    // asymptotic: the level term
  bool fitted_ = false;  // corrected: the fit succeeded
  double x_[3] = {};
  double exact_two_ = 0.0;
  enum class Single : std::uint8_t { kUnknown, kKnown, kNone } single_state_ = Single::kUnknown;
  double single_ = 0.0;  // computed at its first use
};

// The value for accepted arguments, as Level gives it.
double critical_value(std::int64_t n, double alpha, Method method);

// One evaluation of LJUNGCV, whoever the caller: its value (the missing value
// unless kSuccess), status, and the argument to flag (1 to 3, or 0).
struct Outcome {
  double value;
  Status status;
  int rejected;
  Method method;  // the method read (the corrected one until it is)
};

// What evaluate() gives for many elements: element(i) returns the i-th (n,
// alpha, method), method none for a rejected keyword, for i from 0 up in
// order; put(i, outcome) receives each outcome bit for bit as evaluate()
// gives it. Returns how many have no value. Both are taken by value, so that
// their state stays in registers. Elements in a run of equal alpha and
// method share one Level, and their values come in blocks through
// Level::values; an element whose level is not the one before it takes the
// scalar path, and the second of a level begins its run.
struct Element {
  double n;
  double alpha;
  std::optional<Method> method;
};

template <typename GetElement, typename PutOutcome>
std::size_t evaluate_all(std::size_t count, GetElement element, PutOutcome put) {
  std::size_t without_value = 0;
  const auto emit = [&](std::size_t i, const Outcome& o) {
    without_value += o.status != kSuccess;
    put(i, o);
  };
  constexpr std::size_t kBlock = Level::kBlock;
  std::optional<Level> level;  // the level of the current run
  std::uint64_t level_bits = 0;
  std::uint64_t last_bits = 0;  // the level of the last element alone
  std::optional<Method> last_method;
  std::size_t index[kBlock];  // elements of the current run awaiting their values
  std::int64_t counts[kBlock];
  double values[kBlock];
  std::size_t waiting = 0;
  const auto value_outcome = [](double v, Method method) {
    const bool none = std::isnan(v);
    return Outcome{none ? kMissing : v, none ? kMissingResult : kSuccess, 0, method};
  };
  const auto flush = [&] {
    level->values(counts, waiting, values);
    for (std::size_t w = 0; w < waiting; ++w)
      emit(index[w], value_outcome(values[w], level->method()));
    waiting = 0;
  };
  for (std::size_t i = 0; i < count; ++i) {
    const Element e = element(i);
    const Arguments arguments = check_arguments(e.n, e.alpha);
    if (arguments.rejected != 0 || !e.method) {
      const int rejected = arguments.rejected != 0 ? arguments.rejected : 3;
      emit(i, Outcome{kMissing, kInvalidArgument, rejected, Method::kCorrected});
      continue;
    }
    const auto bits = std::bit_cast<std::uint64_t>(arguments.alpha);
    if (!level || bits != level_bits || *e.method != level->method()) {
      if (waiting > 0) flush();
      if (bits != last_bits || e.method != last_method) {
        // A level unlike the last element's: alone until the next shares it.
        emit(i, value_outcome(critical_value(arguments.n, arguments.alpha, *e.method), *e.method));
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

// evaluate_all for elements that share one alpha and one method (none: a
// rejected keyword), element i taking n[i % n_count]: per element only the
// check of n and the terms in n.
template <typename PutOutcome>
std::size_t evaluate_level(std::size_t count, const double* n, std::size_t n_count, double alpha,
                           std::optional<Method> method, PutOutcome put) {
  std::size_t without_value = 0;
  const auto emit = [&](std::size_t i, const Outcome& o) {
    without_value += o.status != kSuccess;
    put(i, o);
  };
  const bool level_accepted = alpha >= 0.0 && alpha <= kLargestLevel;
  std::size_t in = 0;  // the recycled position, wrapped without a division
  const auto next_n = [&] {
    const double x = n[in];
    if (++in == n_count) in = 0;
    return x;
  };
  if (!level_accepted || !method) {
    const int rejected = level_accepted ? 3 : 2;
    for (std::size_t i = 0; i < count; ++i) {
      emit(i, Outcome{kMissing, kInvalidArgument, std::isnan(next_n()) ? 1 : rejected,
                      Method::kCorrected});
    }
    return without_value;
  }
  constexpr std::size_t kBlock = Level::kBlock;
  Level level(alpha, *method);
  std::size_t index[kBlock];
  std::int64_t counts[kBlock];
  double values[kBlock];
  for (std::size_t start = 0; start < count; start += kBlock) {
    const std::size_t size = count - start < kBlock ? count - start : kBlock;
    std::size_t waiting = 0;
    for (std::size_t j = 0; j < size; ++j) {
      const double x = next_n();
      if (std::isnan(x)) {
        emit(start + j, Outcome{kMissing, kInvalidArgument, 1, Method::kCorrected});
        continue;
      }
      index[waiting] = start + j;
      counts[waiting++] = truncate_count(x);
    }
    level.values(counts, waiting, values);
    for (std::size_t w = 0; w < waiting; ++w) {
      const bool none = std::isnan(values[w]);
      emit(index[w],
           Outcome{none ? kMissing : values[w], none ? kMissingResult : kSuccess, 0, *method});
    }
  }
  return without_value;
}

// n, then alpha, then the method (read by read_method only once both are
// accepted; none for a rejected keyword), then the value. The first
// rejection wins.
template <typename ReadMethod>
Outcome evaluate(double n, double alpha, ReadMethod&& read_method) {
  const Arguments arguments = check_arguments(n, alpha);
  if (arguments.rejected != 0) {
    return {kMissing, kInvalidArgument, arguments.rejected, Method::kCorrected};
  }
  const std::optional<Method> method = read_method();
  if (!method) return {kMissing, kInvalidArgument, 3, Method::kCorrected};
  const double value = critical_value(arguments.n, arguments.alpha, *method);
  if (std::isnan(value)) return {kMissing, kMissingResult, 0, *method};
  return {value, kSuccess, 0, *method};
}

// Why an accepted call gives no value, in the order the computation meets it.
enum class NoValue : std::uint8_t {
  kNone,              // there is a value
  kCountBelowOne,     // n truncates below 1, or beyond 64 bits
  kSingleAsymptotic,  // n == 1 with the asymptotic method
  kLevelQuantile,     // the level's quantile argument rounds to 1 (alpha 0 included)
  kLevelAnchors,      // sqrt(1 + alpha) rounds to 1: infinite asymptotic anchors
  kBelowSingle,       // below the value for a single statistic
  kArithmetic,        // any other non-number (not expected)
};
NoValue why_no_value(std::int64_t n, double alpha, Method method);

}  // namespace critval
