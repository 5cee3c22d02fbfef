// The stand-in host's control block and services.
#include "host/host.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>

namespace host {
namespace {

namespace gcb = module::gcb;

// The live Host, whose services answer: entries receive no context of their own.
std::atomic<Host*> live_host{nullptr};
std::atomic<std::uint64_t> generations{0};

std::uint8_t rot13(std::uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>('a' + (c - 'a' + 13) % 26);
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>('A' + (c - 'A' + 13) % 26);
  return c;
}

std::uint8_t swap_case(std::uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c - 'A' + 'a');
  return c;
}

std::uint8_t upper(std::uint8_t c) {
  return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}
std::uint8_t lower(std::uint8_t c) {
  return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}
std::uint8_t blank_controls(std::uint8_t c) {
  return c < 0x20 || c == 0x7F ? ' ' : c;
}

template <typename T>
std::uint64_t raw(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<std::uintptr_t>(value);
  } else {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
  }
}

}  // namespace

Host::Host() {
  Host* expected = nullptr;
  if (!live_host.compare_exchange_strong(expected, this)) {
    throw std::logic_error(
        "a Host is already live in this process: the module's anchors are process-wide");
  }
  generation_ = ++generations;
  std::uint8_t (*const maps[])(std::uint8_t) = {nullptr, nullptr, rot13,         swap_case,
                                                upper,   lower,   blank_controls};
  for (int k = 2; k <= 6; ++k) {
    for (int c = 0; c < 256; ++c) tables_[k][c] = maps[k](static_cast<std::uint8_t>(c));
    table_list_[k] = tables_[k].data();
  }

  static_assert(gcb::kLowerCase.group == 0 && gcb::kUpperCase.group == 0 &&
                gcb::kTranslation0.group == 4 && gcb::kTranslation1.group == 4 &&
                gcb::kExit.group == 39);
  group0_[gcb::kLowerCase.entry] = reinterpret_cast<void*>(&Host::lower_case);
  group0_[gcb::kUpperCase.entry] = reinterpret_cast<void*>(&Host::upper_case);
  group4_[gcb::kTranslation0.entry] = reinterpret_cast<void*>(&Host::translate0);
  group4_[gcb::kTranslation1.entry] = reinterpret_cast<void*>(&Host::translate1);
  group39_[gcb::kExit.entry] = reinterpret_cast<void*>(&Host::fatal_exit);
  service_table_[0] = group0_.data();
  service_table_[4] = group4_.data();
  service_table_[39] = group39_.data();
  group_bytes_.fill(1);

  translation_environment_[gcb::kRouteRecord] = route_.data();
  memory_service_ = {&Host::allocate, this};

  gcb_[gcb::GCB_SVCTAB] = service_table_.data();
  gcb_[gcb::GCB_TSSVEC] = group_bytes_.data();
  gcb_[gcb::GCB_ALLOCATOR] = &memory_service_;
  gcb_[gcb::GCB_XLTENV] = translation_environment_.data();
  gcb_[gcb::GCB_XLTTABS] = table_list_.data();
  gcb_[gcb::GCB_TKHANDLE] = reinterpret_cast<void*>(kTkHandleValue);
}

Host::~Host() {
  live_host.store(nullptr);
}

Host* Host::live() {
  return live_host.load();
}

void Host::set_route_record_present(bool present) {
  translation_environment_[gcb::kRouteRecord] = present ? route_.data() : nullptr;
}

// The call as a test sees it, built only where one watches.
void Host::record(std::uint64_t identity, std::vector<std::uint64_t> arguments,
                  std::string output) {
  if (observer_) observer_->called({identity, std::move(arguments), std::move(output)});
}

std::int64_t Host::case_service(int table, char* buffer, std::int32_t length, std::uint64_t id) {
  Host* self = live_host.load();
  for (std::int32_t k = 0; k < length; ++k) {
    buffer[k] = static_cast<char>(self->tables_[table][static_cast<std::uint8_t>(buffer[k])]);
  }
  if (self->observer_)
    self->record(id, {raw(buffer), raw(length)}, std::string(buffer, std::max(length, 0)));
  return length;
}

std::int64_t Host::lower_case(char* buffer, std::int32_t length, std::uint64_t id) {
  return case_service(5, buffer, length, id);
}

std::int64_t Host::upper_case(char* buffer, std::int32_t length, std::uint64_t id) {
  return case_service(4, buffer, length, id);
}

std::int64_t Host::translate(int table, const char* in, std::int32_t in_length, char* out,
                             std::int32_t out_length, std::int32_t mode, std::uint64_t id) {
  Host* self = live_host.load();
  const std::int32_t length = std::max(0, std::min(in_length, out_length));
  for (std::int32_t k = 0; k < length; ++k) {
    out[k] = static_cast<char>(self->tables_[table][static_cast<std::uint8_t>(in[k])]);
  }
  if (self->observer_) {
    self->record(id, {raw(in), raw(in_length), raw(out), raw(out_length), raw(mode)},
                 std::string(out, static_cast<std::size_t>(length)));
  }
  return length;
}

std::int64_t Host::translate0(const char* in, std::int32_t in_length, char* out,
                              std::int32_t out_length, std::int32_t mode, std::uint64_t id) {
  return translate(2, in, in_length, out, out_length, mode, id);
}

std::int64_t Host::translate1(const char* in, std::int32_t in_length, char* out,
                              std::int32_t out_length, std::int32_t mode, std::uint64_t id) {
  return translate(3, in, in_length, out, out_length, mode, id);
}

// Comes back, so that a test can see what follows.
std::int64_t Host::fatal_exit(std::int32_t code, std::int32_t detail, std::uint64_t id) {
  live_host.load()->record(id, {raw(code), raw(detail)}, {});
  return 0;
}

void* Host::allocate(void* memory_service, std::int64_t size, std::int32_t flags) {
  Host* self = static_cast<MemoryService*>(memory_service)->owner;
  void* block = nullptr;
  if (size >= 0 && !(self->observer_ && self->observer_->refuses(size))) {
    auto bytes = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size));
    std::memset(bytes.get(), kBlockFill, static_cast<std::size_t>(size));
    block = bytes.get();
    std::lock_guard lock(self->blocks_mutex_);
    self->blocks_.push_back(std::move(bytes));
  }
  if (self->observer_) self->observer_->allocated({memory_service, size, flags, block});
  return block;
}

}  // namespace host
