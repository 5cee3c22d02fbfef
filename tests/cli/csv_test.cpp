// ljungcv's CSV reader: its whole-line fast path reads every input as the
// byte-by-byte machine does, and a row cut short by memory goes on unchanged.
#include "cli/csv.hpp"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {
thread_local long allocations_left = -1;  // the allocation that fails; -1: none
}

void* operator new(std::size_t size) {
  if (allocations_left >= 0 && allocations_left-- == 0) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

using Row = cli::CsvReader::Row;

// A row as text; a plain row's fields must need no quotes or escapes.
std::string describe(const Row& r) {
  std::string s = std::to_string(r.count) + " fields, lines " + std::to_string(r.line) + "-" +
                  std::to_string(r.last_line) + (r.too_long ? " too long" : "") +
                  (r.unclosed ? " unclosed at " + std::to_string(r.quote_line) : "");
  std::string joined;  // what a verbatim row's text must be
  for (std::size_t i = 0; i < cli::CsvReader::kMaxFields; ++i) {
    const std::string f(r.field(i));
    const bool plain = f.find_first_of(std::string(",\"\x7F\0\x01\t\n\r", 8)) == f.npos;
    s += " [" + f + (r.plain && !plain ? "] (not plain)" : "]");
    if (i < r.count) joined += (i > 0 ? "," : "") + f;
  }
  if (r.verbatim) {  // its line as it stands is its fields and commas
    const std::size_t last = r.count - 1;
    const std::string_view line(r.text->data() + r.start[0],
                                r.start[last] + r.size[last] - r.start[0]);
    if (!r.plain || line != joined) s += " (not verbatim)";
  }
  return s;
}

// Every row of the input, fed in reads of `chunk` bytes (a packet socket
// gives each write to one read), with the failing allocation given.
std::vector<std::string> rows_of(const std::string& input, std::size_t chunk, long fail_at = -1) {
  int fds[2];
  EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
  for (std::size_t at = 0; at < input.size(); at += chunk)
    EXPECT_GT(write(fds[1], input.data() + at, std::min(chunk, input.size() - at)), 0);
  close(fds[1]);
  std::vector<std::string> rows;
  {
    cli::CsvReader reader(fds[0], "input", 24);
    Row row;
    std::string text;
    for (bool more = true; more;) {
      allocations_left = fail_at;  // counting only the reader's allocations
      try {
        more = reader.next(row, text);
      } catch (const std::bad_alloc&) {  // the same row again, memory had
        fail_at = -1;
        continue;
      }
      fail_at = allocations_left;
      allocations_left = -1;
      if (more) rows.push_back(describe(row));
      if (rows.size() % 2 == 0) text.clear();  // rows after rows, and rows alone
    }
  }
  close(fds[0]);
  return rows;
}

TEST(CsvReader, WholeLinesAndByteByByteAndCutShortAgree) {
  // Bytes that steer the parser, and a run long enough to leave the short
  // string's buffer and pass the 24-byte limit.
  const std::vector<std::string> pieces = {"1",
                                           "0.05",
                                           " ",
                                           "\t",
                                           ",",
                                           "\"",
                                           "\r",
                                           "\r\n",
                                           "\n",
                                           "x",
                                           "\x01",
                                           ",,,",
                                           std::string(20, 'a')};
  std::mt19937 random(20261209);
  for (int round = 0; round < 1500; ++round) {
    std::string input;
    for (int i = std::uniform_int_distribution(0, 14)(random); i > 0; --i)
      input += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    const std::vector<std::string> bytewise = rows_of(input, 1);
    for (const auto& [chunk, fail_at] : {std::pair<std::size_t, long>{input.size() + 1, -1},
                                         {1 + round % 7, -1},
                                         {input.size() + 1, round % 9},
                                         {1, round % 9}}) {
      ASSERT_EQ(rows_of(input, chunk, fail_at), bytewise)
          << "input: " << input << ", reads of " << chunk << ", allocation " << fail_at
          << " failing";
    }
  }
}

}  // namespace
