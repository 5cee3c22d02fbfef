// The host's statuses and its missing value: a contract of the module's
// function entry and of the C API alike, kept apart from both so that the C
// library, and the R and Python packages built from it, depend on the core
// and on this folder alone.
#pragma once

#include <cstdint>

namespace statuses {

// Statuses of LJUNGCV.
enum class Status : std::int32_t {
  kSuccess = 0,
  kMissingResult = 120833,    // 0x1D801: accepted arguments, no value
  kInvalidArgument = 120836,  // 0x1D804: one argument rejected and flagged
};

// The host's numeric missing value, in the result whenever the status is not
// kSuccess: a NaN with this exact bit pattern.
inline constexpr std::uint64_t kMissingBits = 0xFFFFFE0000000000u;

}  // namespace statuses
