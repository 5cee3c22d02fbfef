// Critical values for the largest of n absolute standardized statistics: the
// formulas. Pure functions of their arguments; usable without any host.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>

namespace critval {

// ln(4 pi) with pi taken to nine decimals; this double, not a run-time log.
inline constexpr double kLog4Pi = std::bit_cast<double>(std::uint64_t{0x40043F89A3F56A5E});

// Standard normal quantile by rational approximation (AS 111). Sets fault to 1
// and returns 0 when p <= 0 or p >= 1, else 0; a NaN p yields NaN with fault 0.
double normal_quantile(double p, std::int64_t& fault);

// Asymptotic extreme-value critical value. None for n == 1; alpha == 0 gives
// +infinity; n <= 0 gives NaN.
std::optional<double> asymptotic(std::int64_t n, double alpha);

// Corrected critical value: a three-term curve in n fitted on every call through
// the exact value at 2 and the asymptotic values at 100 and 200. None when a
// quantile fails; NaN for n <= 0.
std::optional<double> corrected(std::int64_t n, double alpha);

}  // namespace critval
