// Evaluating LJUNGCV allocates nothing: neither through the host's memory
// service nor through malloc. This executable counts every malloc of the
// process by interposing it (not built under sanitizers, which own malloc).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "loaded_module.hpp"

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
}

namespace {
std::atomic<std::uint64_t> allocations{0};
}

extern "C" {
void* malloc(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(block, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_memalign(alignment, size);
}
}

namespace {

using Allocation = testing_support::LoadedModule;

TEST_F(Allocation, TenThousandEvaluationsAllocateNothing) {
  recorder_.clear_records();

  // The counter itself must work, or the zero below proves nothing.
  const std::uint64_t probe = allocations.load();
  void* volatile block = std::malloc(16);
  std::free(block);
  ASSERT_EQ(allocations.load(), probe + 1);

  const char* const methods[] = {"L", "corr", " LJUNG ", "X", ""};
  const std::uint64_t before = allocations.load();
  for (int i = 0; i < 10000; ++i) {
    const double n = 1.0 + i % 5000, alpha = (i % 11) * 0.01;
    if (i % 3 == 0) {
      module_.evaluate(n, alpha);
    } else {
      module_.evaluate(n, alpha, methods[i % 5]);
    }
  }
  EXPECT_EQ(allocations.load(), before);
  EXPECT_TRUE(recorder_.allocations().empty());
}

}  // namespace
