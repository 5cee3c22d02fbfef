// LJUNGCV(n, alpha [, method]): the host-facing shell. Reads the argument
// record, hands n, alpha and a reader of the method keyword to the core's
// evaluation (which checks them in their fixed order, the first rejection
// winning), and stores the value, the flag and the status.
#include <cstring>
#include <optional>

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

// The method keyword: trimmed, upper-cased through the host, then looked up;
// none when invalid.
std::optional<critval::Method> read_method(const void* descriptor_address) {
  // Only the length and the address: the descriptor's other bytes are the host's.
  const auto& descriptor = *static_cast<const CharacterValue*>(descriptor_address);
  const std::string_view characters = field::view(descriptor.characters, descriptor.length);
  const field::Text text = field::text_of(characters);
  if (text.length < 1 || text.length > static_cast<std::int64_t>(critval::kLongestKeyword)) {
    return std::nullopt;
  }
  char keyword[critval::kLongestKeyword];
  const auto length = static_cast<std::size_t>(text.length);
  std::memcpy(keyword, characters.data() + text.offset, length);
  field::translate(kUpperCase, keyword, keyword, static_cast<std::int32_t>(length));
  return critval::method_of_keyword(std::string_view(keyword, length));
}

}  // namespace
}  // namespace kmodule

extern "C" KORVALEN_EXPORT std::int32_t uwfljungcv(void* argument_record, double* result) {
  using namespace kmodule;
  // Only the flag bytes of the record are written, through this pointer.
  auto* record = static_cast<ArgumentRecord*>(argument_record);
  // alpha is read only once n is accepted, the method only once both are.
  const double n = read_double(record->arguments[0].value);
  const double alpha = std::isnan(n) ? n : read_double(record->arguments[1].value);
  const critval::Outcome outcome = critval::evaluate(n, alpha, [&] {
    return record->count > 2 ? read_method(record->arguments[2].value)
                             : std::optional(critval::Method::kCorrected);
  });
  std::memcpy(result, &outcome.value, sizeof outcome.value);
  switch (outcome.verdict) {
    case critval::Verdict::kValue:
      return kSuccess;
    case critval::Verdict::kNoValue:
      return kMissingResult;
    case critval::Verdict::kRejected:
      break;
  }
  record->arguments[outcome.rejected - 1].flags |= kInvalidFlag;
  return kInvalidArgument;
}
