// Why LJUNGCV rejected an argument or gave no value, as one sentence: the
// words every consumer prints (the tool, the C API, R and Python). Written
// into a caller's buffer without allocation, as snprintf writes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "critval/independent.hpp"
#include "critval/outcome.hpp"

namespace critval {

// The sentence for the outcome of LJUNGCV(n, alpha [, method]), method being
// the keyword as given (none: omitted); empty for a value. It formats the
// arguments and the outcome and evaluates nothing; a surface that reports
// statuses adds its own. Writes at most size bytes, NUL-terminated when
// size > 0, and returns the sentence's length.
std::size_t explain(double n, double alpha, std::optional<std::string_view> method,
                    const Outcome& outcome, char* buffer, std::size_t size);

// The sentence for an outcome of level(n, x) (exact false) or exact(n, x),
// "" for a value; written as explain writes.
std::size_t explain_tail(bool exact, double n, double x, const TailOutcome& outcome, char* buffer,
                         std::size_t size);

}  // namespace critval
