// Numbers as ljungcv reads and prints them.
#include "cli/numbers.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace cli {

std::optional<double> parse_number(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;  // "+-5"
  }
  if (text.empty() || text.front() == '+') return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // Beyond the doubles: the nearest one, 0 or infinity, as strtod gives it
    // (the tool runs in the C locale, so the point is '.').
    return std::strtod(std::string(text).c_str(), nullptr);
  }
  if (error != std::errc()) return std::nullopt;
  return value;
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
