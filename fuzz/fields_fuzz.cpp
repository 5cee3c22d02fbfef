// The field utilities on fields flush against inaccessible pages: every mode,
// pattern and translation index, negative lengths included, each result
// checked against a plain reading of what the routine must do.
#include <cstdlib>
#include <cstring>
#include <string>

#include "guarded.hpp"
#include "host/module.hpp"
#include "module/exports.h"

namespace {

host::Host& the_host() {
  static host::Host host;
  static bool entered = (mcn_main(host.control_block(), host.pidb()), true);
  (void)entered;
  return host;
}

// What justification must produce.
std::string justified(const std::string& field, char mode, std::int32_t& trimmed,
                      std::int32_t& offset) {
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string::npos) {
    trimmed = offset = 0;
    return field;
  }
  const std::size_t last = field.find_last_not_of(' ');
  const std::string text = field.substr(first, last - first + 1);
  trimmed = static_cast<std::int32_t>(text.size());
  std::size_t at = first;
  if (mode == 'C' || mode == 'c') at = (field.size() - text.size()) / 2;
  if (mode == 'L' || mode == 'l') at = 0;
  if (mode == 'R' || mode == 'r') at = field.size() - text.size();
  offset = static_cast<std::int32_t>(at);
  if (at == first) return field;
  return std::string(at, ' ') + text + std::string(field.size() - at - text.size(), ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  host::Host& host = the_host();
  fuzzing::Reader in(data, size);
  const auto mode = static_cast<char>(in.take<std::uint8_t>());
  const std::int32_t index = in.take<std::int8_t>() % 8;  // -7..7
  const std::uint8_t split = in.take<std::uint8_t>();
  const std::int8_t negative = in.take<std::int8_t>();
  host.set_service_route((split & 0x80) != 0);

  const std::string bytes(reinterpret_cast<const char*>(in.rest()), in.remaining());
  const std::size_t cut = bytes.empty() ? 0 : (split & 0x7F) % (bytes.size() + 1);
  const std::string field_text = bytes.substr(0, cut), pattern_text = bytes.substr(cut);

  for (auto edge : {fuzzing::GuardedBytes::Edge::kEnd, fuzzing::GuardedBytes::Edge::kStart}) {
    fuzzing::GuardedBytes field(field_text.size(), edge), pattern(pattern_text.size(), edge);
    std::memcpy(field.data(), field_text.data(), field_text.size());
    std::memcpy(pattern.data(), pattern_text.data(), pattern_text.size());
    const auto n = static_cast<std::int32_t>(field_text.size());
    const auto m = static_cast<std::int32_t>(pattern_text.size());

    // Search: the first occurrence, or -1; an empty pattern is at 0.
    const std::size_t found = field_text.find(pattern_text);
    FUZZ_CHECK(wzstndx(field.data(), n, pattern.data(), m) ==
               (found == std::string::npos ? -1 : static_cast<std::int32_t>(found)));
    FUZZ_CHECK(wzstndx(field.data(), negative < 0 ? negative : -1, pattern.data(), m) ==
               (m == 0 ? 0 : -1));
    // A terminated pattern, its NUL flush against the guard page.
    const std::string terminated = pattern_text.substr(0, pattern_text.find('\0'));
    fuzzing::GuardedBytes z(terminated.size() + 1, fuzzing::GuardedBytes::Edge::kEnd);
    std::memcpy(z.data(), terminated.data(), terminated.size() + 1);
    const std::size_t at = terminated.empty() ? 0 : field_text.find(terminated);
    FUZZ_CHECK(wzstndx(field.data(), n, z.data(), -1) ==
               (at == std::string::npos ? -1 : static_cast<std::int32_t>(at)));

    // Translation: in place and into a second field; nothing outside them.
    fuzzing::GuardedBytes output(field_text.size(), edge);
    std::memset(output.data(), '?', field_text.size());
    const std::int32_t status = wztxxlt(index, field.data(), output.data(), n);
    if (index < 0 || index > 4) {
      FUZZ_CHECK(status == module::kBadTranslation);
      FUZZ_CHECK(std::string(output.data(), field_text.size()) ==
                 std::string(field_text.size(), '?'));
    } else {
      FUZZ_CHECK(status == 0);
      const std::uint8_t* table = host.table(index + 2);
      for (std::size_t k = 0; k < field_text.size(); ++k) {
        FUZZ_CHECK(static_cast<std::uint8_t>(output.data()[k]) ==
                   table[static_cast<std::uint8_t>(field_text[k])]);
      }
      FUZZ_CHECK(wztxxlt(index, nullptr, nullptr, negative < 0 ? negative : -1) == 0);
      FUZZ_CHECK(wztxxlt(index, nullptr, nullptr, 0) == 0);
    }
    FUZZ_CHECK(std::string(field.data(), field_text.size()) == field_text);

    // Justification in place, with and without result addresses.
    std::int32_t trimmed = -1, offset = -1, want_trimmed, want_offset;
    const std::string want = justified(field_text, mode, want_trimmed, want_offset);
    wzstjls(field.data(), n, mode, &trimmed, &offset);
    FUZZ_CHECK(std::string(field.data(), field_text.size()) == want);
    FUZZ_CHECK(trimmed == want_trimmed && offset == want_offset);
    wzstjls(field.data(), n, mode, nullptr, nullptr);
    wzstjls(nullptr, negative < 0 ? negative : -1, mode, &trimmed, &offset);
    FUZZ_CHECK(trimmed == 0 && offset == 0);
  }
  return 0;
}
