// What ljungcv tells its user: values in print, statuses in words, exit codes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/numbers.hpp"
#include "host/host.hpp"

namespace cli {

// Exit statuses, distinct per kind of failure.
enum Exit : int {
  kExitOk = 0,
  kExitRejected = 1,   // an argument was rejected (status 120836)
  kExitMissing = 2,    // the arguments were accepted but gave no value (120833)
  kExitUsage = 64,     // the command line itself is wrong
  kExitData = 65,      // batch rows that could not be read as n,alpha[,method]
  kExitNoModule = 69,  // the module cannot be loaded
  kExitIo = 74,        // a file or standard input or output could not be read or written
};

struct Request {
  double n;
  double alpha;
  std::optional<std::string> method;  // none: the default (corrected) method
};

// One line that says why a call gave no value; empty for success.
// The module is asked again where the reason names another method's value.
std::string explain(const host::Module& module, const Request& request,
                    const host::Evaluation& evaluation);

// "ok", "rejected" or "missing", for tables and batch output.
std::string_view status_word(std::int32_t status);

Exit exit_for(std::int32_t status);

// The method keywords the module accepts, as "L, C, CORR, ...".
std::string keyword_words();

}  // namespace cli
