// Batches: rows n,alpha[,method] in, one row n,alpha,method,value,status,message
// out for each, in bounded memory. A row that cannot be read is an error row,
// counted and summarised at the end; the batch goes on.
#include <unistd.h>

#include "cli/csv_reader.hpp"
#include "cli/jobs.hpp"
#include "cli/numbers.hpp"

namespace cli {
namespace {

constexpr std::size_t kMaxRow = 1 << 16;

// A field as a number; an empty field and NA (any case) are missing values,
// as NaN is. False for a field that is neither.
bool read_field(std::string_view text, double& value) {
  const bool na = text.size() == 2 && (text[0] | 0x20) == 'n' && (text[1] | 0x20) == 'a';
  const auto number = text.empty() || na ? std::optional<double>(NAN) : parse_number(text);
  value = number.value_or(NAN);
  return number.has_value();
}

std::string lines(const CsvReader::Row& row) {
  return row.line == row.last_line
             ? "line " + std::to_string(row.line)
             : "lines " + std::to_string(row.line) + " to " + std::to_string(row.last_line);
}

// Why a row that is not two or three fields of numbers cannot be read.
std::string unreadable(const CsvReader::Row& row, bool has_n) {
  if (row.unclosed) {
    return "the quote opened on line " + std::to_string(row.unclosed) +
           " is never closed: it took the rest of the input (" + lines(row) + ")";
  }
  if (row.too_long) {
    return "longer than " + std::to_string(kMaxRow) + " bytes; skipped" +
           (row.last_line != row.line ? " (" + lines(row) + ")" : "");
  }
  if (row.count < 2 || row.count > 3) {
    return "expected n,alpha[,method], found " + std::to_string(row.count) +
           (row.count == 1 ? " field" : " fields");
  }
  return has_n ? "alpha '" + std::string(row.fields[1]) + "' is not a number"
               : "n '" + std::string(row.fields[0]) + "' is not a number";
}

}  // namespace

int run_batch(Context& c, int fd, const std::string& name) {
  // The rows so far go out before any wait for input: a slow source sees
  // each row soon, and a failed write ends the batch at once.
  CsvReader reader(fd, name, kMaxRow, [&] { c.out.flush(); });
  const bool progress = isatty(STDERR_FILENO) != 0;
  std::uint64_t rows = 0, errors = 0;
  std::string first_error;
  CsvReader::Row row;
  c.out.put_row(kCsvHeader);
  while (reader.next(row)) {
    if (rows++ == 0 && row.count >= 2 && (row.fields[0] == "n" || row.fields[0] == "N"))
      continue;  // a header
    const bool kept = !row.too_long && !row.unclosed;
    double n = NAN, alpha = NAN;
    const bool has_n = kept && read_field(row.fields[0], n);
    const bool has_alpha = kept && read_field(row.fields[1], alpha);
    const auto method =  // as given: none in a row of two fields
        kept && row.count >= 3 ? std::optional(row.fields[2]) : std::nullopt;
    const bool readable = kept && row.count >= 2 && row.count <= 3 && has_n && has_alpha;
    std::string& out = c.out.buffer();
    append_echo(out, row.fields[0], row.fields[1], method, readable);
    if (readable) {
      const auto keyword = keyword_of(method);
      const host::Evaluation e = c.module.evaluate(n, alpha, keyword);
      append_result(out, e, c.digits, c.explainer.sentence(n, alpha, keyword, e));
    } else {
      std::string why = name + " line " + std::to_string(row.line) + ": " + unreadable(row, has_n);
      out += ",error,";
      append_field(out, why);
      out += '\n';
      if (errors++ == 0) first_error = std::move(why);
    }
    c.out.row_done();
    if (progress && rows % 100000 == 0) std::cerr << "\rljungcv: " << rows << " rows" << std::flush;
  }
  if (progress && rows >= 100000) std::cerr << "\rljungcv: " << rows << " rows, done\n";
  if (errors == 0) return kExitOk;
  say(std::to_string(errors) + (errors == 1 ? " row" : " rows") +
      " could not be read as n,alpha[,method]; the first: " + first_error);
  return kExitData;
}

}  // namespace cli
