// Helpers shared by the tests.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace testing_support {

inline std::uint64_t bits(double x) {
  return std::bit_cast<std::uint64_t>(x);
}

// A service's identity as the stubs pass it, written out independently.
inline constexpr std::uint64_t identity(std::uint32_t group, std::uint32_t entry) {
  return (std::uint64_t{group} << 32) | entry;
}

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The host's missing value, as the contract gives its bits.
inline constexpr std::uint64_t kMissingBits = 0xFFFFFE0000000000u;
inline constexpr double kMissing = std::bit_cast<double>(kMissingBits);

// Half a unit in the last printed decimal, plus a few ulps of slack.
inline double printed(int decimals, double value) {
  return 0.5 * std::pow(10.0, -decimals) +
         8 * std::numeric_limits<double>::epsilon() * std::fabs(value);
}

}  // namespace testing_support
