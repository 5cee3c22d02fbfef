// ljungcv's command line: the options and arguments, read and checked, for
// main to dispatch on.
#pragma once

#include <optional>
#include <string>

#include "cli/ranges.hpp"

namespace cli {

enum class Job { kSingle, kTable, kBatch, kDescribe, kVersion };

struct Options {
  Job job = Job::kSingle;
  std::optional<std::string> module_path;
  std::optional<int> digits;
  // kSingle: the call's arguments.
  double n = 0.0, alpha = 0.0;
  std::optional<std::string> method;
  // kTable: the lists and the methods ("both", a keyword or "default").
  std::optional<NumberList> ns, alphas;
  std::string methods;
  bool csv = false;
  // kBatch: the input file, "-" for standard input.
  std::string batch_file;
};

// The options, or the exit status where there is nothing to run: help shown
// (0) or a usage error said on standard error (64).
struct Parsed {
  std::optional<Options> options;
  int exit = 0;
};
Parsed parse_options(int argc, char** argv);

}  // namespace cli
