// Tables over lists of n and alpha, as aligned text or CSV.
#include <algorithm>
#include <cstdio>

#include "cli/csv.hpp"
#include "cli/jobs.hpp"

namespace cli {
namespace {

std::vector<std::optional<std::string>> chosen_methods(const std::string& methods) {
  if (methods == "both") return {std::string("C"), std::string("L")};
  if (methods == "default") return {std::nullopt};
  return {methods};
}

}  // namespace

int run_table(const host::Module& module, const std::vector<double>& ns,
              const std::vector<double>& alphas, const std::string& methods, bool csv,
              std::optional<int> digits, Output& out) {
  char line[256];
  if (csv) {
    out.put(kCsvHeader);
  } else {
    std::snprintf(line, sizeof line, "%12s %10s %-9s %20s  %s\n", "n", "alpha", "method", "value",
                  "status");
    out.put(line);
  }
  int worst = kExitOk;
  for (const auto& method : chosen_methods(methods)) {
    for (double alpha : alphas) {
      for (double n : ns) {
        const Request r{n, alpha, method};
        const host::Evaluation e = module.evaluate(n, alpha, method);
        worst = std::max<int>(worst, exit_for(e.status));
        std::string& b = out.buffer();
        if (csv) {
          append_value(b, n, std::nullopt);
          b += ',';
          append_value(b, alpha, std::nullopt);
          b += ',';
          append_field(b, method.value_or(""));
          b += ',';
          if (e.status == kmodule::kSuccess) append_value(b, e.value, digits);
          b += ',';
          b += status_word(e.status);
          b += ',';
          append_field(b, explain(module, r, e));
          b += '\n';
        } else {
          std::snprintf(line, sizeof line, "%12s %10s %-9s %20s  %s\n", format_number(n).c_str(),
                        format_number(alpha).c_str(), method.value_or("(default)").c_str(),
                        e.status == kmodule::kSuccess ? format_value(e.value, digits).c_str() : "-",
                        std::string(status_word(e.status)).c_str());
          b += line;
        }
        out.line_done();
      }
    }
  }
  return worst;
}

}  // namespace cli
