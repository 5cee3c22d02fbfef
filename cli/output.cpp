// Buffered output to a file descriptor, in whole rows.
#include "cli/output.hpp"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace cli {

std::string WriteError::message() const {
  return "cannot write " + name + ": " + std::strerror(error) +
         (cut_row ? "; the last row written is incomplete" : "");
}

Output::Output(int fd, std::string name) : fd_(fd), name_(std::move(name)) {
  buffer_.reserve(2 * kSize);
}

void Output::flush() {
  const std::size_t whole = ends_.empty() ? 0 : ends_.back();  // never an unfinished row
  std::size_t done = 0;
  while (done < whole) {
    const ssize_t n = write(fd_, buffer_.data() + done, whole - done);
    if (n >= 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{fd_, POLLOUT, 0};
      poll(&ready, 1, -1);
      continue;
    }
    const int error = errno;
    const bool whole_rows = cut_back(done);
    buffer_.clear();
    ends_.clear();
    throw WriteError{name_, error, !whole_rows};
  }
  buffer_.erase(0, whole);
  ends_.clear();
}

// The rows written before a failure end where the last whole one does; in a
// regular file the bytes of the cut row after it are taken back. False when
// part of a row stays written.
bool Output::cut_back(std::size_t written) {
  const auto last = std::upper_bound(ends_.begin(), ends_.end(), written);
  const std::size_t whole = last == ends_.begin() ? 0 : *(last - 1);
  if (written == whole) return true;
  struct stat file {};
  if (fstat(fd_, &file) != 0 || !S_ISREG(file.st_mode)) return false;
  const off_t at = lseek(fd_, 0, SEEK_CUR);
  return at >= 0 && ftruncate(fd_, at - static_cast<off_t>(written - whole)) == 0;
}

}  // namespace cli
