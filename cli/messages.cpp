// Statuses and values in words for ljungcv.
#include "cli/messages.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace cli {
namespace {

constexpr std::int32_t kMissingResult = 120833;
constexpr std::int32_t kInvalidArgument = 120836;

std::string quoted_method(const Request& r) {
  return "'" + r.method.value_or("") + "'";
}

bool asymptotic(const Request& r) {
  // Only for explaining a missing value of an accepted call; the module chose.
  if (!r.method) return false;
  for (char c : *r.method)
    if (c != ' ') return c == 'L' || c == 'l';
  return false;
}

}  // namespace

std::string format_value(double value, std::optional<int> digits) {
  char buffer[512];
  const auto result = digits ? std::to_chars(buffer, buffer + sizeof buffer, value,
                                             std::chars_format::fixed, *digits)
                             : std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string format_number(double value) {
  return format_value(value, std::nullopt);
}

std::string_view status_word(std::int32_t status) {
  switch (status) {
    case 0:
      return "ok";
    case kMissingResult:
      return "missing";
    case kInvalidArgument:
      return "rejected";
    default:
      return "unknown";
  }
}

Exit exit_for(std::int32_t status) {
  if (status == 0) return kExitOk;
  return status == kInvalidArgument ? kExitRejected : kExitMissing;
}

std::string explain(const Request& r, const host::Evaluation& e) {
  const std::string status = " (status " + std::to_string(e.status) + ")";
  if (e.status == kInvalidArgument) {
    switch (e.flagged) {
      case 1:
        return "argument 1 (n) rejected: n is missing (NaN)" + status;
      case 2:
        return "argument 2 (alpha) rejected: alpha = " + format_number(r.alpha) +
               (std::isnan(r.alpha) ? " is missing" : " must lie between 0 and 0.1 inclusive") +
               status;
      case 3:
        return "argument 3 (method) rejected: " + quoted_method(r) +
               " is not one of L, LJUNG, C, CORR, CORRECT, CORRECTED (upper or lower case)" +
               status;
      default:
        return "an argument was rejected" + status;
    }
  }
  if (e.status == kMissingResult) {
    const std::string call = "LJUNGCV(" + format_number(r.n) + ", " + format_number(r.alpha) +
                             (r.method ? ", " + quoted_method(r) : std::string()) + ")";
    std::string why;
    const double count = std::trunc(r.n);
    if (!(count >= 1.0 && count < 9223372036854775808.0)) {
      why = "n truncates to a count below 1 (or beyond 64 bits), which has no critical value";
    } else if (asymptotic(r)) {
      why = "the asymptotic method needs n >= 2";
    } else {
      why =
          "alpha is 0 or so small that 1 - alpha rounds to 1; the corrected method needs "
          "alpha > 0";
    }
    return call + " gave no value: " + why + status;
  }
  if (e.status != 0) return "unexpected status " + std::to_string(e.status);
  return {};
}

std::optional<double> parse_number(std::string_view text) {
  const std::string s(text);
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size()) return std::nullopt;
  return value;
}

}  // namespace cli
