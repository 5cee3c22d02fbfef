// LJUNGCV's reasons in words, formatted from the outcome alone. Only the C
// library's formatting is used, so the C library needs no C++ runtime.
#include "text/sentence.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "critval/checks.hpp"
#include "text/text_writer.hpp"

namespace critval {
namespace {

// s[from, from + count), clipped, without the bounds-checked substr (the C
// library has no C++ runtime to throw with).
std::string_view part(std::string_view s, std::size_t from,
                      std::size_t count = std::string_view::npos) {
  if (from > s.size()) from = s.size();
  if (count > s.size() - from) count = s.size() - from;
  return std::string_view(s.data() + from, count);
}

// The sentence's writer: text, numbers as every surface writes them,
// integers and quoted keywords.
class Writer : public TextWriter<Writer> {
 public:
  using TextWriter::TextWriter;

  Writer& integer(long long value) {
    char digits[24];
    const int n = std::snprintf(digits, sizeof digits, "%lld", value);
    return text(std::string_view(digits, static_cast<std::size_t>(n)));
  }
  // A keyword as given, between quotes: control bytes, and bytes that are no
  // part of well-formed UTF-8, as \xNN (so that every surface shows the same
  // valid text), and no more than kShownBytes of a long one, with its length.
  Writer& quoted(std::string_view s) {
    constexpr std::size_t kShownBytes = 32;
    const std::size_t shown = s.size() > kShownBytes + 8 ? kShownBytes : s.size();
    put('\'');
    std::size_t i = 0;
    while (i < shown) {
      const std::size_t length = utf8_length(part(s, i));
      if (i + length > shown) break;  // never into the middle of a character
      const auto c = static_cast<unsigned char>(s[i]);
      if (length == 0 || c < 0x20 || c == 0x7F) {
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\x%02X", c);
        text(escape);
        ++i;
      } else {
        text(part(s, i, length));
        i += length;
      }
    }
    if (i < s.size()) {
      text("...' (").integer(static_cast<long long>(s.size())).text(" bytes)");
    } else {
      put('\'');
    }
    return *this;
  }

 private:
  // The length of the well-formed UTF-8 character s begins with (no overlong
  // form, no surrogate, nothing beyond U+10FFFF), or 0.
  static std::size_t utf8_length(std::string_view s) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(0);
    if (c < 0x80) return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return 0;
    }
    if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
      if ((byte(k) & 0xC0) != 0x80) return 0;
    }
    return length;
  }
};

// The keywords as "L, C, CORR, ...".
void keyword_words(Writer& w) {
  std::string_view list = trim_blanks(kKeywords);
  for (bool first = true; !list.empty(); first = false) {
    const std::size_t end = list.find(kBlank);
    if (!first) w.text(", ");
    w.text(part(list, 0, end));
    list = end == std::string_view::npos ? std::string_view() : part(list, end + 1);
  }
}

void rejection(Writer& w, double alpha, std::optional<std::string_view> method, Reason why) {
  switch (why) {
    case Reason::kNMissing:
      w.text("argument 1 (n) rejected: n is missing (NA, NaN or empty)");
      return;
    case Reason::kAlphaMissing:
      w.text("argument 2 (alpha) rejected: alpha is missing (NA, NaN or empty)");
      return;
    case Reason::kAlphaOutside:
      w.text("argument 2 (alpha) rejected: alpha = ").number(alpha).text(" must lie between ");
      w.number(0.0).text(" and ").number(kLargestLevel).text(" inclusive");
      return;
    default:
      w.text("argument 3 (method) rejected: ").quoted(method.value_or(""));
      w.text(" is not one of ");
      keyword_words(w);
      w.text(" (upper or lower case)");
      return;
  }
}

void no_value(Writer& w, double n, double alpha, const Outcome& outcome) {
  const bool corrected = outcome.method == Method::kCorrected;
  w.text("LJUNGCV(").number(n).text(", ").number(alpha).text(") by the ");
  w.text(corrected ? "corrected" : "asymptotic").text(" method gave no value: ");
  switch (outcome.reason) {
    case Reason::kCountBelowOne:
      w.text("n truncates to a count below 1 (or beyond 64 bits), which has no critical value");
      return;
    case Reason::kSingleAsymptotic:
      w.text("the asymptotic method needs n >= 2");
      return;
    case Reason::kLevelQuantile:
      w.text(
          "alpha is 0 or so small that the normal quantile's probability rounds to 1; the "
          "corrected method needs a larger alpha");
      if (truncate_count(n) >= 2) w.text(" (the asymptotic method, L, gives +infinity there)");
      return;
    case Reason::kLevelAnchors:
      w.text(
          "alpha is so small that sqrt(1 + alpha) rounds to 1, which makes the asymptotic "
          "anchors of the corrected curve infinite");
      return;
    case Reason::kBelowSingle:
      w.text("the value would lie below the value for a single statistic");
      if (!corrected) return;
      w.text(": the corrected curve has turned down at this level");
      if (!std::isnan(outcome.value)) {
        w.text("; the asymptotic method, L, gives ").number(outcome.value);
      }
      return;
    default:
      w.text("the computation gave no number");
      return;
  }
}

}  // namespace

std::size_t explain(double n, double alpha, std::optional<std::string_view> method,
                    const Outcome& outcome, char* buffer, std::size_t size) {
  Writer w(buffer, size);
  switch (outcome.reason) {
    case Reason::kValue:
      break;
    case Reason::kNMissing:
    case Reason::kAlphaMissing:
    case Reason::kAlphaOutside:
    case Reason::kMethodUnknown:
      rejection(w, alpha, method, outcome.reason);
      break;
    default:
      no_value(w, n, alpha, outcome);
      break;
  }
  return w.finish();
}

std::size_t explain_tail(bool exact, double n, double x, const TailOutcome& outcome, char* buffer,
                         std::size_t size) {
  Writer w(buffer, size);
  const char* what = exact ? "no exact critical value" : "no level";
  switch (outcome.reason) {
    case TailReason::kValue:
      break;
    case TailReason::kMissing:
      w.text(what).text(": ").text(std::isnan(n) ? "n" : exact ? "alpha" : "c");
      w.text(" is missing (NA or NaN)");
      break;
    case TailReason::kCountBelowOne:
      w.text(what).text(" for n = ").number(n);
      w.text(": n truncates to a count below 1 (or beyond 64 bits)");
      break;
    case TailReason::kAlphaOutside:
      w.text("argument 2 (alpha) rejected: alpha = ").number(x).text(" must lie between ");
      w.number(0.0).text(" and ").number(1.0).text(" inclusive");
      break;
  }
  return w.finish();
}

}  // namespace critval
