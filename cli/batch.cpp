// Batches: rows n,alpha[,method] in, one row n,alpha,method,value,status,message
// out for each, in constant memory. A row that cannot be read is an error row,
// counted and summarised at the end; the batch goes on.
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <limits>
#include <memory>

#include "cli/csv.hpp"
#include "cli/jobs.hpp"
#include "cli/numbers.hpp"
#include "cli/pipeline.hpp"
#include "cli/prefetch.hpp"
#include "cli/rows.hpp"
#include "cli/worker.hpp"

namespace cli {
namespace {

// NA, NaN (any case) and an empty field are missing values.
bool missing_marker(std::string_view text) {
  const auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); };
  if (text.empty()) return true;
  if (lower(text[0]) != 'n' || text.size() < 2 || lower(text[1]) != 'a') return false;
  return text.size() == 2 || (text.size() == 3 && lower(text[2]) == 'n');
}

// Field i of a row as a number, NaN for a missing value; false when it is neither.
bool read_field(const CsvReader::Row& row, std::size_t i, double& number) {
  number = std::numeric_limits<double>::quiet_NaN();
  return missing_marker(row.field(i)) || read_number(*row.text, row.start[i], row.size[i], number);
}

constexpr std::size_t kBatchRows = 2048;
constexpr std::size_t kAhead = 16;  // rows: lines asked for this far ahead of their writing
constexpr std::size_t kBatchBytes = 1 << 20;  // a batch of long rows holds fewer of them
static_assert(kMaxBatchRow <= 1 << 16, "a field's place in its row fits 16 bits");

// What the writing stage needs of a row, in one cache line: a batch's rows
// go from one thread's cache to the other's, and each line they take costs
// both threads. The fields lie in the batch's text.
struct alignas(64) Item {
  double n = 0.0, alpha = 0.0;  // where has_n and has_alpha
  std::uint64_t line = 0, last_line = 0;
  std::uint32_t count = 0;                    // fields in the row
  std::uint32_t start = 0;                    // of field 0 in the text
  std::uint32_t out_start = 0, out_size = 0;  // where the first stage wrote the row, if it did
  std::array<std::uint16_t, 2> from{};        // fields 1 and 2, from start
  std::array<std::uint16_t, 3> size{};        // of fields 0 to 2
  bool plain = false, verbatim = false, too_long = false, unclosed = false;
  bool has_n = false, has_alpha = false;

  // Field i as read (of the first three); empty where the row has none or keeps none.
  std::string_view field(const std::string& text, std::size_t i) const {
    if (i >= count || too_long || unclosed) return {};
    return std::string_view(text.data() + start + (i == 0 ? 0 : from[i - 1]), size[i]);
  }
};
static_assert(sizeof(Item) == 64);

// The row as the writing stage needs it, its numbers read.
void read_item(const CsvReader::Row& row, Item& item) {
  item.line = row.line;
  item.last_line = row.last_line;
  item.count = static_cast<std::uint32_t>(row.count);
  item.start = row.start[0];
  item.out_size = 0;
  item.plain = row.plain;
  item.verbatim = row.verbatim;
  item.too_long = row.too_long;
  item.unclosed = row.unclosed;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string_view field = row.field(i);
    item.size[i] = static_cast<std::uint16_t>(field.size());
    if (i > 0 && i < row.count)
      item.from[i - 1] = static_cast<std::uint16_t>(row.start[i] - row.start[0]);
  }
  item.has_n = item.has_alpha = false;
  if (!row.too_long && !row.unclosed && row.count >= 2) {
    item.has_n = read_field(row, 0, item.n);
    item.has_alpha = read_field(row, 1, item.alpha);
  }
}

bool is_header(const Item& row, const std::string& text) {
  const std::string_view first = row.field(text, 0);
  return row.count >= 2 && first.size() == 1 && (first[0] == 'n' || first[0] == 'N');
}

// An empty method, like an absent one, is the default.
std::optional<std::string_view> method_of(const Item& row, const std::string& text) {
  const std::string_view method = row.field(text, 2);
  return row.count == 3 && !method.empty() ? std::optional<std::string_view>(method) : std::nullopt;
}

// The rows' fields lie one after the other in text, which holds at most
// kBatchBytes and one row more (and twice that in capacity, as it grows).
struct Batch {
  std::array<Item, kBatchRows> items;
  CsvReader::Row row;            // the reader's, where it splits each row
  std::uint64_t quote_line = 0;  // of a last row whose quote never closes
  std::string text;
  std::string out;        // the rows the first stage wrote
  std::size_t used = 0;   // rows read with their numbers
  bool row_read = false;  // row is read, its numbers not yet: memory ran short
  void clear() { used = 0, row_read = false, text.clear(), out.clear(); }
  // Gives the rows' storage back, for the one thread that goes on without it.
  void release() {
    std::string().swap(text);
    std::string().swap(out);
  }
};

// The row's first three fields as they are echoed: "n,alpha,method,".
void append_echo(std::string& out, const Item& row, const std::string& text) {
  if (row.verbatim) {  // the line itself, and the commas after the fields it has
    const std::size_t last = row.count - 1;
    out.append(text, row.start, row.from[last - 1] + std::size_t{row.size[last]});
    out += row.count == 2 ? ",," : ",";
    return;
  }
  const bool kept = !row.too_long && !row.unclosed;
  for (std::size_t i = 0; i < 3; ++i) {
    if (kept && i < row.count) {
      if (row.plain) {
        out += row.field(text, i);  // as it is: nothing to quote or escape
      } else {
        append_field(out, row.field(text, i));
      }
      if (i == 2 && row.size[2] == 0) out += "\"\"";  // given, but empty
    }
    out += ',';
  }
}

// The line `ahead` bytes past a text's end, where the text will grow into it.
void prefetch_past_end(const std::string& text, std::size_t ahead) {
  if (text.size() + ahead < text.capacity()) prefetch_for_write(text.data() + text.size() + ahead);
}

// Fills a batch on from where it stands, as far as the rows are already
// there; returns whether the input has ended. Throws ReadError, and
// std::bad_alloc with the batch as it stood, to go on from once memory is had.
bool read_batch(CsvReader& reader, Batch& b) {
  while (b.used < kBatchRows && b.text.size() < kBatchBytes && (b.used == 0 || reader.buffered())) {
    // The lines the writing thread read last time round, a little ahead.
    if (b.used + kAhead < kBatchRows) prefetch_for_write(&b.items[b.used + kAhead]);
    prefetch_past_end(b.text, kAhead * 32);
    if (!b.row_read && !reader.next(b.row, b.text)) return true;
    b.row_read = true;
    read_item(b.row, b.items[b.used]);
    if (b.row.unclosed) b.quote_line = b.row.quote_line;
    b.row_read = false;
    ++b.used;
  }
  return false;
}

std::string lines(std::uint64_t first, std::uint64_t last) {
  return first == last ? "line " + std::to_string(first)
                       : "lines " + std::to_string(first) + " to " + std::to_string(last);
}

// Whether a row is one call to evaluate.
bool readable(const Item& row) {
  return !row.unclosed && !row.too_long && row.count >= 2 && row.count <= 3 && row.has_n &&
         row.has_alpha;
}

// A readable row evaluated and written out: its fields, value, status and reason.
void append_row(std::string& out, const Item& row, const std::string& text, const Context& c,
                Explainer& explainer) {
  const std::optional<std::string_view> method = method_of(row, text);
  const host::Evaluation e = c.module.evaluate(row.n, row.alpha, method);
  append_echo(out, row, text);
  append_result(out, e, c.digits, explainer.sentence({row.n, row.alpha, method}, e));
}

// The last `share` readable rows of a batch evaluated and written on the
// reading thread, with its own explainer; the writing thread copies them.
// Where memory runs short, the writing thread does the rest.
void write_share(const Context& c, Explainer& explainer, Batch& b, std::size_t share) {
  for (std::size_t i = b.used - std::min(share, b.used); i < b.used; ++i) {
    Item& row = b.items[i];
    if (!readable(row)) continue;
    const std::size_t start = b.out.size();
    prefetch_past_end(b.out, kAhead * 64);
    try {
      append_row(b.out, row, b.text, c, explainer);
    } catch (const std::bad_alloc&) {
      b.out.resize(start);
      return;
    }
    row.out_start = static_cast<std::uint32_t>(start);
    row.out_size = static_cast<std::uint32_t>(b.out.size() - start);  // a line end at least
  }
}

// Why a row that is not readable cannot be read.
std::string unreadable(const Batch& b, const Item& row) {
  if (row.unclosed) {
    return "the quote opened on line " + std::to_string(b.quote_line) +
           " is never closed: it took the rest of the input (" + lines(row.line, row.last_line) +
           ")";
  }
  if (row.too_long) {
    return "longer than " + std::to_string(kMaxBatchRow) + " bytes; skipped" +
           (row.last_line != row.line ? " (" + lines(row.line, row.last_line) + ")" : "");
  }
  if (row.count < 2 || row.count > 3) {
    return "expected n,alpha[,method], found " + std::to_string(row.count) +
           (row.count == 1 ? " field" : " fields");
  }
  if (!row.has_n) return "n '" + std::string(row.field(b.text, 0)) + "' is not a number";
  return "alpha '" + std::string(row.field(b.text, 1)) + "' is not a number";
}

// The second stage: evaluates rows and writes them, counting the bad ones.
class RowWriter {
 public:
  RowWriter(Context& c, const std::string& name) : c_(c), name_(name) {}

  // Row i of the batch, as the first stage wrote it or written here.
  void write(const Batch& batch, std::size_t i);
  // The summary of bad rows on standard error, and the exit status.
  int finish() const;

 private:
  Context& c_;
  const std::string& name_;
  const bool progress_ = isatty(STDERR_FILENO) != 0;
  std::uint64_t rows_ = 0, errors_ = 0;
  std::string first_error_;
};

// A row that memory runs short on changes nothing: the counts move only once
// it is done, and Output::drop_unfinished() takes its text back.
void RowWriter::write(const Batch& batch, std::size_t i) {
  const Item& row = batch.items[i];
  if (rows_ == 0 && is_header(row, batch.text)) {
    rows_ = 1;  // a header counts as read
    return;
  }
  std::string& b = c_.out.buffer();
  if (row.out_size > 0) {
    b.append(batch.out, row.out_start, row.out_size);
  } else if (readable(row)) {
    append_row(b, row, batch.text, c_, c_.explainer);
  } else {
    std::string why = name_ + " line " + std::to_string(row.line) + ": " + unreadable(batch, row);
    append_echo(b, row, batch.text);
    b += ",error,";
    append_field(b, why);
    b += '\n';
    c_.out.row_done();
    ++rows_;
    if (errors_++ == 0) first_error_ = std::move(why);
    return;
  }
  c_.out.row_done();
  ++rows_;
  if (progress_ && rows_ % 100000 == 0)
    std::cerr << "\rljungcv: " << rows_ << " rows" << std::flush;
}

int RowWriter::finish() const {
  if (progress_ && rows_ >= 100000) std::cerr << "\rljungcv: " << rows_ << " rows, done\n";
  if (errors_ == 0) return kExitOk;
  std::cerr << "ljungcv: " << errors_ << (errors_ == 1 ? " row" : " rows")
            << " could not be read as n,alpha[,method]; the first: " << printable(first_error_)
            << '\n';
  return kExitData;
}

// Rows from..used of a batch, then the output so far.
void write_rows(Context& c, RowWriter& writer, const Batch& b, std::size_t from = 0) {
  for (std::size_t i = from; i < b.used; ++i) writer.write(b, i);
  c.out.flush();
}

// Both stages on this thread, where no second one can be had, or on from a
// batch that a second thread left for want of memory.
int run_alone(Context& c, CsvReader& reader, RowWriter& writer, Batch& b) {
  for (bool last = false; !last;) {
    last = read_batch(reader, b);
    write_rows(c, writer, b);
    b.clear();
  }
  return writer.finish();
}

}  // namespace

// Reading and splitting rows on this thread, evaluating and writing them on a
// second one: the two halves of the work take about as long as each other.
// Where memory runs short with both running, the rows already read are written
// and this thread goes on alone, as where no second thread can be had.
int run_batch(Context& c, int fd, const std::string& name) {
  CsvReader reader(fd, name, kMaxBatchRow);
  RowWriter writer(c, name);
  c.out.put_row(kCsvHeader);
  auto pipeline = std::make_unique<Pipeline<Batch>>();

  std::exception_ptr write_failure;
  bool short_of_memory = false;  // the second thread ran short: at row left_at of left
  Batch* left = nullptr;
  std::size_t left_at = 0;
  Worker consumer;
  const bool started = consumer.start([&] {
    Batch* b = nullptr;
    std::size_t i = 0;
    try {
      while ((b = pipeline->take_full())) {
        for (i = 0; i < b->used; ++i) writer.write(*b, i);
        pipeline->give_empty(b);
        b = nullptr;
        if (!pipeline->more_waiting()) c.out.flush();  // a slow source sees each row soon
      }
      c.out.flush();
    } catch (const WriteError& e) {
      // Said and done now: the reader may wait on input that never comes.
      std::cerr << "ljungcv: " << e.message() << '\n';
      std::_Exit(kExitIo);
    } catch (const std::bad_alloc&) {
      c.out.drop_unfinished();
      short_of_memory = true;
      left = b;
      left_at = i;
      pipeline->stop();
    } catch (...) {
      write_failure = std::current_exception();
      pipeline->stop();
    }
  });
  if (!started) {
    auto b = std::make_unique<Batch>();
    return run_alone(c, reader, writer, *b);
  }

  std::exception_ptr read_failure;
  Batch* mine = nullptr;  // where this thread ran short of memory
  bool ended = false;
  // The rows of each batch this thread evaluates too: more while it waits
  // for the writer, fewer while the writer waits for it.
  constexpr std::size_t kStep = kBatchRows / 32;
  std::size_t share = 0;
  std::pair<std::uint64_t, std::uint64_t> waited{};
  Explainer explainer;  // this thread's
  while (Batch* b = pipeline->take_empty()) {
    b->clear();
    try {
      ended = read_batch(reader, *b);
      write_share(c, explainer, *b, share);
    } catch (const std::bad_alloc&) {
      mine = b;
      pipeline->end();
      break;
    } catch (...) {
      read_failure = std::current_exception();
      ended = true;
    }
    pipeline->give_full(b, ended);
    if (ended) break;
    const auto now = pipeline->waits();
    if (now.first > waited.first && share < kBatchRows) share += kStep;
    if (now.second > waited.second && share > 0) share -= kStep;
    waited = now;
  }
  consumer.join();
  c.explainer.absorb(explainer);
  if (write_failure) std::rethrow_exception(write_failure);
  if (!short_of_memory && !mine) {
    if (read_failure) std::rethrow_exception(read_failure);
    return writer.finish();
  }

  // One thread from here on, the second one's stack and batches given back.
  if (left) write_rows(c, writer, *left, left_at);
  while (Batch* b = pipeline->take_left()) {
    write_rows(c, writer, *b);
    b->release();
  }
  if (read_failure) std::rethrow_exception(read_failure);
  if (ended) return writer.finish();
  // Reading goes on in this thread's batch, where it ran short, else in one
  // given back; every other batch gives its storage back.
  if (!mine) {
    mine = left ? left : pipeline->any_empty();
    mine->clear();
  } else if (left) {
    left->release();
  }
  while (Batch* b = pipeline->any_empty()) b->release();
  return run_alone(c, reader, writer, *mine);
}

}  // namespace cli
