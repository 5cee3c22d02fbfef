// The entry point, the static records and registration, byte for byte as the
// host reads them.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "loaded_module.hpp"
#include "module/exports.h"
#include "test_support.hpp"

namespace {

template <typename T>
std::string bytes_of(const T& value, std::size_t offset, std::size_t width) {
  return std::string(reinterpret_cast<const char*>(&value) + offset, width);
}

std::string zeros(std::size_t n) {
  return std::string(n, '\0');
}

bool all_of(const std::string& s, int (*predicate)(int)) {
  for (unsigned char c : s)
    if (!predicate(c)) return false;
  return !s.empty();
}

int is_lower(int c) {
  return c >= 'a' && c <= 'z';
}
int is_alnum(int c) {
  return std::isalnum(c);
}

// An opaque token: `width` letters and digits, with each of `separators` once.
void expect_token(std::string token, std::size_t width, std::string_view separators) {
  EXPECT_EQ(token.size(), width) << token;
  for (char separator : separators) {
    EXPECT_EQ(std::count(token.begin(), token.end(), separator), 1) << token;
  }
  std::erase_if(token, [&](char c) { return separators.find(c) != std::string_view::npos; });
  EXPECT_TRUE(all_of(token, is_alnum)) << token;
}

class Records : public testing_support::LoadedModule {
 protected:
  void* symbol(const char* name) { return const_cast<void*>(module_.address(name)); }
};

TEST_F(Records, EntryStoresTheAnchors) {
  auto entry = module_.function<decltype(&mcn_main)>("mcn_main");
  auto** gcb = static_cast<void**>(symbol("v_global_gcb_anchor"));
  auto** pidb = static_cast<void**>(symbol("v_global_pidb_anchor"));
  auto** tk = static_cast<void**>(symbol("Exported_TKHandle"));
  // The loader already entered the module with its host's anchors.
  EXPECT_EQ(*gcb, host_.control_block());
  EXPECT_EQ(*pidb, host_.pidb());
  EXPECT_EQ(reinterpret_cast<std::uint64_t>(*tk), host::Host::kTkHandleValue);

  // A second entry with another control block overwrites all three.
  std::array<void*, host::Host::kMembers> other{};
  other[module::gcb::GCB_TKHANDLE] = reinterpret_cast<void*>(std::uintptr_t{0x1234});
  EXPECT_EQ(entry(other.data(), nullptr), symbol("vi_mcn"));
  EXPECT_EQ(*gcb, other.data());
  EXPECT_EQ(*pidb, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(*tk), 0x1234u);
  entry(host_.control_block(), host_.pidb());
}

TEST_F(Records, ImageInformation) {
  const auto& vi = *static_cast<const module::ImageInformation*>(symbol("vi_mcn"));
  EXPECT_EQ(&vi, &module_.image());
  EXPECT_EQ(bytes_of(vi, 0, 24), std::string("ZOR_Image_Information=") + zeros(2));
  EXPECT_EQ(bytes_of(vi, 24, 8), std::string("\xED\xEB\xBD\xB0", 4) + zeros(4));
  EXPECT_EQ(bytes_of(vi, 32, 8), std::string("\x08", 1) + zeros(7));

  const std::string release = bytes_of(vi, 40, 4);
  EXPECT_TRUE(std::isdigit(release[0]) && release[1] == '.' && std::isdigit(release[2]) &&
              std::isdigit(release[3]))
      << release;
  EXPECT_EQ(bytes_of(vi, 44, 2), zeros(2));
  const std::string id = bytes_of(vi, 46, 16);
  EXPECT_EQ(id.substr(0, 5), release + ".");
  EXPECT_TRUE(std::isdigit(id[5]) && std::isdigit(id[6]));
  EXPECT_EQ(id.find('\0'), std::string::npos);
  EXPECT_TRUE(all_of(id.substr(10), [](int c) { return std::isdigit(c); })) << id;
  EXPECT_EQ(bytes_of(vi, 62, 4), zeros(4));

  const std::string date = bytes_of(vi, 66, 11);
  std::tm tm{};
  EXPECT_NE(strptime(date.c_str(), "%b %e %Y", &tm), nullptr) << date;
  EXPECT_TRUE(date[4] == ' ' || date[4] == '1' || date[4] == '2' || date[4] == '3') << date;
  EXPECT_EQ(bytes_of(vi, 77, 19), zeros(19));

  const void* list;
  std::memcpy(&list, reinterpret_cast<const char*>(&vi) + 96, 8);
  EXPECT_EQ(list, symbol("mcn_pcns"));
  const char* legal;
  std::memcpy(&legal, reinterpret_cast<const char*>(&vi) + 104, 8);
  EXPECT_EQ(legal[0], ' ');
  EXPECT_EQ(std::strchr(legal, '\n'), nullptr);
  EXPECT_EQ(bytes_of(vi, 112, 8), std::string("001") + zeros(5));
}

TEST_F(Records, ModuleListAndModuleRecord) {
  const auto* list = static_cast<const void* const*>(symbol("mcn_pcns"));
  EXPECT_EQ(list[0], symbol("pcn_KORVALEN"));
  EXPECT_EQ(list[1], nullptr);

  const auto* pcn = static_cast<const std::int64_t*>(symbol("pcn_KORVALEN"));
  EXPECT_EQ(bytes_of(*pcn, 0, 8), std::string("\0\0\xFF\xFF\xFF\xFF\xFF\xFF", 8));
  EXPECT_EQ(pcn[1], 1024);
  EXPECT_EQ(pcn[2], 1024);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(pcn + 3), 8), "korvalen");
  EXPECT_EQ(pcn[4], 0);
  EXPECT_EQ(reinterpret_cast<void*>(pcn[5]), symbol("korvalen"));
  EXPECT_EQ(pcn[6], 1);
  EXPECT_EQ(pcn[7], 9683);
  EXPECT_EQ(pcn[8], 5345781);
  EXPECT_EQ(pcn[9], 15);
}

TEST_F(Records, VersionControlBlockCopiesExactly208Bytes) {
  unsigned char buffer[208 + 32];
  std::memset(buffer, 0xCC, sizeof buffer);
  module_.function<decltype(&tkvercn1)>("tkvercn1")(buffer + 16);
  for (int i : {0, 15, 224, 239}) EXPECT_EQ(buffer[i], 0xCC) << i;
  const char* const* slot = reinterpret_cast<const char* const*>(buffer + 16);
  for (int s = 17; s < 26; ++s) EXPECT_EQ(slot[s], nullptr) << s;

  const std::string release_long = slot[0];
  const std::string release = bytes_of(module_.image(), 46, 16);
  ASSERT_EQ(release_long.size(), 18u);
  EXPECT_EQ(release_long.substr(0, 10), release.substr(0, 10));
  EXPECT_EQ(release_long.substr(10, 4), release.substr(10, 4));  // day and month
  EXPECT_EQ(release_long.substr(16, 2), release.substr(14, 2));  // year's last digits

  const std::string tree = slot[1];
  EXPECT_EQ(tree.size(), 30u);
  EXPECT_EQ(std::count(tree.begin(), tree.end(), ':'), 1);
  EXPECT_STREQ(slot[2], "");
  EXPECT_EQ(std::strlen(slot[4]), 3u);
  EXPECT_TRUE(all_of(slot[4], is_lower));
  EXPECT_EQ(slot[6], slot[4]);  // the same address
  expect_token(slot[5], 8, "");
  expect_token(slot[7], 19, "-/");
  EXPECT_STREQ(slot[8], "");
  EXPECT_STREQ(slot[9], "version");
  EXPECT_STREQ(slot[10], "::");
  EXPECT_STREQ(slot[11], "");
  EXPECT_EQ(std::string(slot[12]), "ZOR_VERSION_HOTFIX_NUMBER=" + std::string(39, ' '));
  expect_token(slot[13], 20, "#.");
  EXPECT_EQ(std::string(slot[14]), "VERCON_IMAGE_DESCRIPTION=" + std::string(40, ' '));
  EXPECT_EQ(std::strlen(slot[15]), 5u);
  EXPECT_TRUE(all_of(slot[15], is_lower));

  // Slot 16 names the instant of slot 3, in the stated 28-character form.
  std::uint64_t seconds;
  std::memcpy(&seconds, buffer + 16 + 24, 8);
  EXPECT_LT(seconds, std::uint64_t{1} << 32);
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char expected[64];
  std::strftime(expected, sizeof expected, "%a %b %e %H:%M:%S UTC %Y", &tm);
  EXPECT_STREQ(slot[16], expected);
  EXPECT_EQ(std::strlen(slot[16]), 28u);
  // And the build date of the image names the same day.
  std::strftime(expected, sizeof expected, "%b %e %Y", &tm);
  EXPECT_EQ(bytes_of(module_.image(), 66, 11), expected);
}

TEST_F(Records, RegistrationBlocks) {
  auto entry = module_.function<decltype(&korvalen)>("korvalen");
  recorder_.clear_records();
  const auto* header = static_cast<const unsigned char*>(entry(1));
  ASSERT_NE(header, nullptr);
  std::int32_t count;
  std::memcpy(&count, header, 4);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(bytes_of(*header, 4, 4), std::string(4, static_cast<char>(host::kBlockFill)));
  const unsigned char* items;
  std::memcpy(&items, header + 8, 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(items), 56),
            std::string("LJUNGCV") + zeros(21) + std::string("\x02\x00\x03\x00", 4) + "B" +
                zeros(15) + "\x89" + zeros(7));

  const auto* table = static_cast<const unsigned char*>(entry(2));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(bytes_of(*table, 0, 8), std::string(8, static_cast<char>(host::kBlockFill)));
  void* implementation;
  std::memcpy(&implementation, table + 8, 8);
  EXPECT_EQ(implementation, symbol("uwfljungcv"));

  EXPECT_NE(entry(1), header);  // every call a fresh block
  const auto allocations = recorder_.allocations();
  ASSERT_EQ(allocations.size(), 3u);
  const std::int64_t sizes[] = {16, 16, 16};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(allocations[i].size, sizes[i]);
    EXPECT_EQ(allocations[i].flags, 0x2006);
    EXPECT_EQ(allocations[i].memory_service, host_.memory_service());
  }
}

TEST_F(Records, OtherRequestsAndFailures) {
  auto entry = module_.function<decltype(&korvalen)>("korvalen");
  auto make = module_.function<decltype(&xfmuent)>("xfmuent");
  recorder_.clear_records();
  for (std::int32_t request : {0, 3, -1, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(entry(request), nullptr) << request;
    EXPECT_EQ(make(request, 1, nullptr, nullptr), nullptr) << request;
  }
  EXPECT_EQ(make(1, -1, nullptr, nullptr), nullptr);
  EXPECT_EQ(make(2, -5, nullptr, nullptr), nullptr);
  EXPECT_TRUE(recorder_.allocations().empty());
  EXPECT_TRUE(recorder_.service_calls().empty());

  // Count 0 asks for 8 bytes and writes nothing; count 20 copies in order.
  auto* empty = static_cast<unsigned char*>(make(2, 0, nullptr, nullptr));
  EXPECT_EQ(bytes_of(*empty, 0, 8), std::string(8, static_cast<char>(host::kBlockFill)));
  void* list[20];
  for (int i = 0; i < 20; ++i) list[i] = reinterpret_cast<void*>(std::uintptr_t{0x1000} + i);
  auto* twenty = static_cast<unsigned char*>(make(2, 20, nullptr, list));
  EXPECT_EQ(std::memcmp(twenty + 8, list, sizeof list), 0);
  const auto allocations = recorder_.allocations();
  ASSERT_EQ(allocations.size(), 2u);
  EXPECT_EQ(allocations[0].size, 8);
  EXPECT_EQ(allocations[1].size, 168);

  recorder_.fail_allocations(true);
  recorder_.clear_records();
  for (std::int32_t request : {1, 2}) {
    EXPECT_EQ(entry(request), nullptr);
    EXPECT_EQ(recorder_.exit_code(), 1016);
    const auto calls = recorder_.service_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].identity, testing_support::identity(39, 4));
    EXPECT_EQ(calls[0].arguments, (std::vector<std::uint64_t>{1016, 0}));
    recorder_.clear_records();
  }
}

}  // namespace
