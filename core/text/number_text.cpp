// The shortest decimal that reads back, in positional or exponent form.
#include "text/number_text.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "text/text_writer.hpp"

namespace critval {
namespace {

// The significant digits of a decimal and the power of ten of its first:
// digits[0].digits[1..] x 10^exponent.
struct Decimal {
  char digits[20];
  int count;
  int exponent;
};

// d read as a decimal: the digits as an integer with an exponent, so that no
// decimal point is read.
double read(const Decimal& d) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*se%d", d.count, d.digits, d.exponent - (d.count - 1));
  return std::strtod(text, nullptr);
}

// x (positive, finite) correctly rounded to `count` significant digits.
Decimal rounded(double x, int count) {
  char printed[40];
  std::snprintf(printed, sizeof printed, "%.*e", count - 1, x);
  Decimal d{};
  const char* p = printed;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') d.digits[d.count++] = *p;
  }
  d.exponent = std::atoi(p + 1);
  return d;
}

// d with one unit added to (+1) or taken from (-1) its last digit.
Decimal step(Decimal d, int direction) {
  int i = d.count - 1;
  if (direction > 0) {
    for (; i >= 0 && d.digits[i] == '9'; --i) d.digits[i] = '0';
    if (i >= 0) {
      ++d.digits[i];
    } else {  // 99..9 + 1: 10..0, one power of ten up
      d.digits[0] = '1';
      ++d.exponent;
    }
  } else {
    for (; i >= 0 && d.digits[i] == '0'; --i) d.digits[i] = '9';
    if (i >= 0) --d.digits[i];
    if (d.digits[0] == '0') {  // 10..0 - 1: 99..9, one power of ten down
      for (int k = 0; k < d.count; ++k) d.digits[k] = '9';
      --d.exponent;
    }
  }
  return d;
}

// Of `count` digits, the decimal nearest x that reads back as x, if one does.
// The nearest of all is the correct rounding; where that lies just outside
// x's rounding interval (beside a power of two, whose interval is narrower
// below), only the one on x's other side can lie inside.
bool reads_back_with(double x, int count, Decimal& d) {
  d = rounded(x, count);
  const double nearest = read(d);
  if (nearest == x) return true;
  d = step(d, nearest > x ? -1 : 1);
  return read(d) == x;
}

// The fewest digits that read back as x and, of those, the ones nearest x.
// For a normal double the one decimal of 15 digits or fewer that reads back
// is its correct rounding to 15 digits with trailing zeros dropped (the
// rounding interval is narrower than the 15-digit spacing).
Decimal shortest(double x) {
  Decimal d{};
  if (x >= 0x1p-1022) {
    if (reads_back_with(x, 15, d) || reads_back_with(x, 16, d)) return d;
    return rounded(x, 17);
  }
  for (int count = 1; count < 17; ++count) {
    if (reads_back_with(x, count, d)) return d;
  }
  return rounded(x, 17);
}

// The fewest decimals k, and the digits m < 2^52, with which m / 10^k reads
// back as x: m and 10^k are exact, so m / 10^k is the one correctly rounded
// division that reading the decimal m e-k performs, and below 2^52 no two
// such m of one k read back. False where none is found so.
bool positional_digits(double x, std::uint64_t& m, int& k) {
  constexpr double kLimit = 0x1p52;
  double power = 1.0;
  for (k = 0; k <= 22; ++k, power *= 10.0) {
    const double scaled = x * power;
    if (scaled >= kLimit) return false;
    const double nearest = std::nearbyint(scaled);
    for (const double candidate : {nearest, nearest - 1.0, nearest + 1.0}) {
      if (candidate >= 0.0 && candidate < kLimit && candidate / power == x) {
        m = static_cast<std::uint64_t>(candidate);
        return true;
      }
    }
  }
  return false;
}

class Writer : public TextWriter<Writer> {
 public:
  using TextWriter::TextWriter;
};

}  // namespace

std::size_t format_shortest(double value, char* buffer, std::size_t size) {
  Writer w(buffer, size);
  if (std::isnan(value)) return w.text("nan").finish();
  if (std::signbit(value)) w.put('-');
  const double x = std::fabs(value);
  if (std::isinf(x)) return w.text("inf").finish();
  if (x == 0.0) return w.put('0').finish();
  const bool positional = x >= 1e-7 && x < 1e21;

  if (positional) {
    std::uint64_t m = 0;
    int k = 0;
    if (positional_digits(x, m, k)) {
      char digits[24];
      int count = 0;
      for (; m > 0 || count <= k; m /= 10) digits[count++] = static_cast<char>('0' + m % 10);
      for (int i = count - 1; i >= 0; --i) {
        if (i == k - 1) w.put('.');
        w.put(digits[i]);
      }
      return w.finish();
    }
  }
  Decimal d = shortest(x);
  while (d.count > 1 && d.digits[d.count - 1] == '0') --d.count;
  // Written out whole, a number that is an integer beyond its digits (zeros
  // to pad) is the integer itself: the same length, and nearest. Beyond 1e21
  // so only where that is no longer than the exponent form.
  const int exponent_digits = std::abs(d.exponent) >= 100 ? 3 : 2;
  const int exponent_form = d.count + (d.count > 1) + 2 + exponent_digits;
  if (d.count <= d.exponent && (positional || d.exponent + 1 <= exponent_form)) {
    char whole[32];
    const int n = std::snprintf(whole, sizeof whole, "%.0f", x);
    return w.text(std::string_view(whole, static_cast<std::size_t>(n))).finish();
  }
  if (positional) {
    if (d.exponent < 0) {
      w.text("0.");
      for (int i = -1; i > d.exponent; --i) w.put('0');
      return w.text(std::string_view(d.digits, static_cast<std::size_t>(d.count))).finish();
    }
    const int whole = d.exponent + 1;
    w.text(std::string_view(d.digits, static_cast<std::size_t>(whole < d.count ? whole : d.count)));
    if (d.count > whole) {
      w.put('.').text(
          std::string_view(d.digits + whole, static_cast<std::size_t>(d.count - whole)));
    }
    return w.finish();
  }
  w.put(d.digits[0]);
  if (d.count > 1)
    w.put('.').text(std::string_view(d.digits + 1, static_cast<std::size_t>(d.count - 1)));
  w.put('e').put(d.exponent < 0 ? '-' : '+');
  char exponent[8];
  const int n = std::snprintf(exponent, sizeof exponent, "%02d", std::abs(d.exponent));
  return w.text(std::string_view(exponent, static_cast<std::size_t>(n))).finish();
}

}  // namespace critval
