// The host's words for each of the core's outcomes: the status, the argument
// to flag and the result. One table, indexed by the core's reason; the
// module's function entry and the C API both translate through it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "critval/outcome.hpp"
#include "statuses/statuses.hpp"

namespace statuses {

struct HostOutcome {
  critval::Reason reason;  // the row's own index, checked below
  Status status;
  std::int32_t flagged;  // the argument flagged invalid, 1 to 3, or 0
};

inline constexpr HostOutcome kHostOutcomes[] = {
    {critval::Reason::kValue, Status::kSuccess, 0},
    {critval::Reason::kNMissing, Status::kInvalidArgument, 1},
    {critval::Reason::kAlphaMissing, Status::kInvalidArgument, 2},
    {critval::Reason::kAlphaOutside, Status::kInvalidArgument, 2},
    {critval::Reason::kMethodUnknown, Status::kInvalidArgument, 3},
    {critval::Reason::kCountBelowOne, Status::kMissingResult, 0},
    {critval::Reason::kSingleAsymptotic, Status::kMissingResult, 0},
    {critval::Reason::kLevelQuantile, Status::kMissingResult, 0},
    {critval::Reason::kLevelAnchors, Status::kMissingResult, 0},
    {critval::Reason::kBelowSingle, Status::kMissingResult, 0},
    {critval::Reason::kArithmetic, Status::kMissingResult, 0},
};
static_assert(std::size(kHostOutcomes) == critval::kReasonCount, "a row for every reason");
static_assert(
    [] {
      for (std::size_t i = 0; i < std::size(kHostOutcomes); ++i) {
        if (static_cast<std::size_t>(kHostOutcomes[i].reason) != i) return false;
      }
      return true;
    }(),
    "each row at its reason's index");

constexpr const HostOutcome& host_outcome(critval::Reason reason) {
  return kHostOutcomes[static_cast<std::size_t>(reason)];
}

inline constexpr double kMissingValue = std::bit_cast<double>(kMissingBits);

// The result the host receives: the value, or the missing value.
constexpr double host_value(const critval::Outcome& outcome) {
  return outcome.reason == critval::Reason::kValue ? outcome.value : kMissingValue;
}

}  // namespace statuses
