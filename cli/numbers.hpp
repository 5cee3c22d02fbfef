// Numbers as ljungcv reads and prints them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// A decimal number, the whole text: an optional sign, digits with an optional
// point, an optional exponent; "inf" and "nan" too. No hexadecimal. Beyond the
// doubles' range, the nearest double (0 or infinity), as R and Python read it.
bool read_number(std::string_view text, double& value);
// The same for the field at start in around, whose other bytes may be read
// with it, eight at a time.
bool read_number(std::string_view around, std::size_t start, std::size_t size, double& value);
// The same as an optional, inline: an optional<double> returned from a call
// that is not inlined comes back through the stack, where reading it stalls
// on the store.
inline std::optional<double> parse_number(std::string_view text) {
  double value;
  return read_number(text, value) ? std::optional<double>(value) : std::nullopt;
}

// A whole decimal number from low to high, the whole text; nothing else.
std::optional<std::uint64_t> parse_whole(std::string_view text, std::uint64_t low,
                                         std::uint64_t high);

// The shortest decimal that reads back as the same double, in positional
// notation from 1e-7 up to 1e21 (200000, never 2e+05) and in exponent
// notation beyond.
std::string format_number(double value);

// A value for display: format_number's form, or rounded to `digits` decimals.
std::string format_value(double value, std::optional<int> digits);

// Appends format_value's text without allocating.
void append_value(std::string& out, double value, std::optional<int> digits);

}  // namespace cli
