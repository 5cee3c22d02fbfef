// The host's global control block as the module reads it: an array of 8-byte
// members reached through v_global_gcb_anchor, read afresh at every use. Every
// read of a member goes through member().
#pragma once

#include "module/exports.h"
#include "module/records.hpp"

namespace module::gcb {

// Member m of the control block, as the pointer type it holds.
template <typename T = void>
T* member(Member m) {
  return static_cast<T*>(static_cast<void* const*>(v_global_gcb_anchor)[m]);
}

}  // namespace module::gcb
