// CSV in and out. The reader splits and unquotes in the one pass that finds
// the row's end, so that it can bound a row's length and skip an over-long
// row without holding it. Writing a field needs no parser: quotes around it,
// each quote doubled.
#include "cli/csv.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "cli/words.hpp"

namespace cli {

namespace {

void append_escape(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const char escape[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
  out.append(escape, sizeof escape);
}

// What a field holds that asks for quotes or escapes, eight bytes at a time.
struct Needs {
  bool comma = false, quote = false, control = false;
};

Needs needs_of(std::string_view text) {
  std::uint64_t comma = 0, quote = 0, control = 0;
  for (const char* p = text.data(); p < text.data() + text.size(); p += 8) {
    const std::uint64_t w = words::load(p, text.data() + text.size());
    comma |= words::equal(w, ',');
    quote |= words::equal(w, '"');
    control |= words::below(w, 0x20) | words::equal(w, 0x7F);
  }
  return {comma != 0, quote != 0, control != 0};
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
  const Needs needs = needs_of(text);
  const bool quote =
      needs.comma || needs.quote || (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) {
    if (needs.control) {
      append_printable(out, text);
    } else {
      out.append(text);  // the common field, as it is
    }
    return;
  }
  // Quoted, each quote doubled: the field reads back as it was written.
  out += '"';
  if (!needs.quote && !needs.control) {
    out.append(text);
  } else {
    std::size_t start = 0;  // the run not yet appended
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      if (byte != '"' && byte >= 0x20 && byte != 0x7F) continue;
      out.append(text.data() + start, i - start);
      if (byte == '"') {
        out += "\"\"";
      } else {
        append_escape(out, byte);
      }
      start = i + 1;
    }
    out.append(text.data() + start, text.size() - start);
  }
  out += '"';
}

CsvReader::CsvReader(int fd, std::string name, std::size_t max_row)
    : fd_(fd),
      name_(std::move(name)),
      max_row_(max_row),
      buffer_(std::make_unique_for_overwrite<char[]>(kBlockSize)) {}

bool CsvReader::fill() {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::size_t size = 0;
  for (;;) {
    const ssize_t n = read(fd_, buffer_.get() + size, kBlockSize - size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw ReadError{name_, errno};
    size += static_cast<std::size_t>(n);
    // A byte-order mark may come in more than one read.
    if (!started_ && n > 0 && size < kByteOrderMark.size() &&
        kByteOrderMark.starts_with(std::string_view(buffer_.get(), size))) {
      continue;
    }
    break;
  }
  block_ = std::string_view(buffer_.get(), size);
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
// The line is scanned eight bytes at a time.
bool CsvReader::read_plain_line(Row& row, std::string& text) {
  if (after_cr_ || at_ >= block_.size()) return false;
  const char* const begin = block_.data() + at_;
  const char* const limit = block_.data() + block_.size();
  std::array<std::uint32_t, kMaxFields> commas{};  // the first ones, from begin
  std::size_t count = 1;
  bool quote = false, control = false;
  const char* first_cr = nullptr;
  const char* newline = nullptr;
  for (const char* p = begin; !newline; p += 8) {
    if (p >= limit || static_cast<std::size_t>(p - begin) > max_row_) return false;
    const std::uint64_t w = words::load(p, limit);
    const std::uint64_t ends = words::equal(w, '\n');
    const std::uint64_t live =
        ends == 0 ? words::kHighBits : ((ends & -ends) - 1) & words::kHighBits;
    const std::uint64_t cr = words::equal(w, '\r') & live;
    if (cr != 0 && !first_cr) first_cr = p + words::first_byte(cr);
    quote |= (words::equal(w, '"') & live) != 0;
    control |= ((words::below(w, 0x20) & ~cr) | words::equal(w, 0x7F)) & live;
    for (std::uint64_t c = words::equal(w, ',') & live; c != 0; c &= c - 1, ++count) {
      if (count <= kMaxFields)
        commas[count - 1] = static_cast<std::uint32_t>(p - begin) + words::first_byte(c);
    }
    if (ends != 0) newline = p + words::first_byte(ends);
  }
  const bool cr_end = newline > begin && newline[-1] == '\r';
  const char* const end = newline - cr_end;
  if (quote || (first_cr && first_cr != end)) return false;  // a CR but at its end
  if (static_cast<std::size_t>(end - begin) + 1 > max_row_) return false;
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const std::size_t base = text.size();  // the line goes in whole, its fields within it
  bool trimmed = false;
  for (std::size_t i = 0; i < std::min(count, kMaxFields); ++i) {
    const char* first = begin + (i == 0 ? 0 : commas[i - 1] + 1);
    const char* last = i + 1 < count ? begin + commas[i] : end;
    const char* const from = first;
    const char* const to = last;
    while (first < last && blank(*first)) ++first;
    while (last > first && blank(last[-1])) --last;
    trimmed |= first != from || last != to;
    row.start[i] = static_cast<std::uint32_t>(base + static_cast<std::size_t>(first - begin));
    row.size[i] = static_cast<std::uint32_t>(last - first);
  }
  if (count == 1 && row.size[0] == 0) {  // blanks only: the machine below skips it
    row.start[0] = static_cast<std::uint32_t>(base);
    return false;
  }
  text.append(begin, end);
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
    if (keeping && text.size() == text.capacity())
      text.reserve(text.size() + 1);  // before the byte is taken
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
