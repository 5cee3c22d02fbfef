// Buffered output to a file descriptor, in whole rows, that reports every
// failure to write.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// A failed write: the destination's name and the system's error number.
struct WriteError {
  std::string name;
  int error;
  bool cut_row = false;  // the part of a row written could not be taken back

  // "cannot write NAME: REASON", as the user is told.
  std::string message() const;
};

class Output {
 public:
  Output(int fd, std::string name);
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // The buffer to append a row to; row_done() marks where the row ends.
  std::string& buffer() { return buffer_; }
  void row_done() {
    ends_.push_back(buffer_.size());
    if (buffer_.size() >= kSize) flush();
  }
  // Takes back the part of a row appended without row_done(): a row that
  // could not be finished, for want of memory, leaves nothing.
  void drop_unfinished() { buffer_.resize(ends_.empty() ? 0 : ends_.back()); }
  void put_row(std::string_view row) {
    buffer_.append(row);
    row_done();
  }
  // Writes every finished row; throws WriteError. A write that fails part
  // way leaves no part of a row behind in a regular file: the file is cut
  // back to the last whole row. A non-blocking descriptor is waited on.
  void flush();

 private:
  static constexpr std::size_t kSize = 1 << 16;
  bool cut_back(std::size_t written);
  int fd_;
  std::string name_;
  std::string buffer_;
  std::vector<std::size_t> ends_;  // where each row in the buffer ends
};

}  // namespace cli
