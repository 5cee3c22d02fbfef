// A hint that this thread is about to write the cache line at an address.
// Where another core read the line last, a plain store must first take it
// from that core, and stores leave in order: one such store holds up every
// store after it. Asked for ahead of time, the line is here when written.
#pragma once

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace cli {

#if defined(__x86_64__)
// PREFETCHW, which not every x86-64 processor has (and the compiler emits
// for none it is not told of).
inline const bool kCanPrefetchForWrite = [] {
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid(0x80000001, &a, &b, &c, &d) != 0 && (c & bit_PRFCHW) != 0;
}();

inline void prefetch_for_write(const void* p) {
  if (kCanPrefetchForWrite) asm volatile("prefetchw %0" : : "m"(*static_cast<const char*>(p)));
}
#else
inline void prefetch_for_write(const void* p) {
  __builtin_prefetch(p, 1, 3);
}
#endif

}  // namespace cli
