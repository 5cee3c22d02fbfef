// Batches: rows n,alpha[,method] in, one row n,alpha,method,value,status,message
// out for each, in constant memory. A row that cannot be read is an error row,
// counted and summarised at the end; the batch goes on.
#include <unistd.h>

#include <array>
#include <cmath>
#include <exception>
#include <iostream>
#include <limits>
#include <memory>
#include <thread>

#include "cli/csv.hpp"
#include "cli/jobs.hpp"
#include "cli/pipeline.hpp"

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
std::optional<double> field_number(std::string_view text) {
  if (missing_marker(text)) return std::numeric_limits<double>::quiet_NaN();
  return parse_number(text);
}

bool is_header(const CsvReader::Row& row) {
  const std::string& first = row.fields[0];
  return row.count >= 2 && first.size() == 1 && (first[0] == 'n' || first[0] == 'N');
}

constexpr std::size_t kBatchRows = 2048;

// What the first stage reads of a row: n and alpha, and the row's fields as
// they are echoed.
struct Numbers {
  std::optional<double> n, alpha;
  std::string echo;  // "n,alpha,method,"
};

struct Batch {
  std::array<CsvReader::Row, kBatchRows> rows;
  std::array<Numbers, kBatchRows> numbers;
  std::size_t used = 0;
};

void read_numbers(const CsvReader::Row& row, Numbers& numbers) {
  numbers.echo.clear();
  for (std::size_t i = 0; i < 3; ++i) {
    if (!row.too_long && i < row.count) append_field(numbers.echo, row.fields[i]);
    numbers.echo += ',';
  }
  const bool shaped = !row.too_long && row.count >= 2;
  numbers.n = shaped ? field_number(row.fields[0]) : std::nullopt;
  numbers.alpha = shaped ? field_number(row.fields[1]) : std::nullopt;
}

// The second stage: evaluates rows and writes them, counting the bad ones.
class RowWriter {
 public:
  RowWriter(const host::Module& module, const std::string& name, std::optional<int> digits,
            Output& out)
      : module_(module), name_(name), digits_(digits), out_(out) {}

  void write(const CsvReader::Row& row, const Numbers& numbers);
  // The summary of bad rows on standard error, and the exit status.
  int finish() const;

 private:
  const host::Module& module_;
  const std::string& name_;
  std::optional<int> digits_;
  Output& out_;
  const bool progress_ = isatty(STDERR_FILENO) != 0;
  std::uint64_t rows_ = 0, errors_ = 0;
  std::string first_error_;
};

void RowWriter::write(const CsvReader::Row& row, const Numbers& numbers) {
  if (rows_ == 0 && !row.too_long && is_header(row)) {
    rows_ = 1;  // a header counts as read
    return;
  }
  ++rows_;
  std::string& b = out_.buffer();
  std::string why;
  const std::optional<double>& n = numbers.n;
  const std::optional<double>& alpha = numbers.alpha;
  if (row.too_long) {
    why = "longer than " + std::to_string(kMaxBatchRow) + " bytes; skipped";
  } else if (row.count < 2 || row.count > 3) {
    why = "expected n,alpha[,method], found " + std::to_string(row.count) +
          (row.count == 1 ? " field" : " fields");
  } else if (!n) {
    why = "n '" + row.fields[0] + "' is not a number";
  } else if (!alpha) {
    why = "alpha '" + row.fields[1] + "' is not a number";
  }
  b += numbers.echo;
  if (!why.empty()) {
    why = name_ + " line " + std::to_string(row.line) + ": " + why;
    if (errors_++ == 0) first_error_ = why;
    b += ",error,";
    append_field(b, why);
    b += '\n';
    out_.line_done();
    return;
  }
  const std::optional<std::string_view> method =
      row.count == 3 ? std::optional<std::string_view>(row.fields[2]) : std::nullopt;
  const host::Evaluation e = module_.evaluate(*n, *alpha, method);
  if (e.status == kmodule::kSuccess) append_value(b, e.value, digits_);
  b += ',';
  b += status_word(e.status);
  b += ',';
  if (e.status != kmodule::kSuccess) {
    const Request r{*n, *alpha, method ? std::optional<std::string>(*method) : std::nullopt};
    append_field(b, explain(module_, r, e));
  }
  b += '\n';
  out_.line_done();
  if (progress_ && rows_ % 100000 == 0)
    std::cerr << "\rljungcv: " << rows_ << " rows" << std::flush;
}

int RowWriter::finish() const {
  if (progress_ && rows_ >= 100000) std::cerr << "\rljungcv: " << rows_ << " rows, done\n";
  if (errors_ == 0) return kExitOk;
  std::cerr << "ljungcv: " << errors_ << (errors_ == 1 ? " row" : " rows")
            << " could not be read as n,alpha[,method]; the first: " << first_error_ << '\n';
  return kExitData;
}

}  // namespace

// Reading and splitting rows on this thread, evaluating and writing them on a
// second one: the two halves of the work take about as long as each other.
int run_batch(const host::Module& module, int fd, const std::string& name,
              std::optional<int> digits, Output& out) {
  CsvReader reader(fd, name, kMaxBatchRow);
  auto pipeline = std::make_unique<Pipeline<Batch>>();
  RowWriter writer(module, name, digits, out);
  out.put(kCsvHeader);

  std::exception_ptr write_failure;
  std::thread consumer([&] {
    try {
      while (Batch* b = pipeline->take_full()) {
        for (std::size_t i = 0; i < b->used; ++i) writer.write(b->rows[i], b->numbers[i]);
        pipeline->give_empty(b);
        if (!pipeline->more_waiting()) out.flush();  // a slow source sees each row soon
      }
      out.flush();
    } catch (...) {
      write_failure = std::current_exception();
      pipeline->stop();
    }
  });

  std::exception_ptr read_failure;
  while (Batch* b = pipeline->take_empty()) {
    b->used = 0;
    bool last = false;
    try {
      while (b->used < kBatchRows && (b->used == 0 || reader.buffered())) {
        if (!reader.next(b->rows[b->used])) {
          last = true;
          break;
        }
        read_numbers(b->rows[b->used], b->numbers[b->used]);
        ++b->used;
      }
    } catch (...) {
      read_failure = std::current_exception();
      last = true;
    }
    pipeline->give_full(b, last);
    if (last) break;
  }
  consumer.join();
  if (write_failure) std::rethrow_exception(write_failure);
  if (read_failure) std::rethrow_exception(read_failure);
  return writer.finish();
}

}  // namespace cli
