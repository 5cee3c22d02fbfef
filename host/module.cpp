// Loading korvalen.so as the host does: enter it, walk vi_mcn -> mcn_pcns ->
// pcn_KORVALEN -> korvalen, register the function, call its implementation.
#include "host/module.hpp"

#include <dlfcn.h>

#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>

namespace host {
namespace {

using module::ArgumentRecord;
using module::CharacterValue;
using module::FunctionDescriptor;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what);
}

}  // namespace

void Link::check() const {
  if (!loaded) throw std::logic_error("the module has been unloaded");
  if (Host::live() != host || host->generation() != generation) {
    throw std::logic_error("the module's host is gone: call through a Module of the live Host");
  }
}

Module::Module(Host& host, const std::string& path)
    : link_(std::make_shared<Link>(Link{&host, host.generation()})) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) fail("cannot load module " + path + ": " + dlerror());
  try {
    auto entry = function<void* (*)(void*, void*)>("mcn_main");
    if (!entry) fail(path + " has no entry point mcn_main");
    image_ = static_cast<const module::ImageInformation*>(entry(host.control_block(), host.pidb()));

    if (image_ == nullptr ||
        std::memcmp(image_->marker, module::kImageMarker.data(), module::kImageMarker.size() + 1) !=
            0 ||
        image_->magic != module::kImageMagic) {
      fail(path + " does not begin its image information with the expected marker");
    }
    const auto* list = static_cast<const module::ModuleList*>(image_->module_list);
    if (list == nullptr || list->modules[0] == nullptr) fail(path + " lists no module");
    record_ = list->modules[0];
    if (record_->entry == nullptr) fail(path + " has no function-table entry");

    const auto* header =
        static_cast<const module::FunctionItemsHeader*>(record_->entry(module::kItemsRequest));
    if (header == nullptr || header->count < 1 || header->items == nullptr) {
      fail(path + " registers no function");
    }
    const auto* table =
        static_cast<const unsigned char*>(record_->entry(module::kImplementationsRequest));
    if (table == nullptr) fail(path + " hands back no implementation table");
    for (std::int32_t i = 0; i < header->count; ++i) {
      const FunctionDescriptor* descriptor = &header->items[i];
      module::FunctionImplementation entry_point;
      std::memcpy(
          &entry_point,
          table + module::kImplementationsOffset + sizeof(void*) * static_cast<std::size_t>(i),
          sizeof entry_point);
      if (entry_point == nullptr) {
        fail(path + " hands back no implementation for function " + std::to_string(i + 1));
      }
      if (std::strncmp(descriptor->name, "LJUNGCV", sizeof descriptor->name) == 0) {
        implementation_ = entry_point;
      }
      functions_.push_back(descriptor);
    }
    if (implementation_ == nullptr) fail(path + " registers no function LJUNGCV");
  } catch (...) {
    dlclose(handle_);
    throw;
  }
}

Module::~Module() {
  link_->loaded = false;
  dlclose(handle_);
}

const void* Module::address(const char* name) const {
  return dlsym(handle_, name);
}

module::VersionControlBlock Module::version_block() const {
  module::VersionControlBlock block;
  function<void (*)(void*)>("tkvercn1")(&block);
  return block;
}

Evaluation Module::evaluate(double n, double alpha,
                            const std::optional<std::string_view>& method) const {
  if (method && method->size() > static_cast<std::size_t>(INT32_MAX)) {
    throw std::length_error("a method of " + std::to_string(method->size()) +
                            " bytes does not fit the descriptor's 32-bit length");
  }
  CharacterValue text;
  std::memset(&text, kHostByte, sizeof text);
  ArgumentRecord record;
  std::memset(&record, kHostByte, sizeof record);
  record.count = method ? 3 : 2;  // arguments in the user's call
  const void* values[3] = {&n, &alpha, &text};
  for (int i = 0; i < 3; ++i) {
    record.arguments[i].flags = 0;
    record.arguments[i].value = values[i];
  }
  if (method) {
    text.length = static_cast<std::int32_t>(method->size());
    text.characters = method->data();
  }

  double result;
  std::memset(&result, kHostByte, sizeof result);
  link_->check();  // as implementation() checks, without a reference to count on every row
  const std::int32_t status = implementation_(&record, &result);

  Evaluation evaluation{result, status, 0, 0};
  for (int i = 0; i < 3; ++i) {
    if (record.arguments[i].flags & module::kInvalidFlag) {
      evaluation.flagged = i + 1;
      ++evaluation.flags_set;
    }
  }
  return evaluation;
}

}  // namespace host
