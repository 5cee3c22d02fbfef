// Lists of numbers and ranges for tables.
#include "cli/ranges.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "cli/numbers.hpp"

namespace cli {
namespace {

// Decimals a number was written with: digits after the point, less the
// exponent; held to a range in which it still means something.
int decimals(std::string_view text) {
  long long exponent = 0;
  const std::size_t e = std::min(text.find_first_of("eE"), text.size());
  if (e < text.size()) {
    const std::size_t digits = e + 1 + (e + 1 < text.size() && text[e + 1] == '+');
    const auto parsed = std::from_chars(text.data() + digits, text.data() + text.size(), exponent);
    if (parsed.ec == std::errc::result_out_of_range) exponent = text[digits] == '-' ? -1000 : 1000;
    exponent = std::clamp(exponent, -1000LL, 1000LL);
  }
  const std::size_t point = text.substr(0, e).find('.');
  return static_cast<int>(
      (point == std::string_view::npos ? 0 : std::min<long long>(e - point - 1, 1000)) - exponent);
}

// The double nearest the value written with this many decimals or significant digits.
double rounded(double value, std::chars_format format, int precision) {
  char text[400];
  std::from_chars(text, std::to_chars(text, text + sizeof text, value, format, precision).ptr,
                  value);
  return value;
}

}  // namespace

NumberList::NumberList(std::string_view text, std::string_view what, std::uint64_t max_values) {
  for_each_item(text, [&](std::string_view item) { add(item, what, max_values); });
}

void NumberList::add(std::string_view item, std::string_view what, std::uint64_t max_values) {
  const auto fail = [&](const std::string& why) {
    throw ListError(std::string(what) + ": '" + std::string(item) + "' " + why);
  };
  const std::size_t first = item.find(':');
  const std::size_t second = first == std::string_view::npos ? first : item.find(':', first + 1);
  Item next;
  double count = 1.0;  // values in the item, as a double: it may be huge
  if (first == std::string_view::npos) {
    const auto v = parse_number(item);
    if (!v) fail("is not a number");
    next.start = *v;
  } else if (second != std::string_view::npos &&
             item.find(':', second + 1) == std::string_view::npos) {
    std::string_view step_text = item.substr(second + 1);
    next.geometric = step_text.starts_with('*');
    step_text.remove_prefix(next.geometric);
    const auto start = parse_number(item.substr(0, first));
    const auto end = parse_number(item.substr(first + 1, second - first - 1));
    const auto step = parse_number(step_text);
    if (!start || !end || !step) fail("is not START:END:STEP or START:END:*FACTOR");
    if (!std::isfinite(*start) || !std::isfinite(*end) || !std::isfinite(*step))
      fail("has a bound or step that is not finite");
    if (next.geometric && !(*start > 0.0 && *end > 0.0)) fail("needs positive bounds for a factor");
    const double span = next.geometric ? std::log(*end / *start) : *end - *start;
    const double growth = next.geometric ? std::log(*step) : *step;
    if ((next.geometric && !(*step > 0.0)) || growth == 0.0 ||
        (span != 0.0 && (span > 0) != (growth > 0))) {
      fail(next.geometric ? "never reaches its end with that factor"
                          : "never reaches its end with that step");
    }
    count = std::floor(span / growth + 1e-9) + 1.0;
    if (!(count < 0x1p64))
      fail("has " + format_value(count) + " values, more than ljungcv can count");
    const int places = std::max(decimals(item.substr(0, first)), decimals(step_text));
    next = {*start, *step, static_cast<std::uint64_t>(count), next.geometric,
            places >= 0 && places <= 17 ? places : -1};
  } else {
    fail("is not a number or a range");
  }
  // The whole list's count, not the item's, against the limit.
  const std::uint64_t room = max_values - size_;
  if (count > static_cast<double>(room) || next.count > room) {
    fail((size_ == 0 ? "has " : "brings the list to ") +
         format_value(static_cast<double>(size_) + count) + " values, more than the " +
         std::to_string(max_values) + " allowed (see --max-rows)");
  }
  size_ += next.count;
  items_.push_back(next);
}

double NumberList::value(const Item& item, std::uint64_t i) {
  const double k = static_cast<double>(i);
  if (item.geometric)
    return rounded(item.start * std::pow(item.step, k), std::chars_format::general, 15);
  if (item.step == 0.0) return item.start;  // a single number
  const double v = item.start + k * item.step;
  return item.places < 0 ? v : rounded(v, std::chars_format::fixed, item.places);
}

}  // namespace cli
