// Critical values for the largest of n absolute standardized statistics: the
// formulas. Pure functions of their arguments; usable without any host.
#pragma once

#include <bit>
#include <cstdint>

namespace critval {

// The host's numeric missing value: a NaN with this exact bit pattern.
inline constexpr std::uint64_t kMissingBits = 0xFFFFFE0000000000u;
inline constexpr double kMissing = std::bit_cast<double>(kMissingBits);

// ln(4 pi) with pi taken to nine decimals; this double, not a run-time log.
inline constexpr double kLog4Pi = std::bit_cast<double>(std::uint64_t{0x40043F89A3F56A5E});

// Standard normal quantile by rational approximation (AS 111). Sets fault to 1
// and returns 0 when p <= 0 or p >= 1, else 0; a NaN p yields NaN with fault 0.
double normal_quantile(double p, std::int64_t& fault);

// Asymptotic extreme-value critical value. n == 1 gives the missing value;
// alpha == 0 gives +infinity; n <= 0 gives NaN.
double asymptotic(std::int64_t n, double alpha);

// Corrected critical value: a three-term curve in n fitted on every call through
// the exact value at 2 and the asymptotic values at 100 and 200. Missing value
// when a quantile or the solve fails; NaN for n <= 0.
double corrected(std::int64_t n, double alpha);

}  // namespace critval
