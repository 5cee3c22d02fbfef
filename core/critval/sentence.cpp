// LJUNGCV's reasons in words. Only the C library's formatting and parsing
// (snprintf, strtod) is used, and never with a decimal point, so the words
// are the same in every locale and the C library needs no C++ runtime.
#include "critval/sentence.hpp"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

// Appends to a caller's buffer as snprintf does: counts every byte, stores
// what fits before the terminating NUL.
class Writer {
 public:
  Writer(char* buffer, std::size_t size) : buffer_(buffer), size_(size) {}

  Writer& text(std::string_view s) {
    for (const char c : s) put(c);
    return *this;
  }
  Writer& number(double value) {
    char digits[32];
    const std::size_t n = format_shortest(value, digits, sizeof digits);
    return text(std::string_view(digits, n));
  }
  Writer& integer(long long value) {
    char digits[24];
    const int n = std::snprintf(digits, sizeof digits, "%lld", value);
    return text(std::string_view(digits, static_cast<std::size_t>(n)));
  }
  // A keyword as given, between quotes: control bytes as \xNN, and no more
  // than kShownBytes of a long one, with its length.
  Writer& quoted(std::string_view s) {
    constexpr std::size_t kShownBytes = 32;
    put('\'');
    std::size_t shown = s.size() > kShownBytes + 8 ? kShownBytes : s.size();
    // Never into the middle of a UTF-8 character.
    while (shown < s.size() && shown > 0 && (static_cast<unsigned char>(s[shown]) & 0xC0) == 0x80) {
      --shown;
    }
    for (std::size_t i = 0; i < shown; ++i) {
      const auto c = static_cast<unsigned char>(s[i]);
      if (c < 0x20 || c == 0x7F) {
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\x%02X", c);
        text(escape);
      } else {
        put(static_cast<char>(c));
      }
    }
    if (shown < s.size()) {
      text("...' (").integer(static_cast<long long>(s.size())).text(" bytes)");
    } else {
      put('\'');
    }
    return *this;
  }
  std::size_t finish() {
    if (size_ > 0) buffer_[length_ < size_ ? length_ : size_ - 1] = '\0';
    return length_;
  }

 private:
  void put(char c) {
    if (length_ + 1 < size_) buffer_[length_] = c;
    ++length_;
  }
  char* buffer_;
  std::size_t size_;
  std::size_t length_ = 0;
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

void rejection(Writer& w, double alpha, std::optional<std::string_view> method, int argument) {
  switch (argument) {
    case 1:
      w.text("argument 1 (n) rejected: n is missing (NA, NaN or empty)");
      return;
    case 2:
      if (std::isnan(alpha)) {
        w.text("argument 2 (alpha) rejected: alpha is missing (NA, NaN or empty)");
      } else {
        w.text("argument 2 (alpha) rejected: alpha = ").number(alpha).text(" must lie between ");
        w.number(0.0).text(" and ").number(kLargestLevel).text(" inclusive");
      }
      return;
    default:
      w.text("argument 3 (method) rejected: ").quoted(method.value_or(""));
      w.text(" is not one of ");
      keyword_words(w);
      w.text(" (upper or lower case)");
      return;
  }
}

void no_value(Writer& w, double n, double alpha, Method method) {
  const bool corrected = method == Method::kCorrected;
  const std::int64_t count = truncate_count(n);
  w.text("LJUNGCV(").number(n).text(", ").number(alpha).text(") by the ");
  w.text(corrected ? "corrected" : "asymptotic").text(" method gave no value: ");
  switch (why_no_value(count, alpha, method)) {
    case NoValue::kCountBelowOne:
      w.text("n truncates to a count below 1 (or beyond 64 bits), which has no critical value");
      return;
    case NoValue::kSingleAsymptotic:
      w.text("the asymptotic method needs n >= 2");
      return;
    case NoValue::kLevelQuantile:
      w.text(
          "alpha is 0 or so small that the normal quantile's probability rounds to 1; the "
          "corrected method needs a larger alpha");
      if (count >= 2) w.text(" (the asymptotic method, L, gives +infinity there)");
      return;
    case NoValue::kLevelAnchors:
      w.text(
          "alpha is so small that sqrt(1 + alpha) rounds to 1, which makes the asymptotic "
          "anchors of the corrected curve infinite");
      return;
    case NoValue::kBelowSingle: {
      w.text("the value would lie below the value for a single statistic");
      if (!corrected) return;
      w.text(": the corrected curve has turned down at this level");
      const double asymptotic = critical_value(count, alpha, Method::kAsymptotic);
      if (!std::isnan(asymptotic)) w.text("; the asymptotic method, L, gives ").number(asymptotic);
      return;
    }
    case NoValue::kNone:
    case NoValue::kArithmetic:
      break;
  }
  w.text("the computation gave no number");
}

// The fewest decimals k, and the digits m, with which m / 10^k reads back as
// x: m and 10^k are exact (below 2^53 and 10^22), so m / 10^k is the one
// correctly rounded division that reading the decimal m e-k performs.
// False when no such m lies below 2^53.
bool positional_digits(double x, std::uint64_t& m, int& k) {
  constexpr double kExact = 9007199254740992.0;  // 2^53
  double power = 1.0;
  for (k = 0; k <= 22; ++k, power *= 10.0) {
    const double scaled = x * power;
    if (scaled >= kExact) return false;
    const double nearest = std::nearbyint(scaled);
    for (const double candidate : {nearest, nearest - 1.0, nearest + 1.0}) {
      if (candidate >= 0.0 && candidate < kExact && candidate / power == x) {
        m = static_cast<std::uint64_t>(candidate);
        return true;
      }
    }
  }
  return false;
}

// m e-k in positional notation: the whole part, then the k decimals if any.
Writer& write_positional(Writer& w, std::uint64_t m, int k) {
  char digits[24];
  int count = 0;
  for (; m > 0 || count <= k; m /= 10) digits[count++] = static_cast<char>('0' + m % 10);
  for (int i = count - 1; i >= 0; --i) {
    if (i == k - 1) w.text(".");
    w.text(std::string_view(&digits[i], 1));
  }
  return w;
}

}  // namespace

std::size_t explain(double n, double alpha, std::optional<std::string_view> method,
                    const Outcome& outcome, char* buffer, std::size_t size) {
  Writer w(buffer, size);
  if (outcome.status == kInvalidArgument) {
    rejection(w, alpha, method, outcome.rejected);
  } else if (outcome.status == kMissingResult) {
    no_value(w, n, alpha, outcome.method);
  } else {
    return w.finish();
  }
  w.text(" (status ").integer(outcome.status).text(")");
  return w.finish();
}

std::size_t format_shortest(double value, char* buffer, std::size_t size) {
  Writer w(buffer, size);
  if (std::isnan(value)) return w.text("nan").finish();
  if (std::signbit(value)) w.text("-");
  const double magnitude = std::fabs(value);
  if (std::isinf(magnitude)) return w.text("inf").finish();
  if (magnitude == 0.0) return w.text("0").finish();

  if (magnitude >= 1e-7 && magnitude < 1e21) {
    std::uint64_t m = 0;
    int k = 0;
    if (positional_digits(magnitude, m, k)) return write_positional(w, m, k).finish();
  }
  // The fewest significant digits that read back as the value: d.ddd x 10^exponent.
  // A decimal of up to 15 digits reads back from a normal double exactly, so
  // when 15 digits read back, they are the shortest with their trailing zeros
  // dropped; else 16 or 17 digits (17 always read back). A subnormal one has
  // fewer digits to it: there, a binary search (reading back is monotone in
  // the digits kept).
  char digits[20];
  std::size_t count = 0;
  int exponent = 0;
  const auto reads_back = [&](int precision) {
    char printed[40];
    std::snprintf(printed, sizeof printed, "%.*e", precision, magnitude);
    count = 0;
    const char* p = printed;
    for (; *p != 'e'; ++p) {
      if (*p >= '0' && *p <= '9') digits[count++] = *p;
    }
    exponent = std::atoi(p + 1);
    // The digits as an integer times a power of ten: no decimal point to read.
    char integer[48];
    std::snprintf(integer, sizeof integer, "%.*se%d", static_cast<int>(count), digits,
                  exponent - precision);
    return std::strtod(integer, nullptr) == magnitude;
  };
  // Each call leaves its digits and exponent behind.
  if (magnitude >= DBL_MIN) {
    if (!reads_back(14) && !reads_back(15)) reads_back(16);
  } else {
    int low = 0, high = 16;
    while (low < high) {
      const int middle = (low + high) / 2;
      if (reads_back(middle)) {
        high = middle;
      } else {
        low = middle + 1;
      }
    }
    reads_back(low);
  }
  while (count > 1 && digits[count - 1] == '0') --count;
  const std::string_view d(digits, count);

  if (magnitude >= 1e-7 && magnitude < 1e21) {
    if (exponent < 0) {
      w.text("0.");
      for (int i = -1; i > exponent; --i) w.text("0");
      return w.text(d).finish();
    }
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    w.text(part(d, 0, whole));
    for (std::size_t i = count; i < whole; ++i) w.text("0");
    if (count > whole) w.text(".").text(part(d, whole));
    return w.finish();
  }
  w.text(part(d, 0, 1));
  if (count > 1) w.text(".").text(part(d, 1));
  w.text(exponent < 0 ? "e-" : "e+");
  const int e = exponent < 0 ? -exponent : exponent;
  if (e < 10) w.text("0");
  return w.integer(e).finish();
}

}  // namespace critval
