// CSV in and out. The reader splits and unquotes in the one pass that finds
// the row's end, so that it can bound a row's length and skip an over-long
// row without holding it. Writing a field needs no parser: quotes around it,
// each quote doubled.
#include "cli/csv.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

namespace cli {

namespace {

void append_escape(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const char escape[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
  out.append(escape, sizeof escape);
}

}  // namespace

void append_printable(std::string& out, std::string_view text) {
  std::size_t start = 0;  // the printable run not yet appended
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != 0x7F) continue;
    out.append(text.data() + start, i - start);
    append_escape(out, byte);
    start = i + 1;
  }
  out.append(text.data() + start, text.size() - start);
}

std::string printable(std::string_view text) {
  std::string out;
  append_printable(out, text);
  return out;
}

void append_field(std::string& out, std::string_view text) {
  // What each byte asks of its field: quotes (a comma or a quote), or escapes.
  static constexpr auto kNeeds = [] {
    std::array<unsigned char, 256> needs{};
    for (int byte = 0; byte < 0x20; ++byte) needs[byte] = 2;
    needs[0x7F] = 2;
    needs[','] = needs['"'] = 1;
    return needs;
  }();
  unsigned needs = 0;
  for (const char c : text) needs |= kNeeds[static_cast<unsigned char>(c)];
  const bool quote =
      (needs & 1) != 0 || (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  const bool control = (needs & 2) != 0;
  if (!quote) {
    if (control) {
      append_printable(out, text);
    } else {
      out.append(text);  // the common field, as it is
    }
    return;
  }
  // Quoted, each quote doubled: the field reads back as it was written.
  out += '"';
  std::size_t start = 0;  // the run not yet appended
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte != '"' && kNeeds[byte] != 2) continue;
    out.append(text.data() + start, i - start);
    if (byte == '"') {
      out += "\"\"";
    } else {
      append_escape(out, byte);
    }
    start = i + 1;
  }
  out.append(text.data() + start, text.size() - start);
  out += '"';
}

CsvReader::CsvReader(int fd, std::string name, std::size_t max_row)
    : fd_(fd), name_(std::move(name)), max_row_(max_row) {
  block_.reserve(1 << 16);
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

bool CsvReader::next(Row& row, std::string& text) {
  const bool resume = cut_short_;
  cut_short_ = true;
  const bool got = read_row(row, text, resume);
  cut_short_ = false;
  return got;
}

// A row (again, after a blank line or an unclosed quote): nothing of it kept.
void CsvReader::start_row(Row& row, std::string& text) {
  text.resize(row_start_);
  row.text = &text;
  row.start[0] = static_cast<std::uint32_t>(row_start_);
  row.count = 0;
  row.plain = row.verbatim = false;
  row.too_long = false;
  row.unclosed = false;
  row.line = row.last_line = line_;
  state_ = State::kFieldStart;
  row_bytes_ = 0;
  kept_length_ = 0;
  content_ = false;
}

void CsvReader::count_bytes(Row& row, std::string& text, std::size_t size) {
  row_bytes_ += size;
  if (row.too_long || row_bytes_ <= max_row_) return;
  row.too_long = true;
  text.resize(row_start_);
}

// The field ends where its kept bytes do (trailing blanks of unquoted text
// dropped); the next begins there.
void CsvReader::end_field(Row& row, std::string& text) {
  if (!row.too_long && row.count < kMaxFields) {
    text.resize(row.start[row.count] + kept_length_);
    row.size[row.count] = static_cast<std::uint32_t>(kept_length_);
  }
  ++row.count;
  if (!row.too_long && row.count < kMaxFields) {
    row.start[row.count] = static_cast<std::uint32_t>(text.size());
  }
  kept_length_ = 0;
  state_ = State::kFieldStart;
}

// The common row at once: a whole line already in the block, without a quote
// or a CR but at its end, within the limit and not blank. Reads it as the
// byte-by-byte machine below would; false, with nothing read, for any other.
bool CsvReader::read_plain_line(Row& row, std::string& text) {
  // What a byte is to a plain line: ordinary, a comma, a byte to escape on
  // output, or one that ends the fast path.
  constexpr unsigned char kComma = 1, kControl = 2, kStop = 3;  // else 0: ordinary
  static constexpr auto kKind = [] {
    std::array<unsigned char, 256> kind{};
    for (int byte = 0; byte < 0x20; ++byte) kind[byte] = kControl;
    kind[0x7F] = kControl;
    kind[','] = kComma;
    kind['"'] = kind['\r'] = kStop;
    return kind;
  }();
  if (after_cr_ || at_ >= block_.size()) return false;
  const char* const begin = block_.data() + at_;
  const auto* const newline =
      static_cast<const char*>(std::memchr(begin, '\n', block_.size() - at_));
  if (newline == nullptr) return false;
  const char* const end = newline > begin && newline[-1] == '\r' ? newline - 1 : newline;
  if (static_cast<std::size_t>(end - begin) + 1 > max_row_) return false;
  const std::size_t base = text.size();  // the line goes in whole, its fields within it
  text.append(begin, end);                // before a byte is taken
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t count = 0;
  bool control = false, trimmed = false;
  for (const char *field = begin, *p = begin;; ++p) {
    const unsigned char kind = p < end ? kKind[static_cast<unsigned char>(*p)] : kComma;
    if (kind != kComma) {
      if (kind == kStop) {
        text.resize(row_start_);
        row.start[0] = static_cast<std::uint32_t>(row_start_);
        return false;
      }
      control |= kind == kControl;
      continue;
    }
    const char* last = p;
    const char* const first = field;
    while (field < last && blank(*field)) ++field;
    while (last > field && blank(last[-1])) --last;
    trimmed |= field != first || last != p;
    if (count < kMaxFields) {
      row.start[count] = static_cast<std::uint32_t>(base + static_cast<std::size_t>(field - begin));
      row.size[count] = static_cast<std::uint32_t>(last - field);
    }
    ++count;
    if (p == end) break;
    field = p + 1;
  }
  if (count == 1 && row.size[0] == 0) {  // blanks only
    text.resize(row_start_);
    row.start[0] = static_cast<std::uint32_t>(row_start_);
    return false;
  }
  row.count = count;
  row.plain = !control;
  row.verbatim = !control && !trimmed && (count == 2 || (count == 3 && row.size[2] > 0));
  at_ = static_cast<std::size_t>(newline + 1 - block_.data());
  ++line_;
  return true;
}

bool CsvReader::read_row(Row& row, std::string& text, bool resume) {
  if (!resume || row_bytes_ == 0) {
    row_start_ = text.size();
    start_row(row, text);
    if (read_plain_line(row, text)) return true;
  }
  for (;;) {
    if (at_ == block_.size() && (end_ || !fill())) {
      end_ = true;
      if (state_ == State::kQuoted) {  // the rest of the input is the quote's
        const std::uint64_t first = row.line, last = row.last_line;
        start_row(row, text);  // no field kept
        row.line = first, row.last_line = last;
        row.unclosed = true;
        row.quote_line = quote_line_;
        return true;
      }
      if (!content_) return false;  // nothing, or blanks only
      end_field(row, text);
      return true;
    }
    if (state_ == State::kUnquoted || state_ == State::kQuoted) {
      // The run of ordinary bytes up to the next one that matters, at once.
      const char* const begin = block_.data() + at_;
      const char* const end = block_.data() + block_.size();
      const char stop = state_ == State::kUnquoted ? ',' : '"';
      const char* q = begin;
      while (q < end && *q != stop && *q != '\n' && *q != '\r') ++q;
      if (q > begin) {
        const auto size = static_cast<std::size_t>(q - begin);
        const bool kept = !row.too_long && row.count < kMaxFields && row_bytes_ + size <= max_row_;
        if (kept) text.append(begin, size);
        at_ += size;
        after_cr_ = false;
        row.last_line = line_;
        count_bytes(row, text, size);
        if (kept) {
          std::size_t blanks = 0;  // unquoted text keeps no trailing blank
          while (state_ == State::kUnquoted && blanks < size &&
                 (begin[size - 1 - blanks] == ' ' || begin[size - 1 - blanks] == '\t')) {
            ++blanks;
          }
          if (blanks < size) kept_length_ = text.size() - row.start[row.count] - blanks;
        }
        continue;
      }
    }
    const bool keeping = !row.too_long && row.count < kMaxFields;
    if (keeping && text.size() == text.capacity()) text.reserve(text.size() + 1);  // before the byte is taken
    const char c = block_[at_++];
    const bool line_end = c == '\r' || c == '\n';
    if (c == '\n' && after_cr_) {  // the LF of a CRLF: its line has ended already
      after_cr_ = false;
      continue;
    }
    after_cr_ = c == '\r';
    row.last_line = line_;
    if (line_end) ++line_;
    count_bytes(row, text, 1);
    const bool kept = !row.too_long && row.count < kMaxFields;
    const auto keep = [&](char byte, bool counts) {
      if (!kept) return;
      text += byte;
      if (counts) kept_length_ = text.size() - row.start[row.count];
    };
    switch (state_) {
      case State::kFieldStart:
        if (c == ' ' || c == '\t') break;
        if (line_end) {
          if (!content_) {  // a blank line: on to the next
            start_row(row, text);
            break;
          }
          end_field(row, text);
          return true;
        }
        content_ = true;
        if (c == ',') {
          end_field(row, text);
        } else if (c == '"') {
          state_ = State::kQuoted;
          quote_line_ = row.last_line;
        } else {
          state_ = State::kUnquoted;
          keep(c, true);
        }
        break;
      case State::kUnquoted:  // a comma or a line end: the rest came as a run
        end_field(row, text);
        if (line_end) return true;
        break;
      case State::kQuoted:  // a quote or a line end: the rest came as a run
        if (c == '"') {
          state_ = State::kQuoteInQuoted;
        } else {
          keep(c, true);
        }
        break;
      case State::kQuoteInQuoted:
        if (c == '"') {  // "" inside quotes: one quote
          keep(c, true);
          state_ = State::kQuoted;
        } else if (c == ',') {
          end_field(row, text);
        } else if (line_end) {
          end_field(row, text);
          return true;
        } else {  // text after the closing quote stays in the field, blanks trimmed
          state_ = State::kUnquoted;
          keep(c, c != ' ' && c != '\t');
        }
        break;
    }
  }
}

}  // namespace cli
