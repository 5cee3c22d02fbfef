// Lists of numbers and ranges for tables.
#include "cli/ranges.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "cli/numbers.hpp"

namespace cli {
namespace {

// Decimals a number was written with: digits after the point, less the
// exponent; held to a range in which it still means something.
int decimals(std::string_view text) {
  long long exponent = 0;
  const std::size_t e = text.find_first_of("eE");
  if (e != std::string_view::npos) {
    const std::size_t digits = e + 1 + (e + 1 < text.size() && text[e + 1] == '+');
    const auto parsed = std::from_chars(text.data() + digits, text.data() + text.size(), exponent);
    if (parsed.ec == std::errc::result_out_of_range) exponent = text[digits] == '-' ? -1000 : 1000;
    exponent = std::clamp(exponent, -1000LL, 1000LL);
    text = text.substr(0, e);
  }
  const std::size_t point = text.find('.');
  const long long after =
      point == std::string_view::npos ? 0 : std::min<long long>(text.size() - point - 1, 1000);
  return static_cast<int>(after - exponent);
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

NumberList::NumberList(std::string_view text, std::string_view what, std::uint64_t max_values) {
  for (const std::string_view item : split(text, ',')) {
    const auto fail = [&](const std::string& why) {
      throw ListError(std::string(what) + ": '" + std::string(item) + "' " + why);
    };
    // The whole list's count, not the item's, against the limit.
    const auto too_many = [&](double count) {
      throw ListError(std::string(what) + ": '" + std::string(item) + "' " +
                      (size_ == 0 ? "has " : "brings the list to ") +
                      format_number(static_cast<double>(size_) + count) +
                      " values, more than the " + std::to_string(max_values) +
                      " allowed (see --max-rows)");
    };
    const std::vector<std::string_view> parts = split(item, ':');
    Item next{};
    if (parts.size() == 1) {
      const auto v = parse_number(item);
      if (!v) fail("is not a number");
      next = {*v, 0.0, 1, false, -1};
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
      if (!(count < 0x1p64))
        fail("has " + format_number(count) + " values, more than ljungcv can count");
      if (count > static_cast<double>(max_values - size_)) too_many(count);
      const int places = std::max(decimals(parts[0]), decimals(step_text));
      next = {*start, *step, static_cast<std::uint64_t>(count), geometric,
              places >= 0 && places <= 17 ? places : -1};
    } else {
      fail("is not a number or a range");
    }
    if (next.count > max_values - size_) too_many(static_cast<double>(next.count));
    size_ += next.count;
    items_.push_back(next);
  }
}

double NumberList::value(const Item& item, std::uint64_t i) {
  if (item.step == 0.0 && !item.geometric) return item.start;  // a single number
  const double k = static_cast<double>(i);
  if (item.geometric) {
    return rounded(item.start * std::pow(item.step, k), std::chars_format::general, 15);
  }
  const double v = item.start + k * item.step;
  return item.places >= 0 ? rounded(v, std::chars_format::fixed, item.places) : v;
}

}  // namespace cli
