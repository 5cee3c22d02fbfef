// LJUNGCV(n, alpha [, method]): the host-facing shell. Reads the argument
// record, hands n, alpha and a reader of the method keyword to the core's
// evaluation (which checks them in their fixed order, the first rejection
// winning), and stores the result, the flag and the status that the host's
// table gives for its outcome.
#include <cstring>
#include <optional>

#include "critval/evaluation.hpp"
#include "module/exports.h"
#include "module/field.hpp"
#include "statuses/host_outcomes.hpp"

namespace module {
namespace {

constexpr std::int32_t kUpperCaseTable = 2;  // the translation index that upper-cases

double read_double(const void* address) {
  double value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

// The method keyword, upper-cased through the host's translation.
std::optional<critval::Method> read_method(const void* descriptor_address) {
  // Only the length and the address: the descriptor's other bytes are the host's.
  const auto& descriptor = *static_cast<const CharacterValue*>(descriptor_address);
  return critval::read_method(
      field::view(descriptor.characters, descriptor.length), [](char* keyword, std::size_t size) {
        field::translate(kUpperCaseTable, keyword, keyword, static_cast<std::int32_t>(size));
      });
}

}  // namespace
}  // namespace module

extern "C" KORVALEN_EXPORT std::int32_t uwfljungcv(void* argument_record, double* result) {
  using namespace module;
  // Only the flag bytes of the record are written, through this pointer.
  auto* record = static_cast<ArgumentRecord*>(argument_record);
  // alpha is read only once n is accepted, the method only once both are.
  const double n = read_double(record->arguments[0].value);
  const double alpha = std::isnan(n) ? n : read_double(record->arguments[1].value);
  const critval::Outcome outcome = critval::evaluate(n, alpha, [&] {
    return record->count > 2 ? read_method(record->arguments[2].value)
                             : std::optional(critval::Method::kCorrected);
  });
  const statuses::HostOutcome& host = statuses::host_outcome(outcome.reason);
  const double value = statuses::host_value(outcome);
  std::memcpy(result, &value, sizeof value);
  if (host.flagged != 0) record->arguments[host.flagged - 1].flags |= kInvalidFlag;
  return static_cast<std::int32_t>(host.status);
}
