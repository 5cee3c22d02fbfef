// The stand-in host: the control block, services, translation tables and
// memory service that the module expects of its host. What a test watches of
// the services is an Observer of its own, told of every call.
//
// The module's anchors are process-wide, as in the real host, so a process has
// one live Host at a time: constructing a second one while the first lives
// throws.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "module/records.hpp"

namespace host {

// One call of a service entry: its identity (group << 32 | entry), the
// arguments as passed, and the bytes of the buffer it worked on afterwards.
struct ServiceCall {
  std::uint64_t identity;
  std::vector<std::uint64_t> arguments;
  std::string output;
};

// One call of the memory service.
struct Allocation {
  const void* memory_service;
  std::int64_t size;
  std::int32_t flags;
  void* block;  // null when told to fail
};

// Told of every service call and allocation, and asked whether an allocation
// is to fail; services may be called from several threads at once.
class Observer {
 public:
  virtual ~Observer() = default;
  virtual void called(const ServiceCall& call) = 0;
  virtual bool refuses(std::int64_t size) = 0;
  virtual void allocated(const Allocation& allocation) = 0;
};

// Bytes the host fills into blocks and into the record bytes it owns, so that
// a test can see they were left alone.
inline constexpr std::uint8_t kBlockFill = 0xA5;
inline constexpr std::uint8_t kHostByte = 0xEE;

// Translations of this host, as tables and as services:
//   0 (table 2): ROT13 on ASCII letters, every other byte unchanged
//   1 (table 3): ASCII letters change case, every other byte unchanged
//   table 4: a-z upper-cased; table 5: A-Z lower-cased
//   table 6: control bytes (0x00-0x1F, 0x7F) become blanks
class Host {
 public:
  static constexpr std::size_t kMembers = 96;
  static constexpr std::size_t kGroups = 40;
  static constexpr std::uint64_t kTkHandleValue = 0x544B48414E444C45u;  // "ELDNAHKT"

  // Throws std::logic_error while another Host is alive in this process.
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The live Host, or null; and a number that changes with every new Host.
  static Host* live();
  std::uint64_t generation() const { return generation_; }

  void* control_block() { return gcb_.data(); }
  void* pidb() { return &pidb_; }

  // The observer to tell, or null; set before the module is loaded.
  void watch(Observer* observer) { observer_ = observer; }
  void set_service_route(bool on) { route_[0] = on ? 1 : 0; }
  void set_route_record_present(bool present);
  // Every group byte, so that a test can see which ones a stub clears.
  void fill_group_bytes(std::uint8_t value) { group_bytes_.fill(value); }
  std::uint8_t group_byte(std::size_t group) const { return group_bytes_.at(group); }
  const void* memory_service() const { return &memory_service_; }
  const std::uint8_t* table(int k) const { return tables_.at(static_cast<std::size_t>(k)).data(); }

 private:
  struct MemoryService {
    void* (*allocate)(void*, std::int64_t, std::int32_t);  // first member, as the module expects
    Host* owner;
  };

  static std::int64_t lower_case(char* buffer, std::int32_t length, std::uint64_t id);
  static std::int64_t upper_case(char* buffer, std::int32_t length, std::uint64_t id);
  static std::int64_t translate0(const char* in, std::int32_t in_length, char* out,
                                 std::int32_t out_length, std::int32_t mode, std::uint64_t id);
  static std::int64_t translate1(const char* in, std::int32_t in_length, char* out,
                                 std::int32_t out_length, std::int32_t mode, std::uint64_t id);
  static std::int64_t fatal_exit(std::int32_t code, std::int32_t detail, std::uint64_t id);
  static void* allocate(void* memory_service, std::int64_t size, std::int32_t flags);
  static std::int64_t translate(int table, const char* in, std::int32_t in_length, char* out,
                                std::int32_t out_length, std::int32_t mode, std::uint64_t id);
  static std::int64_t case_service(int table, char* buffer, std::int32_t length, std::uint64_t id);
  void record(std::uint64_t identity, std::vector<std::uint64_t> arguments, std::string output);

  std::array<void*, kMembers> gcb_{};
  std::array<void*, kGroups> service_table_{};
  std::array<void*, module::gcb::kUpperCase.entry + 1> group0_{};
  std::array<void*, module::gcb::kTranslation1.entry + 1> group4_{};
  std::array<void*, module::gcb::kExit.entry + 1> group39_{};
  std::array<std::uint8_t, kGroups> group_bytes_{};
  std::array<std::array<std::uint8_t, 256>, 7> tables_{};
  std::array<void*, 7> table_list_{};
  std::array<void*, 4> translation_environment_{};
  std::array<std::uint8_t, 8> route_{};
  MemoryService memory_service_{};
  std::uint64_t pidb_ = 0x5049444250494442u;
  std::uint64_t generation_ = 0;

  Observer* observer_ = nullptr;
  std::mutex blocks_mutex_;
  std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;  // the host's, never freed by the module
};

}  // namespace host
