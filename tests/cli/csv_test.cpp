// ljungcv's CSV: rows read as written, whatever pieces the input comes in,
// and a field written by the writer reads back as the field.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli/csv_reader.hpp"
#include "cli/writing.hpp"

namespace {

using Row = cli::CsvReader::Row;

// A row as "lines A-B: [f0] [f1] ... (N fields)", or what kept it from being read.
std::string describe(const Row& r) {
  std::string s = "lines " + std::to_string(r.line) + "-" + std::to_string(r.last_line) + ":";
  if (r.too_long) return s + " too long";
  if (r.unclosed) return s + " unclosed at " + std::to_string(r.unclosed);
  for (std::size_t i = 0; i < std::min(r.count, cli::CsvReader::kKept); ++i)
    s += " [" + std::string(r.fields[i]) + "]";
  return s + " (" + std::to_string(r.count) + ")";
}

// Every row of the input, fed in reads of `chunk` bytes (a packet socket
// gives each write to one read), rows limited to max_row bytes.
std::vector<std::string> rows_of(const std::string& input, std::size_t chunk,
                                 std::size_t max_row = 24) {
  int fds[2];
  EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
  std::thread writer([&] {
    for (std::size_t at = 0; at < input.size(); at += chunk)
      EXPECT_GT(write(fds[1], input.data() + at, std::min(chunk, input.size() - at)), 0);
    close(fds[1]);
  });
  std::vector<std::string> rows;
  int reads = 0;
  cli::CsvReader reader(fds[0], "input", max_row, [&] { ++reads; });
  Row row;
  while (reader.next(row)) rows.push_back(describe(row));
  writer.join();
  close(fds[0]);
  EXPECT_GE(reads, 1);
  return rows;
}

TEST(CsvReader, RowsAsWrittenInAnyPieces) {
  const std::string mark = "\xEF\xBB\xBF";
  struct Case {
    std::string input;
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {mark, {}},
      {mark + "\n \t\n", {}},
      {mark + "n,alpha\n", {"lines 1-1: [n] [alpha] (2)"}},
      {"\xEF\xBBx,1\n", {"lines 1-1: [\xEF\xBBx] [1] (2)"}},  // a mark's start is no mark
      {"10,0.05", {"lines 1-1: [10] [0.05] (2)"}},
      {"a\r\nb\rc\n\r\nd",
       {"lines 1-1: [a] (1)", "lines 2-2: [b] (1)", "lines 3-3: [c] (1)", "lines 5-5: [d] (1)"}},
      {" 1 ,\t2\t, \" x \" \n", {"lines 1-1: [1] [2] [ x ] (3)"}},
      {"\"a\"\"b\",\"c,d\"\n", {"lines 1-1: [a\"b] [c,d] (2)"}},
      {"\"100\"x ,\"a\" b \n", {"lines 1-1: [100x] [a b] (2)"}},
      {"a\"b,c\n", {"lines 1-1: [a\"b] [c] (2)"}},  // a quote inside unquoted text is text
      {"1,2,\n", {"lines 1-1: [1] [2] [] (3)"}},
      {"1,2,3,4,5\n", {"lines 1-1: [1] [2] [3] (5)"}},
      // Line ends inside quotes are the field's, byte for byte, and count as lines.
      {"1,\"L\r\nC\"\n2\n", {"lines 1-2: [1] [L\r\nC] (2)", "lines 3-3: [2] (1)"}},
      {"1,\"a\nb\rc\"\n", {"lines 1-3: [1] [a\nb\rc] (2)"}},
      {"1,2\n3,\"x\n4,5\n", {"lines 1-1: [1] [2] (2)", "lines 2-3: unclosed at 2"}},
      // The limit counts the line end: 24 bytes pass, 25 do not.
      {std::string(23, 'a') + "\n1\n",
       {"lines 1-1: [" + std::string(23, 'a') + "] (1)", "lines 2-2: [1] (1)"}},
      {std::string(24, 'a') + "\n1\n", {"lines 1-1: too long", "lines 2-2: [1] (1)"}},
      {"\"" + std::string(30, 'a') + "\n\"\n1", {"lines 1-2: too long", "lines 3-3: [1] (1)"}},
  };
  for (const Case& c : cases) {
    for (std::size_t chunk : {c.input.size() + 1, std::size_t{1}, std::size_t{2}, std::size_t{3}})
      EXPECT_EQ(rows_of(c.input, chunk), c.rows) << "input: " << c.input << ", reads of " << chunk;
  }
}

// A long row is skipped without growing its fields past the limit.
TEST(CsvReader, LongRowsHoldNothing) {
  const std::string input = "1," + std::string(1 << 20, 'x') + "\n2,3\n";
  EXPECT_EQ(rows_of(input, 1 << 16, 1 << 16),
            (std::vector<std::string>{"lines 1-1: too long", "lines 2-2: [2] [3] (2)"}));
}

// Quotes wherever reading would split, trim or unquote the field.
TEST(CsvWriter, FieldsReadBackAsWritten) {
  const std::vector<std::string> pieces = {"a",  " ",  "\t",   ",",    "\"",
                                           "\n", "\r", "\x7F", "\x01", "\xC3\xA9"};
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::string field;
    for (int i = std::uniform_int_distribution(0, 9)(random); i > 0; --i)
      field += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    std::string line = "x,";  // not first, so that an empty field is no blank line
    cli::append_field(line, field);
    line += '\n';
    const std::string want = "lines 1-1: [x] [" + cli::printable(field) + "] (2)";
    ASSERT_EQ(rows_of(line, line.size(), 1 << 16), std::vector<std::string>{want})
        << "written as " << line;
  }
}

}  // namespace
