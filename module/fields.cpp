// Host character fields: an address and a 32-bit length, blank padded (0x20
// only), not terminated. Justify, search, translate, and measure.
#include <cstdint>
#include <cstring>

#include "module/gcb.hpp"

namespace kmodule {
namespace {

constexpr char kBlank = ' ';
constexpr std::int32_t kBadTranslation = static_cast<std::int32_t>(0x8000200au);

void store(std::int32_t* destination, std::int64_t value) {
  if (destination != nullptr) *destination = static_cast<std::int32_t>(value);
}

// The service-route flag: byte 0 of the route record, which member 3 of the
// GCB_XLTENV record addresses. A null record on the way means clear.
bool service_route() {
  const auto* environment = static_cast<const std::uint8_t* const*>(gcb::member(gcb::GCB_XLTENV));
  if (environment == nullptr) return false;
  const std::uint8_t* route = environment[3];
  return route != nullptr && route[0] != 0;
}

}  // namespace
}  // namespace kmodule

extern "C" {

// Justify a field in place by mode 'C', 'L' or 'R' (either case); any other
// mode only reports the trimmed length and the text's offset.
KORVALEN_EXPORT void wzstjls(char* field, std::int32_t length, std::int32_t mode,
                             std::int32_t* trimmed_length, std::int32_t* offset) {
  using kmodule::kBlank;
  const std::int64_t n = length;  // 64-bit so that no sum below can overflow
  std::int64_t leading = 0;
  while (leading < n && field[leading] == kBlank) ++leading;
  const std::int64_t rest = n - leading;
  if (rest <= 0) {  // empty, all blanks, or a negative length
    kmodule::store(trimmed_length, 0);
    kmodule::store(offset, 0);
    return;
  }
  std::int64_t trailing = 0;
  while (field[n - 1 - trailing] == kBlank) ++trailing;  // stops at the first text byte
  const std::int64_t text = rest - trailing;

  std::int64_t shift = 0;
  switch (mode) {
    case 'C':
    case 'c':
      shift = rest - (n + text + 1) / 2;  // an odd spare blank stays on the right
      break;
    case 'L':
    case 'l':
      shift = rest - n;
      break;
    case 'R':
    case 'r':
      shift = rest - text;
      break;
    default:
      break;
  }
  if (shift > 0) {
    std::memmove(field + leading + shift, field + leading, static_cast<std::size_t>(text));
    std::memset(field + leading, kBlank, static_cast<std::size_t>(shift));
  } else if (shift < 0) {
    std::memmove(field + leading + shift, field + leading, static_cast<std::size_t>(text));
    std::memset(field + leading + text + shift, kBlank, static_cast<std::size_t>(-shift));
  }
  kmodule::store(trimmed_length, text);
  kmodule::store(offset, leading + shift);
}

// Position of the first occurrence of the pattern in the field, or -1. A
// negative pattern length means a terminated pattern; an empty pattern is at 0.
KORVALEN_EXPORT std::int32_t wzstndx(const char* field, std::int32_t length, const char* pattern,
                                     std::int32_t pattern_length) {
  std::int64_t m = pattern_length;
  if (m == 0) return 0;
  if (m < 0) {
    if (pattern == nullptr) return 0;
    m = wzstlen(pattern);
    if (m == 0) return 0;
  }
  if (length == 0) return -1;
  const std::int64_t candidates = std::int64_t{length} - m + 1;
  for (std::int64_t p = 0; p < candidates; ++p) {
    if (field[p] == pattern[0] &&
        std::memcmp(field + p + 1, pattern + 1, static_cast<std::size_t>(m - 1)) == 0) {
      return static_cast<std::int32_t>(p);
    }
  }
  return -1;
}

// Translate length bytes by translation index 0 to 4, through the host's
// services when its route flag is set (index 4 excepted), else through its
// tables 2 to 6. Input and output may be the same buffer.
KORVALEN_EXPORT std::int32_t wztxxlt(std::int32_t index, const char* input, char* output,
                                     std::int32_t length) {
  if (index < 0 || index > 4) return kmodule::kBadTranslation;
  if (length < 0) return 0;  // nothing to translate; never scan before the field
  if (index != 4 && kmodule::service_route()) {
    switch (index) {
      case 0:
        wzsxcch(input, length, output, length, 1);
        break;
      case 1:
        wzsxrch(input, length, output, length, 1);
        break;
      case 2:
        std::memmove(output, input, static_cast<std::size_t>(length));
        wzstrup(output, length);
        break;
      default:
        std::memmove(output, input, static_cast<std::size_t>(length));
        wzstrlo(output, length);
        break;
    }
    return 0;
  }
  if (length == 0) return 0;
  const auto* tables =
      static_cast<const std::uint8_t* const*>(kmodule::gcb::member(kmodule::gcb::GCB_XLTTABS));
  const std::uint8_t* table = tables[index + 2];
  for (std::int32_t k = 0; k < length; ++k) {
    output[k] = static_cast<char>(table[static_cast<std::uint8_t>(input[k])]);
  }
  return 0;
}

// Bytes before the first NUL; 0 for a null address.
KORVALEN_EXPORT std::int32_t wzstlen(const char* string) {
  return string == nullptr ? 0 : static_cast<std::int32_t>(std::strlen(string));
}

}  // extern "C"
