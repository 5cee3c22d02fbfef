#include "cli/jobs.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "cli/csv_reader.hpp"
#include "cli/numbers.hpp"

namespace cli {
namespace {

template <std::size_t N>
std::string text_of(const char (&field)[N]) {
  return printable(std::string_view(field, strnlen(field, N)));
}

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

// The value on standard output, or why there is none on standard error.
int run_single(Context& c, double n, double alpha, const std::optional<std::string_view>& method) {
  const host::Evaluation e = c.module.evaluate(n, alpha, method);
  if (e.is(module::Status::kSuccess)) {
    c.out.put_row(format_value(e.value, c.digits) + '\n');
  } else {
    say(c.explainer.sentence(n, alpha, method, e));
  }
  return exit_for(e);
}

int run_exact(Context& c, double n, double alpha) {
  const korvalen_result r = korvalen_exact(n, alpha);
  if (r.status == KORVALEN_SUCCESS) {
    c.out.put_row(format_value(r.value, c.digits) + '\n');
    return kExitOk;
  }
  std::string why(korvalen_explain_exact(n, alpha, nullptr, 0), '\0');
  korvalen_explain_exact(n, alpha, why.data(), why.size() + 1);
  say(why);
  return r.status == KORVALEN_INVALID_ARGUMENT ? kExitRejected : kExitMissing;
}

// Streamed, one row at a time, whatever the table's length.
int run_table(Context& c, const NumberList& ns, const NumberList& alphas,
              const std::vector<std::optional<std::string>>& methods, bool csv, bool level) {
  if (csv) {
    c.out.put_row(level ? kCsvLevelHeader : kCsvHeader);
  } else {
    append_text_row(c.out.buffer(), "n", "alpha", "method", "value", "status", {},
                    level ? "level" : "");
    c.out.row_done();
  }
  int worst = kExitOk;
  for (const auto& given : methods) {
    // An empty method is echoed "", as in a batch: a table's rows read back
    // as a batch give the same rows.
    const std::optional<std::string_view> method(given);
    const auto keyword = keyword_of(method);
    alphas.for_each([&](double alpha) {
      ns.for_each([&](double n) {
        const host::Evaluation e = c.module.evaluate(n, alpha, keyword);
        worst = std::max<int>(worst, exit_for(e));
        const std::string_view reason = c.explainer.sentence(n, alpha, keyword, e);
        const bool value = e.is(module::Status::kSuccess);
        // Of the value as written: rounded to --digits, the level is that value's.
        const double shown = value ? parse_number(format_value(e.value, c.digits)).value() : NAN;
        const std::optional<double> delivered =
            level ? std::optional(value ? korvalen_level(n, shown).value : NAN) : std::nullopt;
        std::string& row = c.out.buffer();
        if (csv) {
          append_echo(row, format_value(n), format_value(alpha), method);
          append_result(row, e, c.digits, reason, delivered);
        } else {
          append_text_row(row, format_value(n), format_value(alpha),
                          !method           ? "(default)"
                          : method->empty() ? "\"\""
                                            : printable(*method),
                          value ? format_value(e.value, c.digits) : "-", status_word(e), reason,
                          !level  ? ""
                          : value ? format_value(*delivered)
                                  : "-");
        }
        c.out.row_done();
      });
    });
  }
  return worst;
}

// Rows that cannot be read are error rows, counted and the first named at
// the end; the batch goes on.
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

int run_version(const host::Module& module, const std::string& path, Output& out) {
  const module::VersionControlBlock block = module.version_block();
  out.put_row("ljungcv " KORVALEN_VERSION "\n");
  out.put_row("module release:    " + printable(block.release_id) + '\n');
  out.put_row("module build date: " + text_of(module.image().build_date) + " (" +
              printable(block.build_stamp) + ")\n");
  out.put_row("module file:       " + printable(path) + '\n');
  return kExitOk;
}

int run_describe(const host::Module& module, const std::string& path, Output& out) {
  const module::ModuleRecord& m = module.module_record();
  out.put_row("module    " + text_of(m.name) + " (" + printable(path) + ")\n");
  for (const module::FunctionDescriptor* d : module.functions()) {
    out.put_row("function  " + text_of(d->name) + ", " + std::to_string(d->min_arguments) + " to " +
                std::to_string(d->max_arguments) + " arguments\n");
  }
  return kExitOk;
}

}  // namespace cli
