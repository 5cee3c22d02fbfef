// Lists of numbers for tables: items separated by commas, each a number, a
// linear range START:END:STEP or a geometric range START:END:*FACTOR.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace cli {

// A list that cannot be read, or that would hold more than the limit.
struct ListError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The list's values in order. A range must reach its end: finite bounds, a
// step of the right sign (a factor above 1 upward, between 0 and 1 downward,
// positive bounds). Linear values are start + i * step, rounded to the
// decimals the range was written with; geometric ones to 15 digits. Throws
// ListError, before generating anything, when the list would exceed max_values.
std::vector<double> parse_list(std::string_view text, std::string_view what,
                               std::uint64_t max_values);

}  // namespace cli
