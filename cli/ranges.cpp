// Lists of numbers and ranges for tables.
#include "cli/ranges.hpp"

#include <charconv>
#include <cmath>
#include <string>

#include "cli/numbers.hpp"

namespace cli {
namespace {

// Decimals a number was written with: digits after the point, less the exponent.
int decimals(std::string_view text) {
  int exponent = 0;
  const std::size_t e = text.find_first_of("eE");
  if (e != std::string_view::npos) {
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(),
                    exponent);
    text = text.substr(0, e);
  }
  const std::size_t point = text.find('.');
  const int after = point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
  return after - exponent;
}

// The double nearest the value written with this many decimals or significant digits.
double rounded(double value, std::chars_format format, int precision) {
  char buffer[400];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision).ptr;
  double result = value;
  std::from_chars(buffer, end, result);
  return result;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

}  // namespace

std::vector<double> parse_list(std::string_view text, std::string_view what,
                               std::uint64_t max_values) {
  std::vector<double> values;
  for (const std::string_view item : split(text, ',')) {
    const auto fail = [&](const std::string& why) {
      throw ListError(std::string(what) + ": '" + std::string(item) + "' " + why);
    };
    const std::vector<std::string_view> parts = split(item, ':');
    if (parts.size() == 1) {
      const auto v = parse_number(item);
      if (!v) fail("is not a number");
      values.push_back(*v);
    } else if (parts.size() == 3) {
      const bool geometric = !parts[2].empty() && parts[2][0] == '*';
      const std::string_view step_text = geometric ? parts[2].substr(1) : parts[2];
      const auto start = parse_number(parts[0]), end = parse_number(parts[1]);
      const auto step = parse_number(step_text);
      if (!start || !end || !step) fail("is not START:END:STEP or START:END:*FACTOR");
      if (!std::isfinite(*start) || !std::isfinite(*end) || !std::isfinite(*step)) {
        fail("has a bound or step that is not finite");
      }
      double count = 0.0;  // values in the range, as a double: it may be huge
      if (geometric) {
        if (!(*start > 0.0 && *end > 0.0)) fail("needs positive bounds for a factor");
        const double span = std::log(*end / *start), growth = std::log(*step);
        if (!(*step > 0.0) || growth == 0.0 || (span != 0.0 && (span > 0) != (growth > 0))) {
          fail("never reaches its end with that factor");
        }
        count = std::floor(span / growth + 1e-9) + 1.0;
      } else {
        const double span = *end - *start;
        if (*step == 0.0 || (span != 0.0 && (span > 0) != (*step > 0))) {
          fail("never reaches its end with that step");
        }
        count = std::floor(span / *step + 1e-9) + 1.0;
      }
      if (!(count <= static_cast<double>(max_values - values.size()))) {
        fail("has " + format_number(count) + " values, more than the " +
             std::to_string(max_values) + " allowed (see --max-rows)");
      }
      const int places = std::max(decimals(parts[0]), decimals(step_text));
      for (std::uint64_t i = 0; i < static_cast<std::uint64_t>(count); ++i) {
        const double k = static_cast<double>(i);
        values.push_back(geometric
                             ? rounded(*start * std::pow(*step, k), std::chars_format::general, 15)
                         : places >= 0 && places <= 17
                             ? rounded(*start + k * *step, std::chars_format::fixed, places)
                             : *start + k * *step);
      }
    } else {
      fail("is not a number or a range");
    }
    if (values.size() > max_values) {
      throw ListError(std::string(what) + " has more than the " + std::to_string(max_values) +
                      " values allowed (see --max-rows)");
    }
  }
  return values;
}

}  // namespace cli
