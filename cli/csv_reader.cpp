#include "cli/csv_reader.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace cli {

CsvReader::CsvReader(int fd, std::string name, std::size_t max_row,
                     std::function<void()> before_read)
    : fd_(fd), name_(std::move(name)), max_row_(max_row), before_read_(std::move(before_read)) {}

// The next block, past a byte-order mark at the input's start; false at its end.
bool CsvReader::fill(Row& row) {
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  if (ended_) return false;
  for (std::size_t i = 0; i < kKept; ++i) {  // the row's fields outlive the block
    if (row.fields[i].data() != copies_[i].data()) row.fields[i] = copies_[i].assign(row.fields[i]);
  }
  if (before_read_) before_read_();
  std::size_t size = 0;
  do {  // read on while all there is may be the start of a mark
    const ssize_t n = read(fd_, block_.data() + size, block_.size() - size);
    if (n < 0 && errno != EINTR) throw ReadError{name_, errno};
    size += static_cast<std::size_t>(std::max<ssize_t>(n, 0));
    ended_ = n == 0;
  } while (!started_ && !ended_ && size < kMark.size() && kMark.starts_with({block_.data(), size}));
  bytes_ = std::string_view(block_.data(), size);
  if (!started_ && bytes_.starts_with(kMark)) bytes_.remove_prefix(kMark.size());
  started_ = true;
  return !bytes_.empty() || fill(row);
}

void CsvReader::start_row(Row& row) {
  row = {.fields = {}, .line = line_, .last_line = line_};
  state_ = State::kFieldStart;
  row_bytes_ = kept_ = 0;
  content_ = false;
}

// Takes the next bytes, kept in the field or not; past the limit, the row is
// too long and keeps nothing. Quoted bytes are kept whatever they are.
inline void CsvReader::take(Row& row, std::string_view bytes, bool kept, bool quoted) {
  bytes_.remove_prefix(bytes.size());
  if (!row.too_long && (row_bytes_ += bytes.size()) > max_row_) {
    row.too_long = true;
    row.fields = {};
  }
  if (!kept || row.too_long || row.count >= kKept) return;
  std::string_view& field = row.fields[row.count];
  if (field.empty()) {
    field = bytes;  // one piece of the block, as it is
  } else {
    std::string& copy = copies_[row.count];
    if (field.data() != copy.data()) copy.assign(field);
    field = copy += bytes;
  }
  if (quoted) kept_ = field.size();
}

// The field ends without the blanks that end its unquoted text.
inline void CsvReader::end_field(Row& row) {
  if (!row.too_long && row.count < kKept) {
    std::string_view& field = row.fields[row.count];
    while (field.size() > kept_ && (field.back() == ' ' || field.back() == '\t'))
      field.remove_suffix(1);
  }
  ++row.count;
  kept_ = 0;
  state_ = State::kFieldStart;
}

bool CsvReader::next(Row& row) {
  start_row(row);
  for (;;) {
    if (bytes_.empty() && !fill(row)) {  // the end of the input
      if (state_ == State::kQuoted) {    // the quote took the rest of it
        row = {.fields = {}, .line = row.line, .last_line = row.last_line, .unclosed = quote_line_};
        return true;
      }
      if (content_) end_field(row);
      return content_;
    }
    // The bytes that end a run of ordinary bytes: a comma or a quote, and
    // line ends; and those that a field may not start with.
    static constexpr auto kEnds = [] {
      std::array<std::array<bool, 256>, 3> ends{};
      for (auto& table : ends) table['\r'] = table['\n'] = true;
      ends[0][','] = ends[1]['"'] = true;
      ends[2][','] = ends[2]['"'] = ends[2][' '] = ends[2]['\t'] = true;
      return ends;
    }();
    if (state_ == State::kFieldStart && !kEnds[2][static_cast<unsigned char>(bytes_[0])]) {
      content_ = true;  // unquoted text
      state_ = State::kUnquoted;
    }
    if (state_ == State::kUnquoted || state_ == State::kQuoted) {  // ordinary bytes at once
      const auto& ends = kEnds[state_ == State::kQuoted];
      std::size_t run = 0;
      while (run < bytes_.size() && !ends[static_cast<unsigned char>(bytes_[run])]) ++run;
      if (run > 0) {
        take(row, bytes_.substr(0, run), true, state_ == State::kQuoted);
        after_cr_ = false;
        row.last_line = line_;
        if (bytes_.empty()) continue;
      }
    }
    const char c = bytes_.front();
    const std::string_view byte = bytes_.substr(0, 1);
    if (c == '\n' && after_cr_) {  // the LF of a CR LF: its line has ended already
      after_cr_ = false;
      if (state_ == State::kQuoted) {
        take(row, byte, true, true);  // but it is the quoted field's
      } else {
        bytes_.remove_prefix(1);  // and no row's
      }
      continue;
    }
    const bool line_end = c == '\r' || c == '\n';
    after_cr_ = c == '\r';
    row.last_line = line_;
    line_ += line_end;
    if (state_ == State::kQuoted) {  // a quote, or a line end, which is the field's
      take(row, byte, c != '"', true);
      if (c == '"') state_ = State::kAfterQuote;
    } else if (line_end && state_ == State::kFieldStart && !content_) {  // a blank line
      take(row, byte, false);
      start_row(row);
    } else if (c == ',' || line_end) {
      take(row, byte, false);
      content_ = true;
      end_field(row);
      if (line_end) return true;
    } else if (c == '"' && state_ == State::kAfterQuote) {  // "" inside quotes: one quote
      take(row, byte, true, true);
      state_ = State::kQuoted;
    } else if (c == '"') {  // at a field's start
      take(row, byte, false);
      content_ = true;
      state_ = State::kQuoted;
      quote_line_ = row.last_line;
    } else {  // a blank before a field, or text after a closing quote, blanks trimmed
      take(row, byte, state_ == State::kAfterQuote);
      if (state_ == State::kAfterQuote) state_ = State::kUnquoted;
    }
  }
}

}  // namespace cli
