// Bytes eight at a time: a word's bytes tested at once, the high bit of each
// byte of the answer set where the byte is what was asked, exactly (no borrow
// from one byte into the next), the first byte of the text in the lowest.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace cli::words {

inline constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7F, kHighBits = ~kLowBits;
inline constexpr std::uint64_t kOnes = 0x0101010101010101;

// Bytes below n, at most 0x80.
inline std::uint64_t below(std::uint64_t w, unsigned n) {
  return ~(((w & kLowBits) + kOnes * (0x80 - n)) | w) & kHighBits;
}
inline std::uint64_t equal(std::uint64_t w, unsigned char c) {
  return below(w ^ (kOnes * c), 1);
}

// The eight bytes from p; past limit, `fill`.
inline std::uint64_t load(const char* p, const char* limit, char fill = 'a') {
  std::uint64_t w = kOnes * static_cast<unsigned char>(fill);
  if (limit - p >= 8) {
    std::memcpy(&w, p, 8);
  } else {
    std::memcpy(&w, p, static_cast<std::size_t>(limit - p));
  }
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}

// The byte that holds a word's lowest set bit.
inline int first_byte(std::uint64_t bits) {
  return std::countr_zero(bits) >> 3;
}

}  // namespace cli::words
