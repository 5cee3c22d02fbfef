// ljungcv's jobs: one value, a table, a batch, the version and a description.
// Each writes through an Output and returns the exit status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/messages.hpp"
#include "cli/output.hpp"
#include "host/host.hpp"

namespace cli {

inline constexpr std::uint64_t kDefaultMaxRows = 1000000;
inline constexpr std::size_t kMaxBatchRow = 1 << 16;  // bytes, line end included

int run_single(const host::Module& module, const Request& request, std::optional<int> digits,
               Output& out);

// Rows for every method, alpha and n, in this order of nesting. methods holds
// "both" (C and L), a keyword, or "default".
int run_table(const host::Module& module, const std::vector<double>& ns,
              const std::vector<double>& alphas, const std::string& methods, bool csv,
              std::optional<int> digits, Output& out);

// Rows n,alpha[,method] from fd in, rows n,alpha,method,value,status,message out.
int run_batch(const host::Module& module, int fd, const std::string& name,
              std::optional<int> digits, Output& out);

int run_version(const host::Module& module, const std::string& path, Output& out);
int run_describe(const host::Module& module, const std::string& path, Output& out);

// The CSV header and one row of a table or a batch.
inline constexpr char kCsvHeader[] = "n,alpha,method,value,status,message\n";

}  // namespace cli
