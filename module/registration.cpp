// Function registration: korvalen answers the host's requests for the
// function-items header (type 1) and the implementation table (type 2) with
// blocks from the host's memory service, built by xfmuent. Both answers come
// from one table of functions, so a descriptor cannot lose its implementation.
#include <array>
#include <cstring>

#include "module/exports.h"
#include "module/gcb.hpp"

namespace module {
namespace {

struct Function {
  FunctionDescriptor descriptor;
  FunctionImplementation implementation;
};

constexpr Function kFunctions[] = {
    {
        .descriptor =
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
        .implementation = uwfljungcv,
    },
};
constexpr std::size_t kFunctionCount = std::size(kFunctions);

// The function-items table: the descriptors alone, contiguous, as the host reads them.
constexpr std::array<FunctionDescriptor, kFunctionCount> descriptors() {
  std::array<FunctionDescriptor, kFunctionCount> table{};
  for (std::size_t i = 0; i < kFunctionCount; ++i) table[i] = kFunctions[i].descriptor;
  return table;
}
constinit const std::array<FunctionDescriptor, kFunctionCount> fncitems = descriptors();

// A block from the host's memory service, or null after reporting the failure
// to the host's fatal exit.
void* allocate(std::int64_t size) {
  void* service = gcb::member(gcb::GCB_ALLOCATOR);
  gcb::AllocateFunction function;
  std::memcpy(&function, service, sizeof function);
  void* block = function(service, size, gcb::kAllocationFlags);
  if (block == nullptr) xexit(gcb::kAllocationFailure, 0);
  return block;
}

}  // namespace
}  // namespace module

extern "C" {

KORVALEN_EXPORT void* xfmuent(std::int32_t request, std::int32_t count, const void* items,
                              void* const* implementations) {
  using namespace module;
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
    std::memcpy(static_cast<unsigned char*>(block) + kImplementationsOffset, implementations,
                sizeof(void*) * static_cast<std::size_t>(count));
    return block;
  }
  return nullptr;
}

KORVALEN_EXPORT void* korvalen(std::int32_t request) {
  using namespace module;
  constexpr auto count = static_cast<std::int32_t>(kFunctionCount);
  if (request == kItemsRequest) return xfmuent(kItemsRequest, count, fncitems.data(), nullptr);
  if (request == kImplementationsRequest) {
    void* implementations[kFunctionCount];
    for (std::size_t i = 0; i < kFunctionCount; ++i) {
      implementations[i] = reinterpret_cast<void*>(kFunctions[i].implementation);
    }
    return xfmuent(kImplementationsRequest, count, nullptr, implementations);
  }
  return nullptr;
}

}  // extern "C"
