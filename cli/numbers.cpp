// Numbers as ljungcv reads and prints them.
#include "cli/numbers.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/words.hpp"

namespace cli {

namespace {

// The plain decimals that rows hold, [-]digits[.digits][e[+-]digits] with at
// most 15 digits and a power of ten up to 22: the digits and the power are
// exact doubles, so one multiplication or division is the correctly rounded
// value, as from_chars gives it. False for anything else, which goes the long
// way: the same value, later.
bool plain_decimal(std::string_view text, double& out) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = text.data();
  const char* const end = p + text.size();
  const bool negative = p < end && *p == '-';
  p += negative;
  const auto digit = [&] { return p < end && static_cast<unsigned>(*p - '0') < 10; };
  std::uint64_t digits = 0;
  const char* const whole = p;
  for (; digit() && p - whole < 16; ++p) digits = digits * 10 + static_cast<unsigned>(*p - '0');
  int count = static_cast<int>(p - whole), scale = 0;
  if (p < end && *p == '.') {
    const char* const fraction = ++p;
    for (; digit() && count + (p - fraction) < 16; ++p)
      digits = digits * 10 + static_cast<unsigned>(*p - '0');
    scale = -static_cast<int>(p - fraction);
    count -= scale;
  }
  if (count == 0 || count > 15) return false;
  if (p < end) {
    if (*p != 'e' && *p != 'E') return false;
    ++p;
    const bool minus = p < end && *p == '-';
    p += minus || (p < end && *p == '+');
    const char* const first = p;
    int exponent = 0;
    for (; digit() && p - first < 4; ++p) exponent = exponent * 10 + (*p - '0');
    if (p == first || p != end) return false;
    scale += minus ? -exponent : exponent;
  }
  double value = static_cast<double>(digits);
  if (digits != 0) {
    if (scale < -22 || scale > 22) return false;
    value = scale < 0 ? value / kPowers[-scale] : value * kPowers[scale];
  }
  out = negative ? -value : value;
  return true;
}

// A field of one to eight bytes, digits with at most one point among them,
// read at once from the word that holds it (its first byte lowest): at most
// eight digits, exact, and a power of ten up to 7, so one division is the
// correctly rounded value. False for any other field.
bool word_decimal(std::uint64_t w, std::size_t size, double& out) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
  const auto bytes = [](std::size_t count) {  // the low `count` bytes, count below 8
    return (std::uint64_t{1} << (8 * count)) - 1;
  };
  const std::uint64_t field = size == 8 ? ~std::uint64_t{0} : bytes(size);
  const std::uint64_t digits = ~words::below(w, '0') & words::below(w, '9' + 1);
  const std::uint64_t others = field & words::kHighBits & ~digits;
  std::size_t fraction = 0;
  if (others != 0) {
    const int point = words::first_byte(others);
    if ((others & (others - 1)) != 0 || ((w >> (8 * point)) & 0xFF) != '.') return false;
    w = (w & bytes(point)) | ((w >> 8) & ~bytes(point));  // the point taken out
    fraction = size - 1 - point;
    --size;
  }
  if (size == 0) return false;
  // The digits' values, the last in the highest byte and zeros before the first.
  const std::uint64_t kept = size == 8 ? ~std::uint64_t{0} : bytes(size);
  w = ((w & kept) - (words::kOnes * '0' & kept)) << (8 * (8 - size));
  // Pairs, then fours, then all eight: each step joins neighbours as tens.
  w = w * 10 + (w >> 8);
  constexpr std::uint64_t kPairs = 0x000000FF000000FF;
  w = ((w & kPairs) * (100 + (std::uint64_t{1000000} << 32)) +
       ((w >> 16) & kPairs) * (1 + (std::uint64_t{10000} << 32))) >>
      32;
  out = static_cast<double>(static_cast<std::uint32_t>(w)) / kPowers[fraction];
  return true;
}

#ifdef __SIZEOF_INT128__
// v below 10^8 as eight digits, leading zeros included, two at a time.
void write_8_digits(std::uint32_t v, char* out) {
  static constexpr auto kPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
      pairs[2 * i] = static_cast<char>('0' + i / 10);
      pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
  }();
  const std::uint32_t high = v / 10000, low = v % 10000;
  std::memcpy(out, &kPairs[2 * (high / 100)], 2);
  std::memcpy(out + 2, &kPairs[2 * (high % 100)], 2);
  std::memcpy(out + 4, &kPairs[2 * (low / 100)], 2);
  std::memcpy(out + 6, &kPairs[2 * (low % 100)], 2);
}

// The shortest decimal that reads back as x, in [1, 10), and of those the
// nearest (of two as near, the even one), written as to_chars writes it in
// fixed notation; null where x is elsewhere. Exact in 128-bit integers: x is
// m / 2^s with m < 2^53 and 49 <= s <= 52, so x 10^k is (m 10^k) / 2^s.
char* write_shortest_1_to_10(double x, char* out) {
  if (!(x >= 1.0 && x < 10.0)) return nullptr;
  using Wide = unsigned __int128;
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
  const int s = 1075 - static_cast<int>(bits >> 52);
  // Decimals of 15 digits are further apart than x's rounding interval is
  // wide (an ulp, at most 2^-49): one at most lies in it, and a shorter one
  // would be one too, with zeros after it. Of 16 digits, the nearest is the
  // one if any is; of 17, the nearest always reads back.
  std::uint64_t power = 100000000000000;  // 10^(digits - 1)
  for (int digits = 15; digits <= 17; ++digits, power *= 10) {
    const Wide scaled = Wide{m} * power;  // x 10^(digits-1), times 2^s
    const auto low = static_cast<std::uint64_t>(scaled),
               high = static_cast<std::uint64_t>(scaled >> 64);
    const std::uint64_t unit = std::uint64_t{1} << s, rest = low & (unit - 1);
    std::uint64_t d = (high << (64 - s)) | (low >> s);
    const bool up = rest > unit / 2 || (rest == unit / 2 && (d & 1) != 0);
    d += up;
    // d reads back as x where |d - x 10^(digits-1)| is within half an ulp
    // (times 10^(digits-1)); never exactly half, as d 2^(s+1) and
    // 10^(digits-1) (2m +- 1) differ in their powers of two.
    const std::uint64_t distance = up ? unit - rest : rest;  // times 2^s
    if (2 * distance > power) continue;
    if (d >= power * 10) return nullptr;  // 10: never x's, as x < 10
    // As 17 digits, d.dddddddd dddddddd, and the zeros after the last dropped.
    for (; digits < 17; ++digits) d *= 10;
    constexpr std::uint64_t k16 = 10000000000000000, k8 = 100000000;
    out[0] = static_cast<char>('0' + d / k16);
    out[1] = '.';
    write_8_digits(static_cast<std::uint32_t>(d % k16 / k8), out + 2);
    write_8_digits(static_cast<std::uint32_t>(d % k8), out + 10);
    char* end = out + 18;
    while (end[-1] == '0') --end;
    return end[-1] == '.' ? end - 1 : end;
  }
  return nullptr;
}
#else
char* write_shortest_1_to_10(double, char*) {
  return nullptr;  // to_chars, then: no 128-bit integers here
}
#endif

}  // namespace

bool read_number(std::string_view around, std::size_t start, std::size_t size, double& value) {
  if (size - 1 < 8 && around.size() >= 8) {
    const char* const end = around.data() + around.size();
    std::uint64_t w;
    if (start + 8 <= around.size()) {
      w = words::load(around.data() + start, end);
    } else {  // near the end: the last eight bytes, shifted down to the field
      w = words::load(end - 8, end) >> (8 * (start + 8 - around.size()));
    }
    if (word_decimal(w, size, value)) return true;
  }
  return read_number(around.substr(start, size), value);
}

bool read_number(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return false;  // "+-5"
  }
  if (text.empty() || text.front() == '+') return false;
  if (plain_decimal(text, value)) return true;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return false;
  if (error == std::errc::result_out_of_range) {
    // Beyond the doubles: the nearest one, 0 or infinity, as strtod gives it
    // (the tool runs in the C locale, so the point is '.').
    value = std::strtod(std::string(text).c_str(), nullptr);
    return true;
  }
  return error == std::errc();
}

std::optional<std::uint64_t> parse_whole(std::string_view text, std::uint64_t low,
                                         std::uint64_t high) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

void append_value(std::string& out, double value, std::optional<int> digits) {
  char buffer[400];
  std::to_chars_result result;
  if (digits && std::isfinite(value)) {
    result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, *digits);
  } else {
    if (char* const end = write_shortest_1_to_10(value, buffer)) {  // critical values mostly
      out.append(buffer, end);
      return;
    }
    const double magnitude = std::fabs(value);
    const bool positional = magnitude == 0.0 || (magnitude >= 1e-7 && magnitude < 1e21);
    result = positional
                 ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                 : std::to_chars(buffer, buffer + sizeof buffer, value);
  }
  out.append(buffer, result.ptr);
}

std::string format_value(double value, std::optional<int> digits) {
  std::string text;
  append_value(text, value, digits);
  return text;
}

std::string format_number(double value) {
  return format_value(value, std::nullopt);
}

}  // namespace cli
