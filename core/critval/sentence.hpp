// Why LJUNGCV rejected an argument or gave no value, as one sentence: the
// words every consumer prints (the tool, the C API, R and Python). Written
// into a caller's buffer without allocation, as snprintf writes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "critval/ljungcv.hpp"

namespace critval {

// The sentence for the outcome of LJUNGCV(n, alpha [, method]), method being
// the keyword as given (none: omitted); empty for a value. Writes at most
// size bytes, NUL-terminated when size > 0, and returns the sentence's length.
std::size_t explain(double n, double alpha, std::optional<std::string_view> method,
                    const Outcome& outcome, char* buffer, std::size_t size);

// The shortest decimal that reads back as the same double, positional from
// 1e-7 up to 1e21 and with an exponent beyond ("inf", "-inf", "nan" too); in
// any locale. Written as explain writes; returns its length.
std::size_t format_shortest(double value, char* buffer, std::size_t size);

}  // namespace critval
