// Tables over lists of n and alpha, as aligned text or CSV, streamed: one row
// at a time, whatever the table's length.
#include <algorithm>

#include "cli/csv.hpp"
#include "cli/jobs.hpp"
#include "cli/numbers.hpp"
#include "cli/rows.hpp"

namespace cli {
namespace {

std::vector<std::optional<std::string>> chosen_methods(const std::string& methods) {
  if (methods == "both") return {std::string("C"), std::string("L")};
  if (methods == "default") return {std::nullopt};
  return {methods};
}

}  // namespace

int run_table(Context& c, const NumberList& ns, const NumberList& alphas,
              const std::string& methods, bool csv) {
  if (csv) {
    c.out.put_row(kCsvHeader);
  } else {
    append_text_row(c.out.buffer(), "n", "alpha", "method", "value", "status");
    c.out.row_done();
  }
  int worst = kExitOk;
  for (const auto& method : chosen_methods(methods)) {
    const std::optional<std::string_view> keyword =
        method ? std::optional<std::string_view>(*method) : std::nullopt;
    alphas.for_each([&](double alpha) {
      ns.for_each([&](double n) {
        const host::Evaluation e = c.module.evaluate(n, alpha, keyword);
        worst = std::max<int>(worst, exit_for(e));
        std::string& b = c.out.buffer();
        if (csv) {
          append_value(b, n, std::nullopt);
          b += ',';
          append_value(b, alpha, std::nullopt);
          b += ',';
          append_field(b, method.value_or(""));
          b += ',';
          append_result(b, e, c.digits, c.explainer.sentence({n, alpha, keyword}, e));
        } else {
          append_text_row(b, format_number(n), format_number(alpha),
                          method ? printable(*method) : "(default)",
                          e.is(module::Status::kSuccess) ? format_value(e.value, c.digits) : "-",
                          status_word(e));
        }
        c.out.row_done();
      });
    });
  }
  return worst;
}

}  // namespace cli
