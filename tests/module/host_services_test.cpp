// Each stub clears its group's byte, passes its arguments on unchanged with the
// identity (group << 32) | entry, and hands back the service's result.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "loaded_module.hpp"
#include "module/exports.h"
#include "test_support.hpp"

namespace {

class HostServices : public testing_support::LoadedModule {
 protected:
  void expect_only_group_cleared(std::size_t group) {
    for (std::size_t g = 0; g < host::Host::kGroups; ++g) {
      EXPECT_EQ(host_.group_byte(g), g == group ? 0 : 0xFF) << "group " << g;
    }
  }
};

TEST_F(HostServices, CaseStubs) {
  struct Row {
    const char* name;
    std::uint64_t identity;
    const char* output;
  };
  const Row rows[] = {{"wzstrup", testing_support::identity(0, 331), "ABC,1Z"},
                      {"wzstrlo", testing_support::identity(0, 330), "abc,1z"}};
  for (const Row& row : rows) {
    host_.fill_group_bytes(0xFF);
    recorder_.clear_records();
    char buffer[] = "aBc,1Z";
    auto stub = module_.function<std::int64_t (*)(char*, std::int32_t)>(row.name);
    EXPECT_EQ(stub(buffer, 6), 6) << row.name;
    EXPECT_STREQ(buffer, row.output);
    expect_only_group_cleared(0);
    const auto calls = recorder_.service_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].identity, row.identity);
    EXPECT_EQ(calls[0].arguments,
              (std::vector<std::uint64_t>{reinterpret_cast<std::uintptr_t>(buffer), 6}));
  }
}

TEST_F(HostServices, TranslationStubs) {
  struct Row {
    const char* name;
    std::uint64_t identity;
    const char* output;
  };
  const Row rows[] = {{"wzsxcch", testing_support::identity(4, 7), "Nop"},
                      {"wzsxrch", testing_support::identity(4, 39), "aBC"}};
  for (const Row& row : rows) {
    host_.fill_group_bytes(0xFF);
    recorder_.clear_records();
    const char input[] = "Abc";
    char output[4] = {};
    auto stub = module_.function<decltype(&wzsxcch)>(row.name);
    EXPECT_EQ(stub(input, 3, output, 3, 1), 3);
    EXPECT_STREQ(output, row.output) << row.name;
    expect_only_group_cleared(4);
    const auto calls = recorder_.service_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].identity, row.identity);
    EXPECT_EQ(calls[0].arguments,
              (std::vector<std::uint64_t>{reinterpret_cast<std::uintptr_t>(input), 3,
                                          reinterpret_cast<std::uintptr_t>(output), 3, 1}));
  }
}

TEST_F(HostServices, FatalExit) {
  host_.fill_group_bytes(0xFF);
  auto stub = module_.function<decltype(&xexit)>("xexit");
  EXPECT_EQ(stub(1016, 0), 0);
  EXPECT_EQ(recorder_.exit_code(), 1016);
  expect_only_group_cleared(39);
  const auto calls = recorder_.service_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].identity, testing_support::identity(39, 4));
  EXPECT_EQ(calls[0].arguments, (std::vector<std::uint64_t>{1016, 0}));
}

std::uint64_t fake_identity = 0;
std::int64_t fake_upper_case(char*, std::int32_t length, std::uint64_t identity) {
  fake_identity = identity;
  return length + 100;
}

TEST_F(HostServices, StubsReadTheAnchorAfresh) {
  // A second control block with only group 0's entry 331 and its group byte.
  std::array<std::uint8_t, host::Host::kGroups> group_bytes;
  group_bytes.fill(0xFF);
  std::array<void*, 332> group0{};
  group0[331] = reinterpret_cast<void*>(&fake_upper_case);
  std::array<void*, host::Host::kGroups> groups{};
  groups[0] = group0.data();
  std::array<void*, host::Host::kMembers> other{};
  other[0] = groups.data();
  other[1] = group_bytes.data();

  host_.fill_group_bytes(0xFF);
  recorder_.clear_records();
  auto entry = module_.function<void* (*)(void*, void*)>("mcn_main");
  entry(other.data(), nullptr);
  char buffer[] = "x";
  EXPECT_EQ(module_.function<decltype(&wzstrup)>("wzstrup")(buffer, 1), 101);
  entry(host_.control_block(), host_.pidb());
  EXPECT_EQ(fake_identity, testing_support::identity(0, 331));
  EXPECT_EQ(group_bytes[0], 0);
  EXPECT_EQ(host_.group_byte(0), 0xFF);
  EXPECT_TRUE(recorder_.service_calls().empty());
}

}  // namespace
