// The C API: LJUNGCV through the core's own evaluation, with the method keyword
// read as the host reads it (blanks trimmed, a to z upper-cased), the host's
// status, flag and result from the module's table, and the core's sentence
// for every result without a value.
#include <korvalen/korvalen.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "critval/checks.hpp"
#include "critval/evaluation.hpp"
#include "critval/independent.hpp"
#include "statuses/host_outcomes.hpp"
#include "text/sentence.hpp"
#include "text/text_writer.hpp"

// The public statuses are the host's.
static_assert(KORVALEN_SUCCESS == static_cast<int>(statuses::Status::kSuccess) &&
              KORVALEN_MISSING_RESULT == static_cast<int>(statuses::Status::kMissingResult) &&
              KORVALEN_INVALID_ARGUMENT == static_cast<int>(statuses::Status::kInvalidArgument));

namespace {

// A method given, or none: the default.
using Given = std::optional<std::string_view>;

Given given(const char* method) {
  return method ? Given(method) : std::nullopt;
}

Given given(const char* method, size_t length) {
  return method ? Given(std::string_view(method, length)) : std::nullopt;
}

std::optional<critval::Method> read_keyword(Given method) {
  if (!method) return critval::Method::kCorrected;
  return critval::read_method(*method, critval::ascii_upper);
}

std::optional<critval::Method> read_keyword(const char* method) {
  return read_keyword(given(method));
}

critval::Outcome outcome_of(double n, double alpha, Given method) {
  return critval::evaluate(n, alpha, [&] { return read_keyword(method); });
}

// Whether [a, a + a_bytes) and [b, b + b_bytes) share a byte.
bool overlap(const void* a, size_t a_bytes, const void* b, size_t b_bytes) {
  if (a == nullptr || b == nullptr) return false;
  const auto x = reinterpret_cast<std::uintptr_t>(a), y = reinterpret_cast<std::uintptr_t>(b);
  return x < y + b_bytes && y < x + a_bytes;
}

// The array form's rule for shared storage: values may be n or alpha when
// that array is not recycled (element i is read before it is written);
// nothing else may overlap an output.
bool arrays_allowed(size_t count, const double* n, size_t n_count, const double* alpha,
                    size_t alpha_count, const void* method, size_t method_count, size_t p,
                    const double* values, const int32_t* statuses, const int32_t* rejected) {
  const size_t d = sizeof(double), w = sizeof(int32_t);
  if (count > SIZE_MAX / d || n_count > SIZE_MAX / d || alpha_count > SIZE_MAX / d ||
      method_count > SIZE_MAX / p) {
    return false;  // no such arrays
  }
  const auto input = [&](const double* in, size_t in_count) {
    return !overlap(values, count * d, in, in_count * d) || (values == in && in_count == count);
  };
  if (!input(n, n_count) || !input(alpha, alpha_count)) return false;
  if (overlap(values, count * d, method, method_count * p)) return false;
  for (const int32_t* out : {statuses, rejected}) {
    if (overlap(out, count * w, n, n_count * d) ||
        overlap(out, count * w, alpha, alpha_count * d) ||
        overlap(out, count * w, method, method_count * p) ||
        overlap(out, count * w, values, count * d)) {
      return false;
    }
  }
  return !overlap(statuses, count * w, rejected, count * w);
}

korvalen_result result_of(const critval::Outcome& outcome) {
  const statuses::HostOutcome& host = statuses::host_outcome(outcome.reason);
  return {statuses::host_value(outcome), static_cast<int32_t>(host.status), host.flagged};
}

// The one argument check of every array form: no n or alpha to recycle.
bool inputs_refused(const double* n, size_t n_count, const double* alpha, size_t alpha_count) {
  return n == nullptr || alpha == nullptr || n_count == 0 || alpha_count == 0;
}

// The array forms with outputs: their inputs, a missing output array, or
// storage shared against the rule. count > 0.
bool refused(size_t count, const double* n, size_t n_count, const double* alpha, size_t alpha_count,
             const void* method, size_t method_count, size_t p, const double* values,
             const int32_t* statuses, const int32_t* rejected) {
  return inputs_refused(n, n_count, alpha, alpha_count) || values == nullptr ||
         !arrays_allowed(count, n, n_count, alpha, alpha_count, method, method_count, p, values,
                         statuses, rejected);
}

// The one recycling of every array form: where element i's n, alpha and
// method are, moved on an element at a time without a division.
struct Cursor {
  size_t n = 0, alpha = 0, method = 0;
  void next(size_t n_count, size_t alpha_count, size_t method_count) {
    if (++n == n_count) n = 0;
    if (++alpha == alpha_count) alpha = 0;
    if (++method >= method_count) method = 0;  // no method array, or one method: 0
  }
};

// Element i of the array forms' outputs (statuses and rejected optional).
void store(size_t i, const korvalen_result& r, double* values, int32_t* statuses,
           int32_t* rejected) {
  values[i] = r.value;
  if (statuses != nullptr) statuses[i] = r.status;
  if (rejected != nullptr) rejected[i] = r.rejected;
}

// A sentence of length bytes in buffer continued by " (status N)" as far as
// it fits, NUL-terminated as snprintf leaves it; the length with it whole.
size_t with_status(char* buffer, size_t size, size_t length, int status) {
  char suffix[32] = " (status ";
  char* const digits = suffix + std::strlen(suffix);
  char* const close = std::to_chars(digits, suffix + sizeof suffix - 2, status).ptr;
  close[0] = ')';
  const auto added = static_cast<size_t>(close + 1 - suffix);
  if (length + 1 < size) {
    const size_t stored = added < size - length - 1 ? added : size - length - 1;
    std::memcpy(buffer + length, suffix, stored);
    buffer[length + stored] = '\0';
  }
  return length + added;
}

// The core's sentence for an outcome and, for a result without a value, the
// status it gives.
size_t sentence(double n, double alpha, Given method, const critval::Outcome& outcome, char* buffer,
                size_t size, bool with_status_too = true) {
  if (buffer == nullptr) size = 0;
  const size_t length = critval::explain(n, alpha, method, outcome, buffer, size);
  if (outcome.reason == critval::Reason::kValue || !with_status_too) return length;
  return with_status(buffer, size, length,
                     static_cast<int>(statuses::host_outcome(outcome.reason).status));
}

// The sentence of one evaluation; the result too, where asked for.
size_t explain(double n, double alpha, Given method, char* buffer, size_t size,
               korvalen_result* result) {
  const critval::Outcome outcome = outcome_of(n, alpha, method);
  if (result != nullptr) *result = result_of(outcome);
  return sentence(n, alpha, method, outcome, buffer, size);
}

// The level and the exact value: a missing input is a missing result, not
// a rejected argument; only an alpha outside [0, 1] is rejected.
korvalen_result tail_result(const critval::TailOutcome& o) {
  switch (o.reason) {
    case critval::TailReason::kValue:
      return {o.value, KORVALEN_SUCCESS, 0};
    case critval::TailReason::kAlphaOutside:
      return {statuses::kMissingValue, KORVALEN_INVALID_ARGUMENT, 2};
    default:
      return {statuses::kMissingValue, KORVALEN_MISSING_RESULT, 0};
  }
}

size_t tail_sentence(bool exact, double n, double x, const critval::TailOutcome& o, char* buffer,
                     size_t size, bool with_status_too = true) {
  if (buffer == nullptr) size = 0;
  const size_t length = critval::explain_tail(exact, n, x, o, buffer, size);
  return o.reason == critval::TailReason::kValue || !with_status_too
             ? length
             : with_status(buffer, size, length, tail_result(o).status);
}

size_t explain_tail(bool exact, double n, double x, char* buffer, size_t size) {
  return tail_sentence(exact, n, x, exact ? critval::exact(n, x) : critval::level(n, x), buffer,
                       size);
}

// What a call decided for its first element without a value, and back: the
// summary keeps it so that korvalen_warning words it without evaluating.
korvalen_decision decision(const critval::Outcome& o) {
  return {o.value, static_cast<int32_t>(o.reason), static_cast<int32_t>(o.method)};
}

korvalen_decision decision(const critval::TailOutcome& o) {
  return {o.value, static_cast<int32_t>(o.reason), 0};
}

// A decision the library wrote, or none (a summary not filled by a call).
std::optional<critval::Outcome> outcome_in(const korvalen_decision& d) {
  if (d.reason <= 0 || d.reason >= static_cast<int32_t>(critval::kReasonCount) || d.method < 0 ||
      d.method > static_cast<int32_t>(critval::Method::kAsymptotic)) {
    return std::nullopt;
  }
  return critval::Outcome{d.value, static_cast<critval::Reason>(d.reason),
                          static_cast<critval::Method>(d.method)};
}

std::optional<critval::TailOutcome> tail_outcome_in(const korvalen_decision& d) {
  if (d.reason <= 0 || d.reason > static_cast<int32_t>(critval::TailReason::kAlphaOutside)) {
    return std::nullopt;
  }
  return critval::TailOutcome{d.value, static_cast<critval::TailReason>(d.reason)};
}

// The _many forms: a bound on the work between two questions to the caller,
// and the caller's arguments with their recycling.
constexpr size_t kPiece = size_t{1} << 16;  // about a millisecond of work

struct Vectors {
  size_t count;
  const double* n;
  size_t n_count;
  const double* alpha;
  size_t alpha_count;
  const korvalen_method* method;  // nullptr: the default throughout
  size_t method_count;
  const unsigned char* skip;

  Given method_at(size_t i) const {
    if (method_count == 0) return std::nullopt;
    const korvalen_method& m = method[i % method_count];
    return given(m.bytes, m.length);
  }
  bool skipped(size_t i) const { return skip != nullptr && skip[i] != 0; }
};

// Notes element i in the notice, which keeps the first element of its kind;
// true where i is that first one.
bool note(korvalen_notice& notice, size_t i, double n, double alpha, const Vectors& v) {
  if (notice.count++ > 0 && notice.first < i) return false;
  notice.first = i;
  notice.n = n;
  notice.alpha = alpha;
  notice.method = v.method_count == 0 ? korvalen_method{nullptr, 0} : v.method[i % v.method_count];
  return true;
}

bool not_whole(double n) {
  return std::isfinite(n) && n != std::trunc(n);
}

// A piece at a time, asking the caller between pieces; true when stopped.
template <typename Work>
bool in_pieces(size_t count, korvalen_interrupted interrupted, void* context, Work work) {
  for (size_t start = 0; start < count; start += kPiece) {
    work(start, count - start < kPiece ? count - start : kPiece);
    if (interrupted != nullptr && start + kPiece < count && interrupted(context) != 0) return true;
  }
  return false;
}

size_t ljungcv_many(const Vectors& v, double* values, int32_t* statuses, int32_t* rejected,
                    korvalen_summary* summary, korvalen_interrupted interrupted, void* context) {
  korvalen_summary notes{};
  size_t without_value = 0;
  // A keyword is read again only when its bytes move.
  const korvalen_method* keyword = nullptr;
  std::optional<critval::Method> read = read_keyword(v.method_at(0));
  if (v.method_count > 0) keyword = &v.method[0];
  Cursor at;
  const auto element = [&](size_t i) {
    if (v.method_count > 1 && (v.method[at.method].bytes != keyword->bytes ||
                               v.method[at.method].length != keyword->length)) {
      keyword = &v.method[at.method];
      read = read_keyword(given(keyword->bytes, keyword->length));
    }
    critval::Element e{v.n[at.n], v.alpha[at.alpha], read};
    if (v.skipped(i)) {
      e.n = NAN;  // rejected at once; its result is replaced below
    } else if (not_whole(e.n) && !std::isnan(e.alpha)) {  // a missing alpha: silent
      note(notes.not_whole, i, e.n, e.alpha, v);
    }
    at.next(v.n_count, v.alpha_count, v.method_count);
    return e;
  };
  const auto put = [&](size_t i, const critval::Outcome& o) {
    korvalen_result r = result_of(o);
    if (v.skipped(i)) {
      r = {statuses::kMissingValue, KORVALEN_MISSING_RESULT, 0};
    } else if (r.status != KORVALEN_SUCCESS) {
      const double n = v.n[i % v.n_count], alpha = v.alpha[i % v.alpha_count];
      if (!std::isnan(n) && !std::isnan(alpha) && note(notes.no_value, i, n, alpha, v)) {
        notes.decided = decision(o);
      }
    }
    store(i, r, values, statuses, rejected);
  };
  const bool stopped = in_pieces(v.count, interrupted, context, [&](size_t start, size_t size) {
    without_value += critval::evaluate_many(
        size, [&](size_t i) { return element(start + i); },
        [&](size_t i, const critval::Outcome& o) { put(start + i, o); });
  });
  if (summary != nullptr) *summary = notes;
  return stopped ? KORVALEN_STOPPED : without_value;
}

// The level or the exact value for every element, recycled as the other
// array forms recycle, each element read before its value is written; the
// notices as the _many forms keep them (a missing n or x: silent).
template <critval::TailOutcome (*Function)(double, double)>
size_t tail_array(size_t count, const double* n, size_t n_count, const double* x, size_t x_count,
                  double* values, int32_t* statuses, int32_t* rejected, korvalen_summary* summary) {
  if (summary != nullptr) *summary = korvalen_summary{};
  if (count == 0) return 0;
  if (refused(count, n, n_count, x, x_count, nullptr, 0, 1, values, statuses, rejected)) {
    return SIZE_MAX;
  }
  korvalen_summary notes{};
  const Vectors v{count, n, n_count, x, x_count, nullptr, 0, nullptr};
  size_t without_value = 0;
  Cursor at;
  for (size_t i = 0; i < count; ++i, at.next(n_count, x_count, 0)) {
    const double ni = n[at.n], xi = x[at.alpha];
    const critval::TailOutcome o = Function(ni, xi);
    const korvalen_result r = tail_result(o);
    store(i, r, values, statuses, rejected);
    without_value += r.status != KORVALEN_SUCCESS;
    if (!std::isnan(ni) && !std::isnan(xi)) {
      if (not_whole(ni)) note(notes.not_whole, i, ni, xi, v);
      if (r.status != KORVALEN_SUCCESS && note(notes.no_value, i, ni, xi, v)) {
        notes.decided = decision(o);
      }
    }
  }
  if (summary != nullptr) *summary = notes;
  return without_value;
}

// Text for the warnings: the writer of the core's sentences, with counts.
class Text : public critval::TextWriter<Text> {
 public:
  using TextWriter::TextWriter;
  Text& count(size_t value) {
    char digits[24] = {};
    return text(std::string_view(digits, std::to_chars(digits, digits + sizeof digits, value).ptr));
  }
};

// The longest sentence explain() writes: the words, two numbers and a
// method shown as at most 32 bytes, each as \xNN, is well below this.
constexpr size_t kSentence = 1024;

}  // namespace

extern "C" {

KORVALEN_API korvalen_result korvalen_ljungcv(double n, double alpha, const char* method) {
  return result_of(outcome_of(n, alpha, given(method)));
}

KORVALEN_API korvalen_result korvalen_ljungcv_bytes(double n, double alpha, const char* method,
                                                    size_t method_length) {
  return result_of(outcome_of(n, alpha, given(method, method_length)));
}

KORVALEN_API size_t korvalen_ljungcv_array(size_t count, const double* n, size_t n_count,
                                           const double* alpha, size_t alpha_count,
                                           const char* const* method, size_t method_count,
                                           double* values, int32_t* statuses, int32_t* rejected) {
  if (count == 0) return 0;
  if (method == nullptr) method_count = 0;
  if (refused(count, n, n_count, alpha, alpha_count, method, method_count, sizeof(char*), values,
              statuses, rejected)) {
    return SIZE_MAX;
  }
  // What depends on alpha and the method alone is prepared once per run of
  // equal ones; a keyword is read again only when its pointer changes.
  const char* keyword = method_count == 0 ? nullptr : method[0];
  const std::optional<critval::Method> first = read_keyword(keyword);
  const auto put = [values, statuses, rejected](size_t i, const critval::Outcome& o) {
    store(i, result_of(o), values, statuses, rejected);
  };
  // Runs of equal alpha and method share their level.
  return critval::evaluate_many(
      count,
      [=, at = Cursor{}, read = first](size_t) mutable {
        if (method_count > 1 && method[at.method] != keyword) {
          read = read_keyword(keyword = method[at.method]);
        }
        const critval::Element e{n[at.n], alpha[at.alpha], read};
        at.next(n_count, alpha_count, method_count);
        return e;
      },
      put);
}

KORVALEN_API size_t korvalen_explain(double n, double alpha, const char* method, char* buffer,
                                     size_t size) {
  return explain(n, alpha, given(method), buffer, size, nullptr);
}

KORVALEN_API size_t korvalen_explain_bytes(double n, double alpha, const char* method,
                                           size_t method_length, char* buffer, size_t size,
                                           korvalen_result* result) {
  return explain(n, alpha, given(method, method_length), buffer, size, result);
}

KORVALEN_API size_t korvalen_ljungcv_many(size_t count, const double* n, size_t n_count,
                                          const double* alpha, size_t alpha_count,
                                          const korvalen_method* method, size_t method_count,
                                          const unsigned char* skip, double* values,
                                          int32_t* statuses, int32_t* rejected,
                                          korvalen_summary* summary,
                                          korvalen_interrupted interrupted, void* context) {
  if (summary != nullptr) *summary = korvalen_summary{};
  if (count == 0) return 0;
  if (method == nullptr) method_count = 0;
  if (refused(count, n, n_count, alpha, alpha_count, method, method_count, sizeof(korvalen_method),
              values, statuses, rejected) ||
      overlap(skip, count, values, count * sizeof(double)) ||
      overlap(skip, count, statuses, count * sizeof(int32_t)) ||
      overlap(skip, count, rejected, count * sizeof(int32_t))) {
    return SIZE_MAX;
  }
  return ljungcv_many({count, n, n_count, alpha, alpha_count, method, method_count, skip}, values,
                      statuses, rejected, summary, interrupted, context);
}

KORVALEN_API size_t korvalen_explain_many(size_t count, const double* n, size_t n_count,
                                          const double* alpha, size_t alpha_count,
                                          const korvalen_method* method, size_t method_count,
                                          const unsigned char* skip, korvalen_sentence sentence,
                                          korvalen_interrupted interrupted, void* context) {
  if (count == 0) return 0;
  if (inputs_refused(n, n_count, alpha, alpha_count) || sentence == nullptr) return SIZE_MAX;
  if (method == nullptr) method_count = 0;
  const Vectors v{count, n, n_count, alpha, alpha_count, method, method_count, skip};
  Cursor at;
  const bool stopped = in_pieces(count, interrupted, context, [&](size_t start, size_t size) {
    char text[kSentence];
    for (size_t i = start; i < start + size; ++i, at.next(n_count, alpha_count, method_count)) {
      if (v.skipped(i)) continue;
      const size_t length =
          explain(n[at.n], alpha[at.alpha], v.method_at(at.method), text, sizeof text, nullptr);
      sentence(context, i, text, length < sizeof text ? length : sizeof text - 1);
    }
  });
  return stopped ? KORVALEN_STOPPED : 0;
}

KORVALEN_API size_t korvalen_warning(const korvalen_summary* summary, int kind, char* buffer,
                                     size_t size) {
  if (buffer == nullptr) size = 0;
  Text w(buffer, size);
  const bool status = (kind & KORVALEN_PLAIN) == 0;
  kind &= ~KORVALEN_PLAIN;
  const bool whole = kind == KORVALEN_NOT_WHOLE;
  const bool no_value =
      kind == KORVALEN_NO_VALUE || kind == KORVALEN_NO_LEVEL || kind == KORVALEN_NO_EXACT;
  const korvalen_notice* notice = summary == nullptr ? nullptr
                                  : whole            ? &summary->not_whole
                                  : no_value         ? &summary->no_value
                                                     : nullptr;
  if (notice == nullptr || notice->count == 0) return w.finish();
  if (whole) {
    w.text("n = ").number(notice->n).text(" is not a whole number: truncated toward zero");
  } else {
    char text[kSentence];
    size_t length = 0;
    if (kind == KORVALEN_NO_VALUE) {
      const std::optional<critval::Outcome> o = outcome_in(summary->decided);
      if (!o) return w.finish();
      length =
          sentence(notice->n, notice->alpha, given(notice->method.bytes, notice->method.length), *o,
                   text, sizeof text, status);
    } else {
      const std::optional<critval::TailOutcome> o = tail_outcome_in(summary->decided);
      if (!o) return w.finish();
      length = tail_sentence(kind == KORVALEN_NO_EXACT, notice->n, notice->alpha, *o, text,
                             sizeof text, status);
    }
    w.text(std::string_view(text, length < sizeof text ? length : sizeof text - 1));
  }
  if (notice->count > 1) {
    const size_t more = notice->count - 1;
    w.text("; ").count(more).text(more == 1 ? " more element" : " more elements");
    w.text(whole ? " not whole" : " without a value");
  }
  return w.finish();
}

// For the entries of programs built before API 1.5 (api/compat.c), whose
// summary has no decision: the notice's element evaluated again.
void korvalen_decide_again(korvalen_summary* summary, int kind) {
  const korvalen_notice& e = summary->no_value;
  switch (kind & ~KORVALEN_PLAIN) {
    case KORVALEN_NO_VALUE:
      summary->decided = decision(outcome_of(e.n, e.alpha, given(e.method.bytes, e.method.length)));
      break;
    case KORVALEN_NO_LEVEL:
      summary->decided = decision(critval::level(e.n, e.alpha));
      break;
    case KORVALEN_NO_EXACT:
      summary->decided = decision(critval::exact(e.n, e.alpha));
      break;
    default:
      break;
  }
}

KORVALEN_API korvalen_result korvalen_level(double n, double c) {
  return tail_result(critval::level(n, c));
}

KORVALEN_API korvalen_result korvalen_exact(double n, double alpha) {
  return tail_result(critval::exact(n, alpha));
}

KORVALEN_API size_t korvalen_level_array(size_t count, const double* n, size_t n_count,
                                         const double* c, size_t c_count, double* values,
                                         int32_t* statuses, int32_t* rejected,
                                         korvalen_summary* summary) {
  return tail_array<critval::level>(count, n, n_count, c, c_count, values, statuses, rejected,
                                    summary);
}

KORVALEN_API size_t korvalen_exact_array(size_t count, const double* n, size_t n_count,
                                         const double* alpha, size_t alpha_count, double* values,
                                         int32_t* statuses, int32_t* rejected,
                                         korvalen_summary* summary) {
  return tail_array<critval::exact>(count, n, n_count, alpha, alpha_count, values, statuses,
                                    rejected, summary);
}

KORVALEN_API size_t korvalen_explain_level(double n, double c, char* buffer, size_t size) {
  return explain_tail(false, n, c, buffer, size);
}

KORVALEN_API size_t korvalen_explain_exact(double n, double alpha, char* buffer, size_t size) {
  return explain_tail(true, n, alpha, buffer, size);
}

KORVALEN_API size_t korvalen_above_alpha(size_t count, const double* n, size_t n_count,
                                         const double* alpha, size_t alpha_count,
                                         const double* values, char* buffer, size_t size) {
  if (count > 0 && (inputs_refused(n, n_count, alpha, alpha_count) || values == nullptr)) {
    return SIZE_MAX;
  }
  if (buffer == nullptr) size = 0;
  // A block at a time: first the bound without a branch, the elements it
  // cannot rule out gathered without one; then their bounds with an exp;
  // the level only where those cannot tell.
  constexpr size_t kBlock = 256;
  size_t above = 0, first = SIZE_MAX;
  Cursor at;
  struct Candidate {
    size_t i;
    double k, alpha;
  } maybe[kBlock], unsure[kBlock];
  for (size_t start = 0; start < count; start += kBlock) {
    const size_t end = count - start < kBlock ? count : start + kBlock;
    size_t m = 0, u = 0;
    for (size_t i = start; i < end; ++i) {
      const double c = values[i], a = alpha[at.alpha], k = std::trunc(n[at.n]);
      at.next(n_count, alpha_count, 0);
      // The count as LJUNGCV truncates it: none below 1 or beyond 2^63 has a value.
      const bool checked = (c > 0.0) & (c < INFINITY) & (a > 0.0) & (a <= 1.0) & (k >= 1.0) &
                           (k < 9223372036854775808.0);
      maybe[m] = {i, k, a};
      m += checked & !critval::far_below(k, c, a);  // & and not &&: no branch
    }
    for (size_t j = 0; j < m; ++j) {
      const Candidate& e = maybe[j];
      const critval::Verdict v = critval::bracket(e.k, values[e.i], e.alpha);
      unsure[u] = e;
      u += v == critval::Verdict::kUnsure;
      const bool sure = v == critval::Verdict::kAbove;
      above += sure;
      first = sure && e.i < first ? e.i : first;
    }
    for (size_t j = 0; j < u; ++j) {
      const Candidate& e = unsure[j];
      if (critval::passes(critval::level_at(static_cast<std::int64_t>(e.k), values[e.i]),
                          e.alpha)) {
        above++, first = std::min(first, e.i);
      }
    }
  }
  Text w(buffer, size);
  if (above == 0) return w.finish();
  const double n_first = n[first % n_count], a_first = alpha[first % alpha_count];
  w.text("n = ").number(n_first).text(", alpha = ").number(a_first).text(": the value ");
  w.number(values[first]).text(" delivers the level ");
  w.number(critval::level_at(critval::truncate_count(n_first), values[first]));
  w.text(" for independent statistics, more than alpha; the asymptotic method, L, and the exact ");
  w.text("value ").number(critval::exact(n_first, a_first).value).text(" keep to it");
  if (above > 1)
    w.text("; ")
        .count(above - 1)
        .text(above == 2 ? " more element" : " more elements")
        .text(" above alpha");
  return w.finish();
}

KORVALEN_API const char* korvalen_version(void) {
  return KORVALEN_VERSION;
}

}  // extern "C"
