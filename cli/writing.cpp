// What ljungcv writes.
#include "cli/writing.hpp"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "cli/numbers.hpp"

namespace cli {
namespace {

// What a byte asks of a field: bit 0, to be spelled (\xNN, or a quote
// doubled); bit 1, quotes about the field.
constexpr auto kNeeds = [] {
  std::array<unsigned char, 256> needs{};
  for (int c = 0; c < 0x20; ++c) needs[c] = 1;
  needs[0x7F] = 1, needs[','] = 2, needs['"'] = 3;
  return needs;
}();

// Text with its control bytes spelled \xNN, and its quotes doubled if asked.
void append_spelled(std::string& out, std::string_view text, bool double_quotes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::size_t start = 0;  // the run not yet appended
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (kNeeds[byte] != 1 && !(byte == '"' && double_quotes)) continue;
    out.append(text, start, i - start);
    if (byte == '"') {
      out += "\"\"";
    } else {
      out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    }
    start = i + 1;
  }
  out.append(text, start);
}

void pad(std::string& row, std::string_view text, std::size_t width, bool right) {
  const std::size_t fill = text.size() < width ? width - text.size() : 0;
  if (right) row.append(fill, ' ');
  row += text;
  if (!right) row.append(fill, ' ');
}

}  // namespace

std::string printable(std::string_view text) {
  std::string out;
  append_spelled(out, text, false);
  return out;
}

void append_field(std::string& out, std::string_view text) {
  unsigned char need = 0;
  for (const char c : text) need |= kNeeds[static_cast<unsigned char>(c)];
  const bool quoted = need & 2 || (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (quoted) out += '"';
  if (need & 1) {
    append_spelled(out, text, true);
  } else {
    out += text;  // nothing to spell: most fields, and the sentences
  }
  if (quoted) out += '"';
}

std::string_view status_word(const host::Evaluation& e) {
  if (e.is(module::Status::kSuccess)) return "ok";
  if (e.is(module::Status::kMissingResult)) return "missing";
  return e.is(module::Status::kInvalidArgument) ? "rejected" : "unknown";
}

void append_echo(std::string& row, std::string_view n, std::string_view alpha,
                 const std::optional<std::string_view>& method, bool numbers) {
  for (const std::string_view number : {n, alpha}) {
    if (numbers) row += number;  // as it is
    if (!numbers) append_field(row, number);
    row += ',';
  }
  if (method && method->empty()) row += "\"\"";  // given, but empty
  if (method) append_field(row, *method);
  row += ',';
}

void append_result(std::string& row, const host::Evaluation& e, std::optional<int> digits,
                   std::string_view message, std::optional<double> level) {
  if (e.is(module::Status::kSuccess)) append_value(row, e.value, digits);
  row += ',';
  if (level && !std::isnan(*level)) append_value(row, *level);
  if (level) row += ',';
  row += status_word(e);
  row += ',';
  if (!message.empty()) append_field(row, message);
  row += '\n';
}

void append_text_row(std::string& row, std::string_view n, std::string_view alpha,
                     std::string_view method, std::string_view value, std::string_view status,
                     std::string_view reason, std::string_view level) {
  pad(row, n, 12, true);
  row += ' ';
  pad(row, alpha, 10, true);
  row += ' ';
  pad(row, method, 9, false);
  row += ' ';
  pad(row, value, 20, true);
  if (!level.empty()) pad(row += ' ', level, 22, true);
  row += "  ";
  pad(row, status, reason.empty() ? 0 : 10, false);
  row += printable(reason);
  row += '\n';
}

std::string WriteError::message() const {
  return "cannot write " + name + ": " + std::strerror(error) +
         (cut_row ? "; the last row written is incomplete" : "");
}

void Output::flush() {
  for (std::size_t done = 0; done < whole_;) {
    const ssize_t n = write(fd_, buffer_.data() + done, whole_ - done);
    if (n >= 0) {
      done += static_cast<std::size_t>(n);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{fd_, POLLOUT, 0};
      poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      // The bytes written after the last whole row are taken back from a regular file.
      const int error = errno;
      const void* last = memrchr(buffer_.data(), '\n', done);
      const auto cut = static_cast<off_t>(
          last ? buffer_.data() + done - static_cast<const char*>(last) - 1 : done);
      struct stat file {};
      const off_t at =
          fstat(fd_, &file) == 0 && S_ISREG(file.st_mode) ? lseek(fd_, 0, SEEK_CUR) : -1;
      const bool whole_rows = cut == 0 || (at >= 0 && ftruncate(fd_, at - cut) == 0);
      buffer_.clear();
      whole_ = 0;
      throw WriteError{name_, error, !whole_rows};
    }
  }
  buffer_.erase(0, whole_);
  whole_ = 0;
}

}  // namespace cli
