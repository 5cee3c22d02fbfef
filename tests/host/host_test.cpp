// The stand-in host models one host per process, keeps its service log
// bounded, and refuses what does not fit the host's records.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "host/module.hpp"
#include "host/recorder.hpp"

namespace {

TEST(Host, OneLiveHostPerProcess) {
  auto first = std::make_unique<host::Host>();
  host::Module module(*first, KORVALEN_MODULE_PATH);
  EXPECT_THROW(host::Host second, std::logic_error);
  EXPECT_EQ(module.evaluate(100, 0.05).status, 0);  // the refused Host changed nothing

  // Entries taken while the host lived, called once it is gone.
  const auto entry = module.implementation();
  const auto translate =
      module.function<std::int32_t (*)(std::int32_t, const char*, char*, std::int32_t)>("wztxxlt");
  first.reset();  // the module's host is gone: an error, never a read of freed memory
  EXPECT_THROW(module.evaluate(100, 0.05), std::logic_error);
  double result = 0;
  EXPECT_THROW(entry(nullptr, &result), std::logic_error);
  char text[] = "l";
  EXPECT_THROW(translate(2, text, text, 1), std::logic_error);
  EXPECT_THROW(module.version_block(), std::logic_error);
  host::Host third;  // a new host, even at the same address, is not the module's
  EXPECT_THROW(module.evaluate(100, 0.05), std::logic_error);
  auto again = std::make_unique<host::Module>(third, KORVALEN_MODULE_PATH);
  EXPECT_EQ(again->evaluate(100, 0.05).status, 0);
  const auto outlived = again->implementation();
  again.reset();  // unloaded: its entries refuse instead of jumping into unmapped code
  EXPECT_THROW(outlived(nullptr, &result), std::logic_error);
}

TEST(Host, ServiceLogStaysBoundedAndCounts) {
  host::Host host;
  testing_support::Recorder recorder(host);
  host.set_service_route(true);
  host::Module module(host, KORVALEN_MODULE_PATH);
#ifdef KORVALEN_SANITIZED
  constexpr std::uint64_t kCalls = 100000;
#else
  constexpr std::uint64_t kCalls = 1000000;
#endif
  for (std::uint64_t i = 0; i < kCalls; ++i) {
    ASSERT_EQ(module.evaluate(100, 0.05, "ljung").status, 0);
  }
  EXPECT_EQ(recorder.service_count(module::gcb::kUpperCase), kCalls);
  const auto calls = recorder.service_calls();
  ASSERT_EQ(calls.size(), testing_support::Recorder::kKeptCalls);
  EXPECT_EQ(calls.back().output, "LJUNG");
}

TEST(Host, MethodLongerThanADescriptorLengthIsAnError) {
  host::Host host;
  host::Module module(host, KORVALEN_MODULE_PATH);
  // "L" and 2^32 more bytes would be narrowed to "L". Reserved, not committed.
  const std::size_t size = (std::size_t{1} << 32) + 1;
  void* bytes = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(bytes, MAP_FAILED);
  static_cast<char*>(bytes)[0] = 'L';
  EXPECT_THROW(module.evaluate(100, 0.05, std::string_view(static_cast<char*>(bytes), size)),
               std::length_error);
  munmap(bytes, size);
}

}  // namespace
