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

// A field as a number, NaN for a missing value; nullopt when it is neither.
// Stored, not returned: an optional<double> returned from a call that is not
// inlined comes back through the stack, where reading it stalls on the store.
void read_field(std::string_view text, std::optional<double>& number) {
  double value = std::numeric_limits<double>::quiet_NaN();
  if (missing_marker(text) || read_number(text, value)) {
    number = value;
  } else {
    number.reset();
  }
}

bool is_header(const CsvReader::Row& row) {
  const std::string_view first = row.field(0);
  return row.count >= 2 && first.size() == 1 && (first[0] == 'n' || first[0] == 'N');
}

constexpr std::size_t kBatchRows = 2048;
constexpr std::size_t kBatchBytes = 1 << 20;  // a batch of long rows holds fewer of them

// What the first stage reads of a row: n and alpha, and the row's output
// where that stage wrote it too (in the batch's out, from out_start).
struct Numbers {
  std::optional<double> n, alpha;
  bool written = false;
  std::uint32_t out_start = 0, out_size = 0;
};

// An empty method, like an absent one, is the default.
std::optional<std::string_view> method_of(const CsvReader::Row& row) {
  return row.count == 3 && !row.field(2).empty() ? std::optional<std::string_view>(row.field(2))
                                                 : std::nullopt;
}

// The rows' fields lie one after the other in text, which holds at most
// kBatchBytes and one row more (and twice that in capacity, as it grows).
struct Batch {
  std::array<CsvReader::Row, kBatchRows> rows;
  std::array<Numbers, kBatchRows> numbers;
  std::string text;
  std::string out;        // the rows the first stage wrote
  std::size_t used = 0;   // rows read with their numbers
  bool row_read = false;  // rows[used] is read, its numbers not yet: memory ran short
  void clear() { used = 0, row_read = false, text.clear(), out.clear(); }
  // Gives the rows' storage back, for the one thread that goes on without it.
  void release() {
    std::string().swap(text);
    std::string().swap(out);
  }
};

// The row's numbers.
void read_numbers(const CsvReader::Row& row, Numbers& numbers) {
  const bool shaped = !row.too_long && !row.unclosed && row.count >= 2;
  numbers.n.reset();
  numbers.alpha.reset();
  numbers.written = false;
  if (shaped) {
    read_field(row.field(0), numbers.n);
    read_field(row.field(1), numbers.alpha);
  }
}

// The row's first three fields as they are echoed: "n,alpha,method,".
void append_echo(std::string& out, const CsvReader::Row& row) {
  if (row.verbatim) {  // the line itself, and the commas after the fields it has
    out += row.verbatim_text();
    out += row.count == 2 ? ",," : ",";
    return;
  }
  const bool kept = !row.too_long && !row.unclosed;
  for (std::size_t i = 0; i < 3; ++i) {
    if (kept && i < row.count) {
      if (row.plain) {
        out += row.field(i);  // as it is: nothing to quote or escape
      } else {
        append_field(out, row.field(i));
      }
      if (i == 2 && row.field(i).empty()) out += "\"\"";  // given, but empty
    }
    out += ',';
  }
}

// Fills a batch on from where it stands, as far as the rows are already
// there; returns whether the input has ended. Throws ReadError, and
// std::bad_alloc with the batch as it stood, to go on from once memory is had.
bool read_batch(CsvReader& reader, Batch& b) {
  while (b.used < kBatchRows && b.text.size() < kBatchBytes &&
         (b.used == 0 || reader.buffered())) {
    if (!b.row_read && !reader.next(b.rows[b.used], b.text)) return true;
    b.row_read = true;
    read_numbers(b.rows[b.used], b.numbers[b.used]);
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
bool readable(const CsvReader::Row& row, const Numbers& numbers) {
  return !row.unclosed && !row.too_long && row.count >= 2 && row.count <= 3 && numbers.n &&
         numbers.alpha;
}

// A readable row evaluated and written out: its fields, value, status and reason.
void append_row(std::string& out, const CsvReader::Row& row, const Numbers& numbers,
                const Context& c, Explainer& explainer) {
  const std::optional<std::string_view> method = method_of(row);
  const host::Evaluation e = c.module.evaluate(*numbers.n, *numbers.alpha, method);
  append_echo(out, row);
  append_result(out, e, c.digits, explainer.sentence({*numbers.n, *numbers.alpha, method}, e));
}

// The last `share` readable rows of a batch evaluated and written on the
// reading thread, with its own explainer; the writing thread copies them.
// Where memory runs short, the writing thread does the rest.
void write_share(const Context& c, Explainer& explainer, Batch& b, std::size_t share) {
  for (std::size_t i = b.used - std::min(share, b.used); i < b.used; ++i) {
    Numbers& numbers = b.numbers[i];
    if (!readable(b.rows[i], numbers)) continue;
    const std::size_t start = b.out.size();
    try {
      append_row(b.out, b.rows[i], numbers, c, explainer);
    } catch (const std::bad_alloc&) {
      b.out.resize(start);
      return;
    }
    numbers.written = true;
    numbers.out_start = static_cast<std::uint32_t>(start);
    numbers.out_size = static_cast<std::uint32_t>(b.out.size() - start);
  }
}

// Why a row cannot be read, or "".
std::string unreadable(const CsvReader::Row& row, const Numbers& numbers) {
  if (row.unclosed) {
    return "the quote opened on line " + std::to_string(row.quote_line) +
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
  if (!numbers.n) return "n '" + std::string(row.field(0)) + "' is not a number";
  if (!numbers.alpha) return "alpha '" + std::string(row.field(1)) + "' is not a number";
  return {};
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
  const CsvReader::Row& row = batch.rows[i];
  const Numbers& numbers = batch.numbers[i];
  if (rows_ == 0 && !row.too_long && !row.unclosed && is_header(row)) {
    rows_ = 1;  // a header counts as read
    return;
  }
  std::string& b = c_.out.buffer();
  if (numbers.written) {
    b.append(batch.out, numbers.out_start, numbers.out_size);
  } else if (std::string why = unreadable(row, numbers); !why.empty()) {
    why = name_ + " line " + std::to_string(row.line) + ": " + why;
    append_echo(b, row);
    b += ",error,";
    append_field(b, why);
    b += '\n';
    c_.out.row_done();
    ++rows_;
    if (errors_++ == 0) first_error_ = std::move(why);
    return;
  } else {
    append_row(b, row, numbers, c_, c_.explainer);
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
