// ljungcv's jobs: one value, a table, a batch, the version and a description.
// Each writes through an Output and returns the exit status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/exit.hpp"
#include "cli/explain.hpp"
#include "cli/output.hpp"
#include "cli/ranges.hpp"
#include "host/module.hpp"

namespace cli {

inline constexpr std::uint64_t kDefaultMaxRows = 1000000;
inline constexpr std::size_t kMaxBatchRow = 1 << 16;  // bytes, line end included

// What every evaluating job works with.
struct Context {
  const host::Module& module;
  Explainer& explainer;
  std::optional<int> digits;
  Output& out;
};

int run_single(Context& c, const Request& request);

// Rows for every method, alpha and n, in this order of nesting. methods holds
// "both" (C and L), a keyword, or "default".
int run_table(Context& c, const NumberList& ns, const NumberList& alphas,
              const std::string& methods, bool csv);

// Rows n,alpha[,method] from fd in, rows n,alpha,method,value,status,message out.
int run_batch(Context& c, int fd, const std::string& name);

int run_version(const host::Module& module, const std::string& path, Output& out);
int run_describe(const host::Module& module, const std::string& path, Output& out);

}  // namespace cli
