// ljungcv's command line: the options and arguments, read and checked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/ranges.hpp"

namespace cli {

enum class Job { kSingle, kTable, kBatch, kExact, kDescribe, kVersion };

struct Options {
  Job job = Job::kSingle;
  std::optional<std::string> module_path;
  std::optional<int> digits;
  double n = 0.0, alpha = 0.0;  // kSingle and kExact: the call, with the method if given
  std::optional<std::string> method;
  std::optional<NumberList> ns, alphas;             // kTable: the lists, and the methods
  std::vector<std::optional<std::string>> methods;  // in order (none: the default method)
  bool csv = false, level = false;
  std::string batch_file = "-";  // kBatch: "-" for standard input
};

// The options; or none, exit set, where help was shown (0) or a usage error
// said on standard error (64).
std::optional<Options> parse_options(int argc, char** argv, int& exit);

}  // namespace cli
