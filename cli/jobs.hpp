// ljungcv's jobs: one value, a table, a batch, the version and a description.
// Each writes through an Output and returns the exit status.
#pragma once

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/explain.hpp"
#include "cli/ranges.hpp"
#include "cli/writing.hpp"
#include "host/module.hpp"

namespace cli {

// Distinct per kind of failure, sysexits where one fits.
enum Exit : int {
  kExitOk = 0,
  kExitRejected = 1,   // an argument was rejected (status 120836)
  kExitMissing = 2,    // the arguments were accepted but gave no value (120833)
  kExitUsage = 64,     // the command line itself is wrong
  kExitData = 65,      // batch rows that could not be read as n,alpha[,method]
  kExitNoModule = 69,  // the module cannot be found or loaded
  kExitOsError = 71,   // the system refused memory
  kExitIo = 74,        // a file or standard input or output could not be read or written
};

inline Exit exit_for(const host::Evaluation& e) {
  if (e.is(module::Status::kSuccess)) return kExitOk;
  return e.is(module::Status::kInvalidArgument) ? kExitRejected : kExitMissing;
}

// A message on standard error, printable: a file name or an argument never
// puts an escape sequence on the user's terminal.
inline void say(std::string_view message) {
  std::cerr << "ljungcv: " << printable(message) << '\n';
}

// The keyword to evaluate with: none (the default method) for an absent or
// an empty method, in a table as in a batch.
inline std::optional<std::string_view> keyword_of(const std::optional<std::string_view>& method) {
  return method && !method->empty() ? method : std::nullopt;
}

struct Context {
  const host::Module& module;
  Explainer& explainer;
  std::optional<int> digits;
  Output& out;
};

int run_single(Context& c, double n, double alpha, const std::optional<std::string_view>& method);
// The value whose level for n independent statistics is alpha, from the C library.
int run_exact(Context& c, double n, double alpha);
// Rows for every method, alpha and n, in this order of nesting; with level,
// each value's level for independent statistics after it.
int run_table(Context& c, const NumberList& ns, const NumberList& alphas,
              const std::vector<std::optional<std::string>>& methods, bool csv, bool level);
// Rows n,alpha[,method] of at most 64 KiB from fd in, n,alpha,method,value,
// status,message out.
int run_batch(Context& c, int fd, const std::string& name);
int run_version(const host::Module& module, const std::string& path, Output& out);
int run_describe(const host::Module& module, const std::string& path, Output& out);

}  // namespace cli
