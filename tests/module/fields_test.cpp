// String utilities on host fields, through the module's exported names. Every
// field sits between guard bytes that must survive each call.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "guarded.hpp"
#include "loaded_module.hpp"
#include "module/exports.h"
#include "test_support.hpp"

namespace {

using fuzzing::GuardedField;

class Fields : public testing_support::LoadedModule {
 protected:
  host::Entry<decltype(&wzstjls)> justify = module_.function<decltype(&wzstjls)>("wzstjls");
  host::Entry<decltype(&wzstndx)> find = module_.function<decltype(&wzstndx)>("wzstndx");
  host::Entry<decltype(&wztxxlt)> translate = module_.function<decltype(&wztxxlt)>("wztxxlt");
  host::Entry<decltype(&wzstlen)> length = module_.function<decltype(&wzstlen)>("wzstlen");
};

TEST_F(Fields, Justify) {
  struct Row {
    std::string before;
    char mode;
    std::string after;
    std::int32_t trimmed, offset;
  };
  const Row rows[] = {
      {"abc       ", 'C', "   abc    ", 3, 3},
      {"abc       ", 'c', "   abc    ", 3, 3},
      {"ab   ", 'C', " ab  ", 2, 1},  // the odd spare blank stays on the right
      {"    a", 'C', "  a  ", 1, 2},
      {"          ", 'C', "          ", 0, 0},
      {"          ", 'L', "          ", 0, 0},
      {"          ", 'R', "          ", 0, 0},
      {"", 'C', "", 0, 0},
      {"abcdef", 'C', "abcdef", 6, 0},
      {"abcdef", 'L', "abcdef", 6, 0},
      {"abcdef", 'R', "abcdef", 6, 0},
      {"abcdef", 'n', "abcdef", 6, 0},
      {"  ab c  ", 'n', "  ab c  ", 4, 2},
      {"   abc", 'L', "abc   ", 3, 0},
      {"   abc  ", 'l', "abc     ", 3, 0},
      {"   abc  ", 'R', "     abc", 3, 5},
      {" a b    ", 'r', "     a b", 3, 5},
      {"  ab cd   ", 'L', "ab cd     ", 5, 0},
      {std::string("\tab\0 ", 5), 'C', std::string("\tab\0 ", 5), 4, 0},  // only 0x20 is a blank
      {"  x y   ", 'X', "  x y   ", 3, 2},
  };
  for (const Row& row : rows) {
    GuardedField f(row.before);
    std::int32_t trimmed = -9, offset = -9;
    justify(f.data(), f.size(), row.mode, &trimmed, &offset);
    EXPECT_EQ(f.field(), row.after) << "'" << row.before << "' " << row.mode;
    EXPECT_EQ(trimmed, row.trimmed) << "'" << row.before << "' " << row.mode;
    EXPECT_EQ(offset, row.offset) << "'" << row.before << "' " << row.mode;
    EXPECT_TRUE(f.guards_intact()) << "'" << row.before << "' " << row.mode;
  }
}

TEST_F(Fields, JustifyResultAddressesMayBeNull) {
  GuardedField f("  abc ");
  std::int32_t value = -9;
  justify(f.data(), f.size(), 'L', nullptr, &value);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(f.field(), "abc   ");
  justify(f.data(), f.size(), 'R', &value, nullptr);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(f.field(), "   abc");
  justify(f.data(), f.size(), 'C', nullptr, nullptr);
  EXPECT_EQ(f.field(), " abc  ");
  EXPECT_TRUE(f.guards_intact());
}

TEST_F(Fields, JustifyNegativeLengthReadsNothing) {
  std::int32_t trimmed = -9, offset = -9;
  justify(nullptr, -5, 'C', &trimmed, &offset);  // a read would fault
  EXPECT_EQ(trimmed, 0);
  EXPECT_EQ(offset, 0);
  justify(nullptr, 0, 'R', &trimmed, &offset);
  EXPECT_EQ(trimmed, 0);
}

TEST_F(Fields, Find) {
  const std::string list = " L C CORR CORRECT LJUNG CORRECTED ";
  ASSERT_EQ(list.size(), 34u);
  struct Row {
    std::string field, pattern;
    std::int32_t expected;
  };
  const Row rows[] = {
      {list, " LJUNG ", 17},
      {list, " CORR ", 4},
      {list, " COR ", -1},
      {list, " L ", 0},
      {list, " CORRECTED ", 23},
      {list, " L C ", 0},
      {list, " C CORR ", 2},
      {list, " C  CORR ", -1},
      {list, " LJUNGCV ", -1},
      {"abc", "abcd", -1},
      {"", "a", -1},
      {"", "", 0},
      {"abc", "", 0},
      {std::string("a\0b", 3), std::string("\0b", 2), 1},
      {"aaab", "aab", 1},
      {"abc", "c", 2},
      {"abc", "abc", 0},
      {"ljung", "LJUNG", -1},
  };
  for (const Row& row : rows) {
    GuardedField field(row.field), pattern(row.pattern);
    EXPECT_EQ(find(field.data(), field.size(), pattern.data(), pattern.size()), row.expected)
        << "'" << row.field << "' / '" << row.pattern << "'";
  }
}

TEST_F(Fields, FindTerminatedAndNullPatterns) {
  const char list[] = " L C CORR CORRECT LJUNG CORRECTED ";
  EXPECT_EQ(find(list, 34, "CORR", -1), find(list, 34, "CORR", 4));
  EXPECT_EQ(find(list, 34, "CORR", -1), 5);
  EXPECT_EQ(find(list, 34, nullptr, -1), 0);
  EXPECT_EQ(find(list, 34, "", -3), 0);
  EXPECT_EQ(find(list, -4, "L", 1), -1);
  EXPECT_EQ(length(nullptr), 0);
  EXPECT_EQ(length(""), 0);
  EXPECT_EQ(length("CORRECTED"), 9);
}

TEST_F(Fields, TranslateTableRoute) {
  struct Row {
    std::int32_t index;
    std::string input, output;
  };
  const Row rows[] = {
      {0, "Hello, z!", "Uryyb, m!"}, {1, "Hello, z!", "hELLO, Z!"}, {2, "ljung c", "LJUNG C"},
      {3, "LJUNG C", "ljung c"},     {4, "a\tb\x7F", "a b "},       {2, "abc", "ABC"},
  };
  for (const Row& row : rows) {
    GuardedField in(row.input), out(std::string(row.input.size(), '?'));
    EXPECT_EQ(translate(row.index, in.data(), out.data(), in.size()), 0);
    EXPECT_EQ(out.field(), row.output) << row.index;
    EXPECT_EQ(in.field(), row.input);
    EXPECT_TRUE(in.guards_intact() && out.guards_intact());

    GuardedField same(row.input);  // in place
    EXPECT_EQ(translate(row.index, same.data(), same.data(), same.size()), 0);
    EXPECT_EQ(same.field(), row.output) << row.index;
    EXPECT_TRUE(same.guards_intact());
  }
  EXPECT_TRUE(recorder_.service_calls().empty());
}

TEST_F(Fields, TranslateServiceRoute) {
  host_.set_service_route(true);
  struct Row {
    std::int32_t index;
    std::string input, output;
    std::uint64_t identity;  // 0: no service call
  };
  const Row rows[] = {
      {0, "Hello", "Uryyb", testing_support::identity(4, 7)},
      {1, "Hello", "hELLO", testing_support::identity(4, 39)},
      {2, "ljung", "LJUNG", testing_support::identity(0, 331)},
      {3, "LJUNG", "ljung", testing_support::identity(0, 330)},
      {4, "a\tb", "a b", 0},
  };
  for (const Row& row : rows) {
    recorder_.clear_records();
    GuardedField in(row.input), out(std::string(row.input.size(), '?'));
    EXPECT_EQ(translate(row.index, in.data(), out.data(), in.size()), 0);
    EXPECT_EQ(out.field(), row.output) << row.index;
    EXPECT_EQ(in.field(), row.input) << row.index;
    EXPECT_TRUE(in.guards_intact() && out.guards_intact());
    const auto calls = recorder_.service_calls();
    if (row.identity == 0) {
      EXPECT_TRUE(calls.empty()) << row.index;
      continue;
    }
    ASSERT_EQ(calls.size(), 1u) << row.index;
    EXPECT_EQ(calls[0].identity, row.identity);
    const auto out_address = reinterpret_cast<std::uintptr_t>(out.data());
    const auto size = static_cast<std::uint64_t>(in.size());
    if (row.index <= 1) {
      const std::vector<std::uint64_t> expected = {reinterpret_cast<std::uintptr_t>(in.data()),
                                                   size, out_address, size, 1};
      EXPECT_EQ(calls[0].arguments, expected);
    } else {
      EXPECT_EQ(calls[0].arguments, (std::vector<std::uint64_t>{out_address, size}));
    }
  }
}

TEST_F(Fields, TranslateRejectsBadIndexAndNegativeLength) {
  for (bool route : {false, true}) {
    host_.set_service_route(route);
    recorder_.clear_records();
    for (std::int32_t index : {-1, 5, INT32_MIN, INT32_MAX}) {
      GuardedField f("abc");
      EXPECT_EQ(translate(index, f.data(), f.data(), f.size()), -2147475446) << index;
      EXPECT_EQ(f.field(), "abc");
    }
    for (std::int32_t index = 0; index <= 4; ++index) {
      EXPECT_EQ(translate(index, nullptr, nullptr, -1), 0);  // a read would fault
      GuardedField f("abc");
      EXPECT_EQ(translate(index, f.data(), f.data(), 0), 0);
      EXPECT_EQ(f.field(), "abc");
    }
    // Length 0 through a service still asks the service, with length 0.
    const auto calls = recorder_.service_calls();
    EXPECT_EQ(calls.size(), route ? 4u : 0u);
  }
}

TEST_F(Fields, MissingRouteRecordMeansTableRoute) {
  host_.set_service_route(true);
  host_.set_route_record_present(false);
  GuardedField f("ab");
  EXPECT_EQ(translate(2, f.data(), f.data(), f.size()), 0);
  EXPECT_EQ(f.field(), "AB");
  EXPECT_TRUE(recorder_.service_calls().empty());
}

// A terminated string of 2^31 'x' bytes: one 1 MiB page set mapped 2048 times,
// then zero pages. Nothing of it is committed beyond those 1 MiB.
class HugeString {
 public:
  static constexpr std::size_t kPiece = std::size_t{1} << 20, kLength = std::size_t{1} << 31;
  HugeString() {
    base_ = static_cast<char*>(mmap(nullptr, kLength + kPiece, PROT_READ,
                                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
    const int fd = memfd_create("huge-string", 0);
    if (base_ == MAP_FAILED || fd < 0 || ftruncate(fd, kPiece) != 0) std::abort();
    void* piece = mmap(nullptr, kPiece, PROT_WRITE, MAP_SHARED, fd, 0);
    std::memset(piece, 'x', kPiece);
    munmap(piece, kPiece);
    for (std::size_t at = 0; at < kLength; at += kPiece) {
      if (mmap(base_ + at, kPiece, PROT_READ, MAP_SHARED | MAP_FIXED, fd, 0) == MAP_FAILED) {
        std::abort();
      }
    }
    close(fd);
  }
  ~HugeString() { munmap(base_, kLength + kPiece); }
  const char* data() const { return base_; }

 private:
  char* base_;
};

TEST_F(Fields, InputAHostShouldNeverSend) {
  const HugeString huge;
  EXPECT_EQ(length(huge.data()), 2147483647);  // saturates instead of wrapping
  // A terminated pattern longer than the field: -1, no byte past either read.
  fuzzing::GuardedBytes field(7, fuzzing::GuardedBytes::Edge::kEnd);
  std::memcpy(field.data(), "xxxxxxx", 7);
  EXPECT_EQ(find(field.data(), 7, huge.data(), -1), -1);
  fuzzing::GuardedBytes pattern(9, fuzzing::GuardedBytes::Edge::kEnd);
  std::memcpy(pattern.data(), "xxxxxxxx", 9);
  EXPECT_EQ(find(field.data(), 7, pattern.data(), -1), -1);
  EXPECT_EQ(find(field.data(), 7, pattern.data() + 1, -1), 0);
  // A given pattern longer than the field is decided by the lengths alone: no
  // byte of the pattern (here none is readable) or of the field is read.
  fuzzing::GuardedBytes short_field(3, fuzzing::GuardedBytes::Edge::kEnd);
  fuzzing::GuardedBytes unreadable(0, fuzzing::GuardedBytes::Edge::kEnd);
  for (std::int32_t m : {4, 2147483647}) {
    EXPECT_EQ(find(short_field.data(), 3, unreadable.data(), m), -1) << m;
    EXPECT_EQ(find(unreadable.data(), 0, unreadable.data(), m), -1) << m;
  }

  // Length 0 with null buffers: nothing read or written, the service still called.
  host_.set_service_route(true);
  for (std::int32_t index : {2, 3}) EXPECT_EQ(translate(index, nullptr, nullptr, 0), 0);
  EXPECT_EQ(recorder_.service_count(module::gcb::kUpperCase), 1u);
  EXPECT_EQ(recorder_.service_count(module::gcb::kLowerCase), 1u);

  // lassol_ with lda below the order: singular, a never read (null here), x untouched.
  auto lassol = module_.function<decltype(&lassol_)>("lassol_");
  for (std::int64_t lda : {2, 0, -3}) {
    std::int64_t n = 3, ifault = 0;
    double b[3] = {1, 2, 3}, x[3] = {7, 7, 7};
    lassol(&n, nullptr, b, &lda, x, &ifault);
    EXPECT_EQ(ifault, 2) << lda;
    EXPECT_EQ(x[0] + x[1] + x[2], 21.0) << lda;
  }
}

}  // namespace
