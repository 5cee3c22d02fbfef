// Function registration: korvalen answers the host's requests for the
// function-items header (type 1) and the implementation table (type 2) with
// blocks from the host's memory service, built by xfmuent.
#include <cstring>

#include "module/gcb.hpp"
#include "module/korvalen.h"

namespace kmodule {
namespace {

constexpr std::int32_t kItemsRequest = 1;
constexpr std::int32_t kImplementationsRequest = 2;
constexpr std::int32_t kAllocationFailure = 1016;

// One descriptor per function, in the order of the implementation table.
constinit const FunctionDescriptor fncitems[] = {
    {
        .name = "LJUNGCV",
        .reserved0 = {},
        .min_arguments = 2,
        .max_arguments = 3,
        .code_b = 'B',
        .reserved1 = {},
        .code_89 = 0x89,
        .reserved2 = {},
    },
};
constexpr std::int32_t kFunctionCount = sizeof fncitems / sizeof fncitems[0];

// A block from the host's memory service, or null after reporting the failure
// to the host's fatal exit.
void* allocate(std::int64_t size) {
  void* service = gcb::member(gcb::GCB_ALLOCATOR);
  gcb::AllocateFunction function;
  std::memcpy(&function, service, sizeof function);
  void* block = function(service, size, gcb::kAllocationFlags);
  if (block == nullptr) xexit(kAllocationFailure, 0);
  return block;
}

}  // namespace
}  // namespace kmodule

extern "C" {

KORVALEN_EXPORT void* xfmuent(std::int32_t request, std::int32_t count, const void* items,
                              void* const* implementations) {
  using namespace kmodule;
  if (count < 0) return nullptr;
  if (request == kItemsRequest) {
    void* block = allocate(sizeof(FunctionItemsHeader));
    if (block == nullptr) return nullptr;
    auto* bytes = static_cast<unsigned char*>(block);
    std::memcpy(bytes + offsetof(FunctionItemsHeader, count), &count, sizeof count);
    std::memcpy(bytes + offsetof(FunctionItemsHeader, items), &items, sizeof items);
    return block;
  }
  if (request == kImplementationsRequest) {
    void* block = allocate(static_cast<std::int64_t>(implementation_table_size(count)));
    if (block == nullptr || count == 0) return block;
    std::memcpy(static_cast<unsigned char*>(block) + 8, implementations,
                sizeof(void*) * static_cast<std::size_t>(count));
    return block;
  }
  return nullptr;
}

KORVALEN_EXPORT void* korvalen(std::int32_t request) {
  using namespace kmodule;
  if (request == kItemsRequest) return xfmuent(kItemsRequest, kFunctionCount, fncitems, nullptr);
  if (request == kImplementationsRequest) {
    void* const implementations[kFunctionCount] = {reinterpret_cast<void*>(&uwfljungcv)};
    return xfmuent(kImplementationsRequest, kFunctionCount, nullptr, implementations);
  }
  return nullptr;
}

}  // extern "C"
