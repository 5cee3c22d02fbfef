// Stubs through which the module calls the host's services. Each one clears its
// group's byte in GCB_TSSVEC and calls the group's entry with its own arguments
// unchanged, plus the 64-bit identity (group << 32) | entry.
#include <cstdint>
#include <cstring>

#include "module/gcb.hpp"

namespace kmodule {
namespace {

template <std::uint32_t Group, std::uint32_t Entry, typename... Args>
std::int64_t call_service(Args... args) {
  using Service = std::int64_t (*)(Args..., std::uint64_t);
  void* const* gcb = gcb::members();
  static_cast<std::uint8_t*>(gcb[gcb::GCB_TSSVEC])[Group] = 0;
  void* const* groups = static_cast<void* const*>(gcb[gcb::GCB_SVCTAB]);
  void* const* entries = static_cast<void* const*>(groups[Group]);
  Service service;
  static_assert(sizeof service == sizeof entries[Entry]);
  std::memcpy(&service, &entries[Entry], sizeof service);
  constexpr std::uint64_t identity = (std::uint64_t{Group} << 32) | Entry;
  return service(args..., identity);
}

}  // namespace
}  // namespace kmodule

extern "C" {

KORVALEN_EXPORT std::int64_t wzstrlo(char* buffer, std::int32_t length) {
  return kmodule::call_service<0, 330>(buffer, length);
}

KORVALEN_EXPORT std::int64_t wzstrup(char* buffer, std::int32_t length) {
  return kmodule::call_service<0, 331>(buffer, length);
}

KORVALEN_EXPORT std::int64_t wzsxcch(const char* input, std::int32_t input_length, char* output,
                                     std::int32_t output_length, std::int32_t mode) {
  return kmodule::call_service<4, 7>(input, input_length, output, output_length, mode);
}

KORVALEN_EXPORT std::int64_t wzsxrch(const char* input, std::int32_t input_length, char* output,
                                     std::int32_t output_length, std::int32_t mode) {
  return kmodule::call_service<4, 39>(input, input_length, output, output_length, mode);
}

KORVALEN_EXPORT std::int64_t xexit(std::int32_t code, std::int32_t detail) {
  return kmodule::call_service<39, 4>(code, detail);
}

}  // extern "C"
