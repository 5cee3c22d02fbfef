// ljungcv's CSV writer: a field written and read back is the field, its
// control bytes spelled \xNN.
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "cli/csv.hpp"

namespace {

// The second field of the one row in text.
std::string second_field(const std::string& text) {
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  EXPECT_EQ(write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fds[1]);
  cli::CsvReader reader(fds[0], "input", 1 << 16);
  cli::CsvReader::Row row;
  std::string fields;
  std::string second = "(no row)";
  if (reader.next(row, fields))
    second = row.count == 2 ? std::string(row.field(1)) : "(not two fields)";
  if (reader.next(row, fields)) second = "(more rows)";
  close(fds[0]);
  return second;
}

// Quotes wherever reading would split, trim or unquote the field; bytes
// that matter fall on every place in the words the writer scans.
TEST(CsvWriter, FieldsReadBackAsWritten) {
  const std::vector<std::string> pieces = {
      "a", " ", "\t", ",", "\"", "\n", "\r", "\x7F", "\x01", "\xC3\xA9", std::string(9, 'b')};
  std::mt19937 random(20261210);
  for (int round = 0; round < 3000; ++round) {
    std::string field;
    for (int i = std::uniform_int_distribution(0, 9)(random); i > 0; --i)
      field += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    std::string line = "x,";  // not first, so that an empty field is no blank line
    cli::append_field(line, field);
    line += '\n';
    ASSERT_EQ(second_field(line), cli::printable(field)) << "written as " << line;
  }
}

}  // namespace
