// Stubs through which the module calls the host's services. Each one clears its
// group's byte in GCB_TSSVEC and calls the group's entry with its own arguments
// unchanged, plus the 64-bit identity (group << 32) | entry.
#include <atomic>
#include <cstring>

#include "module/exports.h"
#include "module/gcb.hpp"

namespace module {
namespace {

template <gcb::Service S, typename... Args>
std::int64_t call_service(Args... args) {
  using Entry = std::int64_t (*)(Args..., std::uint64_t);
  // Concurrent calls store the same byte; a relaxed atomic store is the same
  // single byte store on x86-64, and free of data races.
  std::atomic_ref(gcb::member<std::uint8_t>(gcb::GCB_TSSVEC)[S.group])
      .store(0, std::memory_order_relaxed);
  const auto* groups = gcb::member<void* const>(gcb::GCB_SVCTAB);
  const auto* entries = static_cast<void* const*>(groups[S.group]);
  Entry entry;
  static_assert(sizeof entry == sizeof entries[S.entry]);
  std::memcpy(&entry, &entries[S.entry], sizeof entry);
  return entry(args..., S.identity());
}

}  // namespace
}  // namespace module

extern "C" {

KORVALEN_EXPORT std::int64_t wzstrlo(char* buffer, std::int32_t length) {
  return module::call_service<module::gcb::kLowerCase>(buffer, length);
}

KORVALEN_EXPORT std::int64_t wzstrup(char* buffer, std::int32_t length) {
  return module::call_service<module::gcb::kUpperCase>(buffer, length);
}

KORVALEN_EXPORT std::int64_t wzsxcch(const char* input, std::int32_t input_length, char* output,
                                     std::int32_t output_length, std::int32_t mode) {
  return module::call_service<module::gcb::kTranslation0>(input, input_length, output,
                                                          output_length, mode);
}

KORVALEN_EXPORT std::int64_t wzsxrch(const char* input, std::int32_t input_length, char* output,
                                     std::int32_t output_length, std::int32_t mode) {
  return module::call_service<module::gcb::kTranslation1>(input, input_length, output,
                                                          output_length, mode);
}

KORVALEN_EXPORT std::int64_t xexit(std::int32_t code, std::int32_t detail) {
  return module::call_service<module::gcb::kExit>(code, detail);
}

}  // extern "C"
