// The C API: LJUNGCV through the core's own evaluation, with the method keyword
// read as the host reads it (blanks trimmed, a to z upper-cased).
#include <korvalen/korvalen.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "critval/ljungcv.hpp"

namespace {

std::optional<critval::Method> read_keyword(const char* method) {
  if (method == nullptr) return critval::Method::kCorrected;
  std::string_view text(method);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = std::string_view(text.data() + first, text.find_last_not_of(' ') - first + 1);
  if (text.size() > critval::kLongestKeyword) return std::nullopt;
  char upper[critval::kLongestKeyword];
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return critval::method_of_keyword(std::string_view(upper, text.size()));
}

korvalen_result result_of(const critval::Outcome& outcome) {
  switch (outcome.verdict) {
    case critval::Verdict::kValue:
      return {outcome.value, KORVALEN_SUCCESS, 0};
    case critval::Verdict::kNoValue:
      return {outcome.value, KORVALEN_MISSING_RESULT, 0};
    case critval::Verdict::kRejected:
      break;
  }
  return {outcome.value, KORVALEN_INVALID_ARGUMENT, outcome.rejected};
}

}  // namespace

extern "C" {

KORVALEN_API korvalen_result korvalen_ljungcv(double n, double alpha, const char* method) {
  return result_of(critval::evaluate(n, alpha, [&] { return read_keyword(method); }));
}

KORVALEN_API size_t korvalen_ljungcv_array(size_t count, const double* n, size_t n_count,
                                           const double* alpha, size_t alpha_count,
                                           const char* const* method, size_t method_count,
                                           double* values, int32_t* statuses, int32_t* rejected) {
  if (count == 0) return 0;
  if (n == nullptr || alpha == nullptr || n_count == 0 || alpha_count == 0 || values == nullptr) {
    return SIZE_MAX;
  }
  if (method == nullptr) method_count = 0;
  // One keyword for every element is read once.
  const std::optional<critval::Method> only =
      method_count <= 1 ? read_keyword(method_count == 0 ? nullptr : method[0])
                        : std::optional<critval::Method>();
  size_t without_value = 0;
  size_t in = 0, ia = 0, im = 0;  // recycled positions, wrapped without a division
  for (size_t i = 0; i < count; ++i) {
    const korvalen_result r = result_of(critval::evaluate(
        n[in], alpha[ia], [&] { return method_count <= 1 ? only : read_keyword(method[im]); }));
    values[i] = r.value;
    if (statuses != nullptr) statuses[i] = r.status;
    if (rejected != nullptr) rejected[i] = r.rejected;
    without_value += r.status != KORVALEN_SUCCESS;
    if (++in == n_count) in = 0;
    if (++ia == alpha_count) ia = 0;
    if (method_count > 1 && ++im == method_count) im = 0;
  }
  return without_value;
}

KORVALEN_API const char* korvalen_version(void) {
  return KORVALEN_VERSION;
}

}  // extern "C"
