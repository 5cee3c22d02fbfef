// Numbers as ljungcv reads and prints them.
#include "cli/numbers.hpp"

#include <charconv>
#include <cmath>

namespace cli {

std::optional<double> parse_number(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
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
