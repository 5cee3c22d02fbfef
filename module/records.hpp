// What the module shares with its host, written once: the byte-exact records
// (little-endian, 8-byte addresses, every field the host reads pinned by a
// static_assert below its record), the statuses, the control-block members,
// the service numbers and the request codes. The module, the stand-in host
// and the tools all take them from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "statuses/statuses.hpp"

namespace module {

#define KORVALEN_PLAIN_RECORD(T, size)         \
  static_assert(sizeof(T) == (size));          \
  static_assert(std::is_standard_layout_v<T>); \
  static_assert(std::is_trivially_copyable_v<T>)

// Image information: what mcn_main returns, the head of the chain to the module.
struct ImageInformation {
  char marker[24];  // "ZOR_Image_Information=" and two zero bytes
  std::uint32_t magic;
  std::uint32_t reserved0;
  std::uint64_t eight;
  char release_number[6];  // "d.dd", zero filled
  char release_id[20];     // 16 characters, zero filled
  char build_date[30];     // "Mon dd yyyy", zero filled
  const void* module_list;
  const char* legal_notice;
  char tag[8];  // "001", zero filled
};
KORVALEN_PLAIN_RECORD(ImageInformation, 120);
static_assert(offsetof(ImageInformation, magic) == 24);
static_assert(offsetof(ImageInformation, reserved0) == 28);
static_assert(offsetof(ImageInformation, eight) == 32);
static_assert(offsetof(ImageInformation, release_number) == 40);
static_assert(offsetof(ImageInformation, release_id) == 46);
static_assert(offsetof(ImageInformation, build_date) == 66);
static_assert(offsetof(ImageInformation, module_list) == 96);
static_assert(offsetof(ImageInformation, legal_notice) == 104);
static_assert(offsetof(ImageInformation, tag) == 112);

// A macro as well, so that it can initialise the record's text field.
#define KORVALEN_IMAGE_MARKER "ZOR_Image_Information="
inline constexpr std::string_view kImageMarker = KORVALEN_IMAGE_MARKER;
inline constexpr std::uint32_t kImageMagic = 0xB0BDEBEDu;

struct ModuleRecord;

// Module list: module-record addresses, ended by a null address.
struct ModuleList {
  const ModuleRecord* modules[2];
};
KORVALEN_PLAIN_RECORD(ModuleList, 16);

using FunctionTableEntry = void* (*)(std::int32_t request);

struct ModuleRecord {
  std::uint64_t marker;  // 0xFFFFFFFFFFFF0000
  std::int64_t fixed1024a;
  std::int64_t fixed1024b;
  char name[8];  // lower case, no terminator
  std::uint64_t reserved0;
  FunctionTableEntry entry;
  std::int64_t fixed1;
  std::int64_t fixed9683;
  std::int64_t fixed5345781;
  std::int64_t fixed15;
};
KORVALEN_PLAIN_RECORD(ModuleRecord, 80);
static_assert(offsetof(ModuleRecord, fixed1024a) == 8);
static_assert(offsetof(ModuleRecord, fixed1024b) == 16);
static_assert(offsetof(ModuleRecord, name) == 24);
static_assert(offsetof(ModuleRecord, reserved0) == 32);
static_assert(offsetof(ModuleRecord, entry) == 40);
static_assert(offsetof(ModuleRecord, fixed1) == 48);
static_assert(offsetof(ModuleRecord, fixed9683) == 56);
static_assert(offsetof(ModuleRecord, fixed5345781) == 64);
static_assert(offsetof(ModuleRecord, fixed15) == 72);

// Version-control block: 26 slots, copied out whole by tkvercn1.
struct VersionControlBlock {
  const char* release_id;  // release identifier with a four-digit year
  const char* build_tree;
  const char* empty2;
  std::uint64_t build_time;  // seconds since the Unix epoch, not an address
  const char* component;
  const char* token5;
  const char* component_again;  // the same address as `component`
  const char* token7;
  const char* empty8;
  const char* version;
  const char* separator;
  const char* empty11;
  const char* hotfix;
  const char* token13;
  const char* image_description;
  const char* builder;
  const char* build_stamp;
  const void* reserved[9];
};
KORVALEN_PLAIN_RECORD(VersionControlBlock, 208);
#define KORVALEN_SLOT(field, slot) static_assert(offsetof(VersionControlBlock, field) == 8 * (slot))
KORVALEN_SLOT(release_id, 0);
KORVALEN_SLOT(build_tree, 1);
KORVALEN_SLOT(empty2, 2);
KORVALEN_SLOT(build_time, 3);
KORVALEN_SLOT(component, 4);
KORVALEN_SLOT(token5, 5);
KORVALEN_SLOT(component_again, 6);
KORVALEN_SLOT(token7, 7);
KORVALEN_SLOT(empty8, 8);
KORVALEN_SLOT(version, 9);
KORVALEN_SLOT(separator, 10);
KORVALEN_SLOT(empty11, 11);
KORVALEN_SLOT(hotfix, 12);
KORVALEN_SLOT(token13, 13);
KORVALEN_SLOT(image_description, 14);
KORVALEN_SLOT(builder, 15);
KORVALEN_SLOT(build_stamp, 16);
KORVALEN_SLOT(reserved, 17);
#undef KORVALEN_SLOT

// One descriptor of the function-items table.
struct FunctionDescriptor {
  char name[8];  // upper case, NUL terminated
  std::uint8_t reserved0[20];
  std::int16_t min_arguments;
  std::int16_t max_arguments;
  char code_b;  // 'B'
  std::uint8_t reserved1[15];
  std::uint8_t code_89;  // 0x89
  std::uint8_t reserved2[7];
};
KORVALEN_PLAIN_RECORD(FunctionDescriptor, 56);
static_assert(offsetof(FunctionDescriptor, reserved0) == 8);
static_assert(offsetof(FunctionDescriptor, min_arguments) == 28);
static_assert(offsetof(FunctionDescriptor, max_arguments) == 30);
static_assert(offsetof(FunctionDescriptor, code_b) == 32);
static_assert(offsetof(FunctionDescriptor, reserved1) == 33);
static_assert(offsetof(FunctionDescriptor, code_89) == 48);
static_assert(offsetof(FunctionDescriptor, reserved2) == 49);

// Requests to the function-table entry.
inline constexpr std::int32_t kItemsRequest = 1;            // the function-items header
inline constexpr std::int32_t kImplementationsRequest = 2;  // the implementation table

// Block answered to request type 1.
struct FunctionItemsHeader {
  std::int32_t count;
  std::uint32_t unwritten;  // left as the memory service delivers it
  const FunctionDescriptor* items;
};
KORVALEN_PLAIN_RECORD(FunctionItemsHeader, 16);
static_assert(offsetof(FunctionItemsHeader, count) == 0);
static_assert(offsetof(FunctionItemsHeader, items) == 8);

// Block answered to request type 2: a leading member left unwritten, then one
// implementation address per descriptor.
inline constexpr std::size_t kImplementationsOffset = 8;
inline constexpr std::size_t implementation_table_size(std::int64_t count) {
  return static_cast<std::size_t>(8 * count) + kImplementationsOffset;
}

using FunctionImplementation = std::int32_t (*)(void* argument_record, double* result);

// Argument record of one function call, filled by the host.
struct ArgumentEntry {
  std::uint8_t host0;
  std::uint8_t flags;  // bit 0: invalid
  std::uint8_t host1[6];
  const void* value;
};
KORVALEN_PLAIN_RECORD(ArgumentEntry, 16);
static_assert(offsetof(ArgumentEntry, flags) == 1);
static_assert(offsetof(ArgumentEntry, value) == 8);

inline constexpr std::uint8_t kInvalidFlag = 0x01;

struct ArgumentRecord {
  std::uint64_t host[4];
  std::int64_t count;
  ArgumentEntry arguments[3];
};
KORVALEN_PLAIN_RECORD(ArgumentRecord, 88);
static_assert(offsetof(ArgumentRecord, count) == 32);
static_assert(offsetof(ArgumentRecord, arguments) == 40);

// Character value: the descriptor an argument entry addresses for a text.
struct CharacterValue {
  std::uint64_t host0;
  std::int32_t length;
  std::uint32_t host1;
  const char* characters;
};
KORVALEN_PLAIN_RECORD(CharacterValue, 24);
static_assert(offsetof(CharacterValue, length) == 8);
static_assert(offsetof(CharacterValue, characters) == 16);

#undef KORVALEN_PLAIN_RECORD

// Statuses of LJUNGCV and the host's missing value: the C API's as well.
using statuses::kMissingBits;
using statuses::Status;

// wztxxlt's status for a translation index outside 0 to 4.
inline constexpr std::int32_t kBadTranslation = static_cast<std::int32_t>(0x8000200au);

namespace gcb {

// Control-block members, counted in 8-byte members.
enum Member : std::size_t {
  GCB_SVCTAB = 0,      // service table: member g addresses group g's entry vector
  GCB_TSSVEC = 1,      // one byte per service group
  GCB_ALLOCATOR = 10,  // memory service record; member 0 is the allocation function
  GCB_XLTENV = 13,     // record whose member kRouteRecord addresses the route record
  GCB_XLTTABS = 27,    // vector of 256-byte translation tables
  GCB_TKHANDLE = 82,   // copied into Exported_TKHandle by the entry point
};

inline constexpr std::size_t kRouteRecord = 3;  // member of the GCB_XLTENV record
inline constexpr int kTranslationTables = 2;    // translation index i reads table i + 2

using AllocateFunction = void* (*)(void* memory_service, std::int64_t size, std::int32_t flags);
inline constexpr std::int32_t kAllocationFlags = 0x2006;
inline constexpr std::int32_t kAllocationFailure = 1016;  // exit code after a null block

// A host service: its group (a byte of GCB_TSSVEC, a member of GCB_SVCTAB) and
// its entry in that group's vector. Each call passes the identity last.
struct Service {
  std::uint32_t group;
  std::uint32_t entry;
  constexpr std::uint64_t identity() const { return (std::uint64_t{group} << 32) | entry; }
};
inline constexpr Service kLowerCase{0, 330};
inline constexpr Service kUpperCase{0, 331};
inline constexpr Service kTranslation0{4, 7};
inline constexpr Service kTranslation1{4, 39};
inline constexpr Service kExit{39, 4};

}  // namespace gcb
}  // namespace module
