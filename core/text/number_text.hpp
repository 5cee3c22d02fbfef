// Numbers as every surface writes them: the shortest decimal that reads back
// as the same double, and of those the nearest, as std::to_chars gives it
// (a test holds the two equal); positional from 1e-7 up to 1e21, with an
// exponent beyond. Only snprintf and strtod, never with a decimal point, so
// the text is the same in every locale and needs no C++ runtime.
#pragma once

#include <cstddef>

namespace critval {

// Writes at most size bytes, NUL-terminated when size > 0, as snprintf does;
// returns the text's length ("inf", "-inf" and "nan" included).
std::size_t format_shortest(double value, char* buffer, std::size_t size);

}  // namespace critval
