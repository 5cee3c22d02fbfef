// Numbers as ljungcv reads and prints them.
#include "cli/numbers.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace cli {

namespace {

// The plain decimals that rows hold, [-]digits[.digits][e[+-]digits] with at
// most 15 significant digits and a power of ten up to 22: the digits and the
// power are exact doubles, so one multiplication or division is the
// correctly rounded value, as from_chars gives it. False for anything else.
bool plain_decimal(std::string_view text, double& out) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  std::size_t i = 0;
  const bool negative = i < text.size() && text[i] == '-';
  i += negative;
  std::uint64_t digits = 0;
  int significant = 0, scale = 0, seen = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    ++seen;
    if (digits == 0 && c == '0') {  // leading zeros count for nothing but the scale
      scale -= point;
      continue;
    }
    if (++significant > 15) return false;
    digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
    scale -= point;
  }
  if (seen == 0) return false;
  if (i < text.size()) {
    if (text[i] != 'e' && text[i] != 'E') return false;
    ++i;
    const bool minus = i < text.size() && text[i] == '-';
    i += minus || (i < text.size() && text[i] == '+');
    int exponent = 0, exponent_digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && exponent < 1000; ++i) {
      exponent = exponent * 10 + (text[i] - '0');
      ++exponent_digits;
    }
    if (exponent_digits == 0 || i != text.size()) return false;
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

}  // namespace

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
