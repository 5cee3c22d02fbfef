// Host character fields as views: an address and a 32-bit length, padded with
// blanks (0x20 only), not terminated. The exported wz* routines and the
// function entry both work through these.
#pragma once

#include <cstdint>
#include <string_view>

#include "critval/keyword.hpp"

namespace module::field {

using critval::kBlank;  // 0x20, the only blank

// The field as a view; a negative length is an empty field, never read.
inline std::string_view view(const char* address, std::int32_t length) {
  return length > 0 ? std::string_view(address, static_cast<std::size_t>(length))
                    : std::string_view();
}

// Where the text, the first to the last non-blank byte, lies: {0, 0} for none.
struct Text {
  std::int64_t offset;
  std::int64_t length;
};
Text text_of(std::string_view field);

// Position of the first occurrence of the pattern, or -1; an empty pattern is at 0.
std::int64_t find(std::string_view field, std::string_view pattern);

// Translates length bytes by index 0 to 4 through the host (its services when
// its route flag is set, index 4 excepted, else its tables 2 to 6); out may be
// in. Returns 0, or kBadTranslation for another index.
std::int32_t translate(std::int32_t index, const char* in, char* out, std::int32_t length);

}  // namespace module::field
