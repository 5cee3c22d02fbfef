// CSV in and out (RFC 4180): rows read in constant memory, and fields quoted
// where they need it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace cli {

// Appends text with each control byte (below 0x20, and 0x7F) spelled \xNN,
// as the library's sentences quote them: no NUL, tab or line end goes out raw.
void append_printable(std::string& out, std::string_view text);
std::string printable(std::string_view text);

// Appends one field, printable, quoted when it holds a comma or a quote, or
// begins or ends with a blank.
void append_field(std::string& out, std::string_view text);

// A failed read: the source's name and the system's error number.
struct ReadError {
  std::string name;
  int error;
};

// Rows of a CSV stream (RFC 4180), read in one pass in constant memory: a
// leading byte-order mark dropped, CRLF, LF or CR line ends (each ending one
// line), blank lines skipped, unquoted fields trimmed of blanks and tabs, ""
// inside quotes one quote, text after a closing quote kept in its field. A
// row longer than the limit is reported as such and skipped without being
// held; so is a quote that the input never closes. Its own parser, not a
// library's: none bounds what a field may hold.
class CsvReader {
 public:
  static constexpr std::size_t kMaxFields = 4;  // more are only counted

  // A row's fields lie one after the other in a text that the caller keeps
  // (a batch's rows share one), so that a row is a few numbers and its bytes
  // one run, not a string for each field.
  struct Row {
    const std::string* text = nullptr;              // where the fields lie
    std::array<std::uint32_t, kMaxFields> start{};  // of each field kept, in text
    std::array<std::uint32_t, kMaxFields> size{};
    std::size_t count = 0;        // fields in the row
    std::uint64_t line = 0;       // where it begins, from 1
    std::uint64_t last_line = 0;  // where it ends
    bool plain = false;           // no field holds a quote, a comma or a control byte
    bool verbatim = false;        // plain, and its line as it stands is its fields and commas
    bool too_long = false;        // longer than the limit: no fields kept
    bool unclosed = false;        // a quote opened on quote_line never closes: no fields kept
    std::uint64_t quote_line = 0;

    // Field i as read; empty where the row has none or keeps none.
    std::string_view field(std::size_t i) const {
      if (i >= count || i >= kMaxFields || too_long || unclosed) return {};
      return std::string_view(text->data() + start[i], size[i]);
    }
  };

  CsvReader(int fd, std::string name, std::size_t max_row);
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // The next row, its fields appended to text; false at the end of the
  // input. Throws ReadError, and std::bad_alloc with nothing of the input
  // lost: the next call, with the same row and text, goes on where it stopped.
  bool next(Row& row, std::string& text);
  // Whether rows can be had without reading (and perhaps waiting) again.
  bool buffered() const { return at_ < block_.size(); }

 private:
  enum class State { kFieldStart, kUnquoted, kQuoted, kQuoteInQuoted };
  bool read_row(Row& row, std::string& text, bool resume);
  bool read_plain_line(Row& row, std::string& text);
  bool fill();
  void start_row(Row& row, std::string& text);
  void end_field(Row& row, std::string& text);
  // Counts a row's bytes; past the limit, the row is too long and holds nothing.
  void count_bytes(Row& row, std::string& text, std::size_t size);

  int fd_;
  std::string name_;
  std::size_t max_row_;
  static constexpr std::size_t kBlockSize = 1 << 16;  // bytes read at once
  std::unique_ptr<char[]> buffer_;
  std::string_view block_;  // what the last read gave
  std::size_t at_ = 0;
  bool end_ = false;
  bool started_ = false;
  std::uint64_t line_ = 1;
  bool after_cr_ = false;  // the last byte was a CR: an LF now ends no further line
  State state_ = State::kFieldStart;
  std::size_t row_bytes_ = 0;     // of the row so far, line end included
  std::size_t row_start_ = 0;     // where the row's fields begin in the text
  std::size_t kept_length_ = 0;   // of the current field, trailing blanks of unquoted text excluded
  bool content_ = false;          // the row holds more than blanks
  std::uint64_t quote_line_ = 0;  // where the open quote began
  bool cut_short_ = false;        // the last row was left half read, for want of memory
};

}  // namespace cli
