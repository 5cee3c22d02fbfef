// The host's global control block as the module sees it: an array of 8-byte
// members, reached through v_global_gcb_anchor, read afresh at every use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "module/korvalen.h"

namespace kmodule::gcb {

// Member positions, counted in 8-byte members.
enum Member : std::size_t {
  GCB_SVCTAB = 0,      // service table: member g addresses group g's entry vector
  GCB_TSSVEC = 1,      // one byte per service group
  GCB_ALLOCATOR = 10,  // memory service record; member 0 is the allocation function
  GCB_XLTENV = 13,     // record whose member 3 addresses the route record
  GCB_XLTTABS = 27,    // vector of 256-byte translation tables
  GCB_TKHANDLE = 82,   // copied into Exported_TKHandle by the entry point
};

using AllocateFunction = void* (*)(void* memory_service, std::int64_t size, std::int32_t flags);
inline constexpr std::int32_t kAllocationFlags = 0x2006;

inline void* const* members() {
  return static_cast<void* const*>(v_global_gcb_anchor);
}

inline void* member(Member m) {
  return members()[m];
}

}  // namespace kmodule::gcb
