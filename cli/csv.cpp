// CSV in and out. The reader finds row boundaries itself (a line end outside
// quotes), so that it can bound a row's length and skip an over-long row
// without holding it, then hands each row to libcsv to split and unquote.
// Writing a field needs no parser: quotes around it, each quote doubled.
#include "cli/csv.hpp"

#include <unistd.h>

#include <cerrno>
#include <new>

namespace cli {

void append_printable(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
      continue;
    }
    const char escape[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    out.append(escape, sizeof escape);
  }
}

std::string printable(std::string_view text) {
  std::string out;
  append_printable(out, text);
  return out;
}

void append_field(std::string& out, std::string_view text) {
  const bool quote = !text.empty() && (text.front() == ' ' || text.back() == ' ' ||
                                       text.find_first_of(",\"") != std::string_view::npos);
  if (!quote) {
    append_printable(out, text);
    return;
  }
  // Quoted, each quote doubled: the field reads back as it was written.
  out += '"';
  for (std::size_t at = 0;;) {
    const std::size_t q = text.find('"', at);
    append_printable(out, text.substr(at, q - at));
    if (q == std::string_view::npos) break;
    out += "\"\"";
    at = q + 1;
  }
  out += '"';
}

CsvReader::CsvReader(int fd, std::string name, std::size_t max_row)
    : fd_(fd), name_(std::move(name)), max_row_(max_row) {
  if (csv_init(&parser_, 0) != 0) throw std::bad_alloc();
  block_.resize(1 << 16);
  block_.resize(0);
}

CsvReader::~CsvReader() {
  csv_free(&parser_);
}

bool CsvReader::fill() {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  block_.resize(1 << 16);
  std::size_t size = 0;
  for (;;) {
    const ssize_t n = read(fd_, block_.data() + size, block_.size() - size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw ReadError{name_, errno};
    size += static_cast<std::size_t>(n);
    // A byte-order mark may come in more than one read.
    if (!started_ && n > 0 && size < kByteOrderMark.size() &&
        kByteOrderMark.starts_with(std::string_view(block_.data(), size))) {
      continue;
    }
    break;
  }
  block_.resize(size);
  at_ = 0;
  if (!started_ && block_.starts_with(kByteOrderMark)) at_ = kByteOrderMark.size();
  started_ = true;
  return size > 0;
}

void CsvReader::on_field(void* data, std::size_t size, void* self) {
  Row& row = *static_cast<CsvReader*>(self)->current_;
  if (row.count < kMaxFields) row.fields[row.count].assign(static_cast<const char*>(data), size);
  ++row.count;
}

void CsvReader::on_row(int, void*) {}

void CsvReader::finish_row(Row& row) {
  current_ = &row;
  csv_parse(&parser_, row_.data(), row_.size(), on_field, on_row, this);
  csv_fini(&parser_, on_field, on_row, this);
}

// CR, LF and CRLF each end one line.
void CsvReader::count_line(char c) {
  if (c == '\r' || (c == '\n' && !after_cr_)) ++line_;
  after_cr_ = c == '\r';
}

bool CsvReader::next(Row& row) {
  if (cut_short_) throw std::bad_alloc();
  cut_short_ = true;
  const bool got = read_row(row);
  cut_short_ = false;
  return got;
}

bool CsvReader::read_row(Row& row) {
  constexpr std::size_t kKeptCapacity = 4096;  // a long row's storage is not kept for the next
  row.count = 0;
  row.too_long = false;
  row.unclosed = false;
  for (std::string& field : row.fields) {
    if (field.capacity() > kKeptCapacity) std::string().swap(field);
  }
  if (row_.capacity() > 4 * max_row_) std::string().swap(row_);
  row_.clear();
  std::uint64_t first_line = line_;
  for (;;) {
    if (at_ == block_.size()) {
      if (end_ || !fill()) {
        end_ = true;
        const bool open_quote = state_ == State::kQuoted;
        state_ = State::kFieldStart;
        row.line = first_line;
        row.last_line = last_byte_line_;
        if (open_quote) {
          row.unclosed = true;
          row.quote_line = quote_line_;
          return true;
        }
        if (row.too_long) return true;
        if (row_.empty()) return false;
        finish_row(row);
        return row.count > 0;  // blanks only: no row
      }
    }
    const char* const bytes = block_.data();
    const std::size_t size = block_.size();
    if (row_.empty() && !row.too_long && state_ == State::kFieldStart) {
      if (after_cr_ && bytes[at_] == '\n') {  // the rest of a CRLF split across reads
        ++at_;
        after_cr_ = false;
        continue;
      }
      // The common row: no quote and no lone CR up to its LF, wholly in the
      // block. libcsv splits it where it lies.
      std::size_t k = at_;
      while (k < size && bytes[k] != '\n' && bytes[k] != '"' && bytes[k] != '\r') ++k;
      const std::size_t end =
          k < size && bytes[k] == '\r' && k + 1 < size && bytes[k + 1] == '\n' ? k + 1 : k;
      if (end < size && bytes[end] == '\n' && end - at_ < max_row_) {
        row.line = row.last_line = last_byte_line_ = first_line;
        ++line_;
        after_cr_ = false;
        current_ = &row;
        csv_parse(&parser_, bytes + at_, end + 1 - at_, on_field, on_row, this);
        csv_fini(&parser_, on_field, on_row, this);
        at_ = end + 1;
        if (row.count > 0) return true;
        first_line = line_;  // a blank line
        continue;
      }
    }
    std::size_t k = at_;
    bool row_end = false;
    for (; k < size && !row_end; ++k) {
      const char c = bytes[k];
      last_byte_line_ = line_;
      count_line(c);
      switch (state_) {
        case State::kFieldStart:
          if (c == '"') {
            state_ = State::kQuoted;
            quote_line_ = last_byte_line_;
          } else if (c == '\n' || c == '\r') {
            row_end = true;
          } else if (c != ',' && c != ' ' && c != '\t') {
            state_ = State::kUnquoted;
          }
          break;
        case State::kUnquoted:
          if (c == ',') {
            state_ = State::kFieldStart;
          } else if (c == '\n' || c == '\r') {
            row_end = true;
          }
          break;
        case State::kQuoted:
          if (c == '"') state_ = State::kQuoteInQuoted;
          break;
        case State::kQuoteInQuoted:
          if (c == '"') {
            state_ = State::kQuoted;
          } else if (c == ',') {
            state_ = State::kFieldStart;
          } else if (c == '\n' || c == '\r') {
            row_end = true;
          } else {
            state_ = State::kUnquoted;
          }
          break;
      }
    }
    // Bytes at_ .. k belong to this row (the line end included).
    if (!row.too_long) {
      if (row_.size() + (k - at_) > max_row_) {
        row.too_long = true;
        row_.clear();
      } else {
        row_.append(bytes + at_, k - at_);
      }
    }
    at_ = k;
    if (row_end) {
      state_ = State::kFieldStart;
      row.line = first_line;
      row.last_line = last_byte_line_;
      if (row.too_long) return true;
      finish_row(row);
      if (row.count > 0) return true;
      row_.clear();  // a blank line: on to the next row
      first_line = line_;
    }
  }
}

}  // namespace cli
