// The field utilities: views of host fields, and the exported wz* routines as
// thin wrappers over them.
#include <cstring>

#include "module/exports.h"
#include "module/field.hpp"
#include "module/gcb.hpp"

namespace module::field {
namespace {

void store(std::int32_t* destination, std::int64_t value) {
  if (destination != nullptr) *destination = static_cast<std::int32_t>(value);
}

// The service-route flag: byte 0 of the route record; a null record on the
// way means clear.
bool service_route() {
  const auto* environment = gcb::member<const std::uint8_t* const>(gcb::GCB_XLTENV);
  if (environment == nullptr) return false;
  const std::uint8_t* route = environment[gcb::kRouteRecord];
  return route != nullptr && route[0] != 0;
}

}  // namespace

Text text_of(std::string_view field) {
  const std::string_view text = critval::trim_blanks(field);
  if (text.empty()) return {0, 0};
  return {text.data() - field.data(), static_cast<std::int64_t>(text.size())};
}

std::int64_t find(std::string_view field, std::string_view pattern) {
  if (pattern.empty()) return 0;
  // Decided by the lengths alone: the library's search may read the pattern first.
  if (pattern.size() > field.size()) return -1;
  const std::size_t at = field.find(pattern);
  return at == std::string_view::npos ? -1 : static_cast<std::int64_t>(at);
}

std::int32_t translate(std::int32_t index, const char* in, char* out, std::int32_t length) {
  if (index < 0 || index > 4) return kBadTranslation;
  if (length < 0) return 0;  // nothing to translate; never scan before the field
  const auto size = static_cast<std::size_t>(length);
  if (index != 4 && service_route()) {
    switch (index) {
      case 0:
        wzsxcch(in, length, out, length, 1);
        break;
      case 1:
        wzsxrch(in, length, out, length, 1);
        break;
      default:
        if (size > 0) std::memmove(out, in, size);  // null buffers allowed when empty
        if (index == 2) {
          wzstrup(out, length);
        } else {
          wzstrlo(out, length);
        }
        break;
    }
    return 0;
  }
  if (size == 0) return 0;
  const auto* tables = gcb::member<const std::uint8_t* const>(gcb::GCB_XLTTABS);
  const std::uint8_t* table = tables[index + gcb::kTranslationTables];
  for (std::size_t k = 0; k < size; ++k) {
    out[k] = static_cast<char>(table[static_cast<std::uint8_t>(in[k])]);
  }
  return 0;
}

}  // namespace module::field

extern "C" {

// Justify a field in place by mode 'C', 'L' or 'R' (either case); any other
// mode only reports the trimmed length and the text's offset.
KORVALEN_EXPORT void wzstjls(char* field, std::int32_t length, std::int32_t mode,
                             std::int32_t* trimmed_length, std::int32_t* offset) {
  using namespace module::field;
  const std::int64_t n = length > 0 ? length : 0;
  const Text text = text_of(view(field, length));
  if (text.length == 0) {
    store(trimmed_length, 0);
    store(offset, 0);
    return;
  }
  std::int64_t at = text.offset;
  switch (mode) {
    case 'C':
    case 'c':
      at = (n - text.length) / 2;  // an odd spare blank stays on the right
      break;
    case 'L':
    case 'l':
      at = 0;
      break;
    case 'R':
    case 'r':
      at = n - text.length;
      break;
    default:
      break;
  }
  if (at != text.offset) {
    const auto size = static_cast<std::size_t>(text.length);
    std::memmove(field + at, field + text.offset, size);
    // The vacated bytes: before the moved text when it went right, after it when left.
    if (at > text.offset) {
      std::memset(field + text.offset, kBlank, static_cast<std::size_t>(at - text.offset));
    } else {
      std::memset(field + at + text.length, kBlank, static_cast<std::size_t>(text.offset - at));
    }
  }
  store(trimmed_length, text.length);
  store(offset, at);
}

// Position of the first occurrence of the pattern in the field, or -1. A
// negative pattern length means a terminated pattern, measured no further than
// one byte past the field; an empty pattern is at 0.
KORVALEN_EXPORT std::int32_t wzstndx(const char* field, std::int32_t length, const char* pattern,
                                     std::int32_t pattern_length) {
  using namespace module::field;
  if (pattern_length == 0) return 0;
  std::string_view wanted;
  if (pattern_length > 0) {
    wanted = std::string_view(pattern, static_cast<std::size_t>(pattern_length));
  } else {
    if (pattern == nullptr) return 0;
    const std::size_t limit = length > 0 ? static_cast<std::size_t>(length) + 1 : 1;
    wanted = std::string_view(pattern, strnlen(pattern, limit));
    if (wanted.empty()) return 0;
  }
  return static_cast<std::int32_t>(find(view(field, length), wanted));
}

// Translate length bytes by translation index 0 to 4; input and output may be
// the same buffer.
KORVALEN_EXPORT std::int32_t wztxxlt(std::int32_t index, const char* input, char* output,
                                     std::int32_t length) {
  return module::field::translate(index, input, output, length);
}

// Bytes before the first NUL, at most 2147483647; 0 for a null address.
KORVALEN_EXPORT std::int32_t wzstlen(const char* string) {
  if (string == nullptr) return 0;
  return static_cast<std::int32_t>(strnlen(string, INT32_MAX));
}

}  // extern "C"
