// Buffered output to a file descriptor that reports every failure to write.
#include "cli/output.hpp"

#include <unistd.h>

#include <cerrno>

namespace cli {

void Output::flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      buffer_.clear();
      throw WriteError{name_, error};
    }
    done += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

}  // namespace cli
