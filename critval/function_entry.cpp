// LJUNGCV(n, alpha [, method]): the host-facing shell. Checks the arguments in
// a fixed order (the first rejection wins, so at most one flag is set), picks
// the method from the keyword, calls the core and stores value and status.
#include <cmath>
#include <cstring>

#include "critval/critval.hpp"
#include "module/korvalen.h"

namespace critval {
namespace {

using kmodule::ArgumentRecord;
using kmodule::CharacterValue;

constexpr char kKeywords[] = " L C CORR CORRECT LJUNG CORRECTED ";
constexpr std::int32_t kKeywordsLength = sizeof kKeywords - 1;
static_assert(kKeywordsLength == 34);
constexpr std::int32_t kLongestKeyword = 9;  // "CORRECTED"
constexpr std::int32_t kUpperCase = 2;       // translation index

enum class Method { kAsymptotic, kCorrected, kInvalid };

double read_double(const void* address) {
  double value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

void store_result(double* result, double value) {
  std::memcpy(result, &value, sizeof value);
}

// Truncation toward zero; whatever does not fit 64 bits becomes the most
// negative value, without undefined behaviour. n must not be NaN.
std::int64_t truncate_count(double n) {
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  const double t = std::trunc(n);
  if (t >= -kLimit && t < kLimit) return static_cast<std::int64_t>(t);
  return INT64_MIN;
}

// The method keyword: trimmed, framed by blanks, upper-cased through the host,
// and looked up as whole words of the keyword list.
Method read_method(const void* descriptor_address) {
  // Only the length and the address: the descriptor's other bytes are the host's.
  const auto& descriptor = *static_cast<const CharacterValue*>(descriptor_address);
  const std::int32_t field_length = descriptor.length;
  const char* const characters = descriptor.characters;
  if (field_length < 0) return Method::kInvalid;
  std::int32_t length = 0;
  std::int32_t offset = 0;
  // Mode 'n' moves nothing, so the host's characters are only read.
  wzstjls(const_cast<char*>(characters), field_length, 'n', &length, &offset);
  if (length < 1 || length > kLongestKeyword) return Method::kInvalid;

  char framed[kLongestKeyword + 2];
  framed[0] = ' ';
  std::memcpy(framed + 1, characters + offset, static_cast<std::size_t>(length));
  framed[length + 1] = ' ';
  wztxxlt(kUpperCase, framed + 1, framed + 1, length);
  if (wzstndx(kKeywords, kKeywordsLength, framed, length + 2) < 0) return Method::kInvalid;
  return framed[1] == 'L' ? Method::kAsymptotic : Method::kCorrected;
}

std::int32_t reject(ArgumentRecord* record, int argument, double* result) {
  record->arguments[argument].flags |= kmodule::kInvalidFlag;
  store_result(result, kMissing);
  return kmodule::kInvalidArgument;
}

}  // namespace
}  // namespace critval

extern "C" KORVALEN_EXPORT std::int32_t uwfljungcv(void* argument_record, double* result) {
  using namespace critval;
  // Only the flag bytes of the record are written, through this pointer.
  auto* record = static_cast<kmodule::ArgumentRecord*>(argument_record);

  const double n_value = read_double(record->arguments[0].value);
  if (std::isnan(n_value)) return reject(record, 0, result);
  std::int64_t n = truncate_count(n_value);

  double alpha = read_double(record->arguments[1].value);
  if (!(alpha >= 0.0 && alpha <= 0.1)) return reject(record, 1, result);

  Method method = Method::kCorrected;
  if (record->count > 2) {
    method = read_method(record->arguments[2].value);
    if (method == Method::kInvalid) return reject(record, 2, result);
  }

  const double value = method == Method::kAsymptotic ? setcvl_(&n, &alpha) : setcv_(&n, &alpha);
  if (std::isnan(value)) {
    store_result(result, kMissing);
    return kmodule::kMissingResult;
  }
  store_result(result, value);
  return kmodule::kSuccess;
}
