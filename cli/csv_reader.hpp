// Rows of a CSV stream (RFC 4180), split and unquoted in the one pass that
// finds each row's end, so that memory stays bounded: a leading UTF-8 byte-
// order mark dropped, in however many pieces; CR LF, LF or CR end a line;
// blank lines skipped; unquoted fields trimmed of blanks and tabs; "" inside
// quotes one quote, a line end inside quotes kept byte for byte, text after a
// closing quote kept. A row over the limit, and a quote never closed, are
// reported as such, their fields not held.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// A failed read: the source's name and the system's error number.
struct ReadError {
  std::string name;
  int error;
};

class CsvReader {
 public:
  static constexpr std::size_t kKept = 3;  // fields kept of each row; the rest are counted

  struct Row {
    std::array<std::string_view, kKept> fields;  // as read, until the next row; empty past count
    std::size_t count = 0;                       // fields in the row
    std::uint64_t line = 0, last_line = 0;       // where it begins and ends, from 1
    bool too_long = false;                       // longer than the limit: no field kept
    std::uint64_t unclosed = 0;  // the line of a quote never closed (no field kept), or 0
  };

  // before_read is called before each read, which may wait for input.
  CsvReader(int fd, std::string name, std::size_t max_row, std::function<void()> before_read);
  // The next row; false at the end of the input. Throws ReadError.
  bool next(Row& row);

 private:
  enum class State { kFieldStart, kUnquoted, kQuoted, kAfterQuote };
  bool fill(Row& row);
  void start_row(Row& row);
  void take(Row& row, std::string_view bytes, bool kept, bool quoted = false);
  void end_field(Row& row);

  int fd_;
  std::string name_;
  std::size_t max_row_;
  std::function<void()> before_read_;
  std::vector<char> block_ = std::vector<char>(1 << 16);  // bytes read at once
  std::string_view bytes_;                                // of the block, not yet taken
  // A field is its bytes in the block where it is one piece of it, else a copy.
  std::array<std::string, kKept> copies_;
  bool started_ = false, ended_ = false;
  bool after_cr_ = false;  // the last byte was a CR: an LF now ends no further line
  std::uint64_t line_ = 1, quote_line_ = 0;
  State state_ = State::kFieldStart;
  std::size_t row_bytes_ = 0;  // of the row so far, line ends included
  std::size_t kept_ = 0;       // of the current field, that its trailing blanks do not cut
  bool content_ = false;       // the row holds more than blanks
};

}  // namespace cli
