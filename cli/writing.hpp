// What ljungcv writes: rows n,alpha,method,value,status,message as CSV or as
// aligned text, their bytes spelled for a reader, and output in whole rows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/module.hpp"

namespace cli {

inline constexpr char kCsvHeader[] = "n,alpha,method,value,status,message\n";

// Text with each control byte (below 0x20, and 0x7F) spelled \xNN, as the
// library's sentences quote them.
std::string printable(std::string_view text);
// A CSV field, printable, quoted where it holds a comma or a quote or begins
// or ends with a blank, each quote inside doubled: it reads back as written.
void append_field(std::string& out, std::string_view text);
// "ok", "missing" or "rejected" ("unknown" for another status).
std::string_view status_word(const host::Evaluation& e);

// A CSV row's fields n, alpha and the method as given (an empty one ""). Text
// that reads as a number needs no quotes: n and alpha are fields only where
// they may not be numbers.
void append_echo(std::string& row, std::string_view n, std::string_view alpha,
                 const std::optional<std::string_view>& method, bool numbers = true);
// The rest of a CSV row: value,status,message and the line end.
void append_result(std::string& row, const host::Evaluation& e, std::optional<int> digits,
                   std::string_view message);
// An aligned text row: n, alpha and value right-aligned, the method left-
// aligned, the status and why there is no value; a wider text widens its column.
void append_text_row(std::string& row, std::string_view n, std::string_view alpha,
                     std::string_view method, std::string_view value, std::string_view status,
                     std::string_view reason = {});

// A failed write: the destination's name and the system's error number.
struct WriteError {
  std::string name;
  int error;
  bool cut_row = false;         // the part of a row written could not be taken back
  std::string message() const;  // "cannot write NAME: REASON"
};

// Rows end with their line end and hold no other, their control bytes spelled.
class Output {
 public:
  Output(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  // The buffer to append a row to; row_done() once it is whole.
  std::string& buffer() { return buffer_; }
  void row_done() {
    if ((whole_ = buffer_.size()) >= 1 << 16) flush();
  }
  void put_row(std::string_view row) {
    buffer_ += row;
    row_done();
  }
  // Writes the whole rows, waiting on a full non-blocking descriptor; throws
  // WriteError, a regular file cut back to the last whole row.
  void flush();

 private:
  int fd_;
  std::string name_, buffer_;
  std::size_t whole_ = 0;  // the rows done end here
};

}  // namespace cli
