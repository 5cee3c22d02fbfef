// Numbers as ljungcv reads and writes them, by the standard conversions;
// inline, so that a value read does not come back through memory.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// A decimal number, the whole text: an optional sign, digits with an optional
// point, an optional exponent; "inf" and "nan" too. No hexadecimal. Beyond the
// doubles' range, the nearest double (0 or infinity), as R and Python read it.
inline std::optional<double> parse_number(std::string_view text) {
  const bool plus = text.starts_with('+');  // which from_chars does not take
  text.remove_prefix(plus);
  if (text.empty() || text[0] == '+' || (plus && text[0] == '-')) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return std::nullopt;
  // There from_chars leaves the value, and strtod (in the C locale) is right.
  if (error == std::errc::result_out_of_range)
    return std::strtod(std::string(text).c_str(), nullptr);
  if (error != std::errc()) return std::nullopt;
  return value;
}

// A whole decimal number from low to high, the whole text; nothing else.
inline std::optional<std::uint64_t> parse_whole(std::string_view text, std::uint64_t low,
                                                std::uint64_t high) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

// The shortest decimal that reads back as the same double, in positional
// notation from 1e-7 up to 1e21 (200000, never 2e+05) and in exponent
// notation beyond; or, with digits, rounded to that many decimals.
inline void append_value(std::string& out, double value, std::optional<int> digits = {}) {
  char text[400];  // the longest fixed form of a double, with 30 decimals
  const double magnitude = std::fabs(value);
  std::to_chars_result end;
  if (digits && std::isfinite(value)) {
    end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, *digits);
  } else if (magnitude == 0.0 || (magnitude >= 1e-7 && magnitude < 1e21)) {
    end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  } else {
    end = std::to_chars(text, text + sizeof text, value);
  }
  out.append(text, end.ptr);
}

inline std::string format_value(double value, std::optional<int> digits = {}) {
  std::string text;
  append_value(text, value, digits);
  return text;
}

}  // namespace cli
