// Buffered output to a file descriptor that reports every failure to write.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// A failed write: the destination's name and the system's error number.
struct WriteError {
  std::string name;
  int error;
};

class Output {
 public:
  Output(int fd, std::string name) : fd_(fd), name_(std::move(name)) { buffer_.reserve(kSize); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // The buffer to append to; written out once it holds kSize bytes.
  std::string& buffer() { return buffer_; }
  void put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kSize) flush();
  }
  void line_done() {
    if (buffer_.size() >= kSize) flush();
  }
  // Writes everything buffered; throws WriteError.
  void flush();

 private:
  static constexpr std::size_t kSize = 1 << 16;
  int fd_;
  std::string name_;
  std::string buffer_;
};

}  // namespace cli
