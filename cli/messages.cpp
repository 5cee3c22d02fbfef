// Statuses and values in words for ljungcv.
#include "cli/messages.hpp"

#include <cmath>
#include <cstdlib>

#include "critval/ljungcv.hpp"

namespace cli {
namespace {

std::string quoted_method(const Request& r) {
  return "'" + r.method.value_or("") + "'";
}

// The method of an accepted call: its keyword begins with L for the asymptotic one.
critval::Method accepted_method(const Request& r) {
  if (!r.method) return critval::Method::kCorrected;
  const std::size_t first = r.method->find_first_not_of(' ');
  const char c = first == std::string::npos ? ' ' : (*r.method)[first];
  return c == 'L' || c == 'l' ? critval::Method::kAsymptotic : critval::Method::kCorrected;
}

// Why an accepted call gave no value, in words.
std::string no_value_reason(const host::Module& module, const Request& r) {
  const critval::Method method = accepted_method(r);
  switch (critval::why_no_value(critval::truncate_count(r.n), r.alpha, method)) {
    case critval::NoValue::kCountBelowOne:
      return "n truncates to a count below 1 (or beyond 64 bits), which has no critical value";
    case critval::NoValue::kSingleAsymptotic:
      return "the asymptotic method needs n >= 2";
    case critval::NoValue::kLevelQuantile:
      return "alpha is 0 or so small that the normal quantile's probability rounds to 1; the "
             "corrected method needs a larger alpha (the asymptotic method, L, gives +infinity "
             "there)";
    case critval::NoValue::kLevelAnchors:
      return "alpha is so small that sqrt(1 + alpha) rounds to 1, which makes the asymptotic "
             "anchors of the corrected curve infinite";
    case critval::NoValue::kBelowSingle: {
      std::string why = "the value would lie below the value for a single statistic";
      if (method == critval::Method::kAsymptotic) return why;
      why += ": the corrected curve has turned down at this level";
      const host::Evaluation l = module.evaluate(r.n, r.alpha, "L");
      if (l.status == kmodule::kSuccess) {
        why += "; the asymptotic method, L, gives " + format_number(l.value);
      }
      return why;
    }
    case critval::NoValue::kArithmetic:
    case critval::NoValue::kNone:
      break;
  }
  return "the computation gave no number";
}

}  // namespace

std::string keyword_words() {
  static const std::string cached = [] {
    std::string words;
    std::string_view list = critval::kKeywords;
    for (std::size_t at = list.find_first_not_of(' '); at != std::string_view::npos;) {
      const std::size_t end = list.find(' ', at);
      if (!words.empty()) words += ", ";
      words += list.substr(at, end - at);
      at = list.find_first_not_of(' ', end);
    }
    return words;
  }();
  return cached;
}

std::string_view status_word(std::int32_t status) {
  switch (status) {
    case kmodule::kSuccess:
      return "ok";
    case kmodule::kMissingResult:
      return "missing";
    case kmodule::kInvalidArgument:
      return "rejected";
    default:
      return "unknown";
  }
}

Exit exit_for(std::int32_t status) {
  if (status == kmodule::kSuccess) return kExitOk;
  return status == kmodule::kInvalidArgument ? kExitRejected : kExitMissing;
}

std::string explain(const host::Module& module, const Request& r, const host::Evaluation& e) {
  const std::string status = " (status " + std::to_string(e.status) + ")";
  if (e.status == kmodule::kInvalidArgument) {
    switch (e.flagged) {
      case 1:
        return "argument 1 (n) rejected: n is missing (NA, NaN or empty)" + status;
      case 2:
        return std::isnan(r.alpha)
                   ? "argument 2 (alpha) rejected: alpha is missing (NA, NaN or empty)" + status
                   : "argument 2 (alpha) rejected: alpha = " + format_number(r.alpha) +
                         " must lie between 0 and 0.1 inclusive" + status;
      case 3:
        return "argument 3 (method) rejected: " + quoted_method(r) + " is not one of " +
               keyword_words() + " (upper or lower case)" + status;
      default:
        return "an argument was rejected" + status;
    }
  }
  if (e.status == kmodule::kMissingResult) {
    const std::string call = "LJUNGCV(" + format_number(r.n) + ", " + format_number(r.alpha) +
                             (r.method ? ", " + quoted_method(r) : std::string()) + ")";
    return call + " gave no value: " + no_value_reason(module, r) + status;
  }
  if (e.status != kmodule::kSuccess) return "unexpected status " + std::to_string(e.status);
  return {};
}

}  // namespace cli
