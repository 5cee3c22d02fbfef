// What ljungcv writes: rows n,alpha,method,value,status,message as CSV or as
// aligned text, control bytes spelled \xNN as the library's sentences spell
// them, and output in whole rows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/module.hpp"

namespace cli {

inline constexpr char kCsvHeader[] = "n,alpha,method,value,status,message\n";
inline constexpr char kCsvLevelHeader[] = "n,alpha,method,value,level,status,message\n";

std::string printable(std::string_view text);
// A CSV field, printable, quoted where it holds a comma or a quote or begins
// or ends with a blank, each quote inside doubled: it reads back as written.
void append_field(std::string& out, std::string_view text);
// "ok", "missing" or "rejected" ("unknown" for another status).
std::string_view status_word(const host::Evaluation& e);

// A CSV row's n, alpha and method as given (an empty method ""); n and alpha
// are written as fields only where they may not be numbers.
void append_echo(std::string& row, std::string_view n, std::string_view alpha,
                 const std::optional<std::string_view>& method, bool numbers = true);
// The rest of a CSV row: value,[level,]status,message and the line end; a
// NaN level is an empty field.
void append_result(std::string& row, const host::Evaluation& e, std::optional<int> digits,
                   std::string_view message, std::optional<double> level = {});
// An aligned text row: n, alpha, value and a level (if not "") right-aligned,
// the method left-aligned, the status and why there is no value; a wider
// text widens its column.
void append_text_row(std::string& row, std::string_view n, std::string_view alpha,
                     std::string_view method, std::string_view value, std::string_view status,
                     std::string_view reason = {}, std::string_view level = {});

struct WriteError {
  std::string name;
  int error;
  bool cut_row = false;         // the part of a row written could not be taken back
  std::string message() const;  // "cannot write NAME: REASON"
};

// Rows appended to buffer(), each marked whole by row_done(), go out in 64 KiB
// writes of whole rows.
class Output {
 public:
  Output(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
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
