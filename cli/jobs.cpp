// The jobs but the batch: one value, a table, and what the module says of itself.
#include "cli/jobs.hpp"

#include <algorithm>
#include <cstring>

#include "cli/numbers.hpp"

namespace cli {
namespace {

template <std::size_t N>
std::string text_of(const char (&field)[N]) {
  return printable(std::string_view(field, strnlen(field, N)));
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

// Streamed, one row at a time, whatever the table's length.
int run_table(Context& c, const NumberList& ns, const NumberList& alphas,
              const std::vector<std::optional<std::string>>& methods, bool csv) {
  if (csv) {
    c.out.put_row(kCsvHeader);
  } else {
    append_text_row(c.out.buffer(), "n", "alpha", "method", "value", "status");
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
        std::string& row = c.out.buffer();
        if (csv) {
          append_echo(row, format_value(n), format_value(alpha), method);
          append_result(row, e, c.digits, reason);
        } else {
          append_text_row(row, format_value(n), format_value(alpha),
                          !method           ? "(default)"
                          : method->empty() ? "\"\""
                                            : printable(*method),
                          e.is(module::Status::kSuccess) ? format_value(e.value, c.digits) : "-",
                          status_word(e), reason);
        }
        c.out.row_done();
      });
    });
  }
  return worst;
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
