// CSV in and out. The reader finds row boundaries itself (a line end outside
// quotes), so that it can bound a row's length and skip an over-long row
// without holding it, then hands each row to libcsv to split and unquote.
// Writing a field needs no parser: quotes around it, each quote doubled.
#include "cli/csv.hpp"

#include <unistd.h>

#include <cerrno>
#include <new>

namespace cli {

void append_field(std::string& out, std::string_view text) {
  bool quote = !text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                                 text.back() == ' ' || text.back() == '\t');
  for (std::size_t i = 0; i < text.size() && !quote; ++i) {
    const char c = text[i];
    quote = c == ',' || c == '"' || c == '\r' || c == '\n';
  }
  if (!quote) {
    out.append(text);
    return;
  }
  // Quoted, each quote doubled: the field reads back as it was.
  out += '"';
  for (std::size_t at = 0;;) {
    const std::size_t q = text.find('"', at);
    out.append(text.substr(at, q - at));
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
  block_.resize(1 << 16);
  for (;;) {
    const ssize_t n = read(fd_, block_.data(), block_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw ReadError{name_, errno};
    block_.resize(static_cast<std::size_t>(n));
    at_ = 0;
    if (!started_ && block_.size() >= 3 && block_.compare(0, 3, "\xEF\xBB\xBF") == 0) at_ = 3;
    started_ = true;
    return n > 0;
  }
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

bool CsvReader::next(Row& row) {
  row.count = 0;
  row.too_long = false;
  row_.clear();
  std::uint64_t first_line = line_;
  for (;;) {
    if (at_ == block_.size()) {
      if (end_ || !fill()) {
        end_ = true;
        state_ = State::kFieldStart;
        if (row.too_long) {
          row.line = first_line;
          return true;
        }
        if (row_.empty()) return false;
        row.line = first_line;
        finish_row(row);
        if (row.count == 0) return false;  // blanks only
        return true;
      }
    }
    const char* const bytes = block_.data();
    const std::size_t size = block_.size();
    if (row_.empty() && !row.too_long && state_ == State::kFieldStart) {
      // The common row: no quote and no lone CR up to its LF, wholly in the
      // block. libcsv splits it where it lies.
      std::size_t k = at_;
      while (k < size && bytes[k] != '\n' && bytes[k] != '"' && bytes[k] != '\r') ++k;
      const std::size_t end =
          k < size && bytes[k] == '\r' && k + 1 < size && bytes[k + 1] == '\n' ? k + 1 : k;
      if (end < size && bytes[end] == '\n' && end - at_ < max_row_) {
        ++line_;
        current_ = &row;
        row.line = first_line;
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
      if (c == '\n') ++line_;
      switch (state_) {
        case State::kFieldStart:
          if (c == '"') {
            state_ = State::kQuoted;
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
      if (row.too_long) return true;
      finish_row(row);
      if (row.count > 0) return true;
      row_.clear();  // a blank line: on to the next row
      first_line = line_;
    }
  }
}

}  // namespace cli
