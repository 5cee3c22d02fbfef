// LJUNGCV(n, alpha [, method]): the host-facing shell. Reads the argument
// record, checks the arguments in a fixed order (the first rejection wins, so
// at most one flag is set), reads the method keyword through the host's
// translation, calls the core with plain types and stores value and status.
#include <cmath>
#include <cstring>
#include <optional>

#include "critval/critval.hpp"
#include "critval/ljungcv.hpp"
#include "module/field.hpp"
#include "module/korvalen.h"

namespace kmodule {
namespace {

constexpr std::int32_t kUpperCase = 2;  // translation index

double read_double(const void* address) {
  double value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

void store_result(double* result, double value) {
  std::memcpy(result, &value, sizeof value);
}

// The method keyword: trimmed, framed by blanks, upper-cased through the host,
// and looked up as whole words of the keyword list; none when invalid.
std::optional<critval::Method> read_method(const void* descriptor_address) {
  // Only the length and the address: the descriptor's other bytes are the host's.
  const auto& descriptor = *static_cast<const CharacterValue*>(descriptor_address);
  const std::string_view characters = field::view(descriptor.characters, descriptor.length);
  const field::Text text = field::text_of(characters);
  if (text.length < 1 || text.length > kLongestKeyword) return std::nullopt;

  char framed[kLongestKeyword + 2];
  const auto length = static_cast<std::int32_t>(text.length);
  framed[0] = field::kBlank;
  std::memcpy(framed + 1, characters.data() + text.offset, static_cast<std::size_t>(length));
  framed[length + 1] = field::kBlank;
  field::translate(kUpperCase, framed + 1, framed + 1, length);
  if (field::find(kKeywords, std::string_view(framed, static_cast<std::size_t>(length) + 2)) < 0) {
    return std::nullopt;
  }
  return framed[1] == 'L' ? critval::Method::kAsymptotic : critval::Method::kCorrected;
}

std::int32_t reject(ArgumentRecord* record, int argument, double* result) {
  record->arguments[argument - 1].flags |= kInvalidFlag;
  store_result(result, critval::kMissing);
  return kInvalidArgument;
}

}  // namespace
}  // namespace kmodule

extern "C" KORVALEN_EXPORT std::int32_t uwfljungcv(void* argument_record, double* result) {
  using namespace kmodule;
  // Only the flag bytes of the record are written, through this pointer.
  auto* record = static_cast<ArgumentRecord*>(argument_record);

  // alpha is read only once n is accepted.
  const double n = read_double(record->arguments[0].value);
  if (std::isnan(n)) return reject(record, 1, result);
  const critval::Arguments arguments =
      critval::check_arguments(n, read_double(record->arguments[1].value));
  if (arguments.rejected != 0) return reject(record, arguments.rejected, result);

  critval::Method method = critval::Method::kCorrected;
  if (record->count > 2) {
    const std::optional<critval::Method> chosen = read_method(record->arguments[2].value);
    if (!chosen) return reject(record, 3, result);
    method = *chosen;
  }

  const double value = critval::critical_value(arguments.n, arguments.alpha, method);
  if (std::isnan(value)) {
    store_result(result, critval::kMissing);
    return kMissingResult;
  }
  store_result(result, value);
  return kSuccess;
}
