// What ljungcv tells its user: values in print, statuses in words, exit codes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/host.hpp"

namespace cli {

// Exit statuses, distinct per kind of failure.
enum Exit : int {
  kExitOk = 0,
  kExitRejected = 1,   // an argument was rejected (status 120836)
  kExitMissing = 2,    // the arguments were accepted but gave no value (120833)
  kExitUsage = 64,     // the command line itself is wrong
  kExitNoModule = 69,  // the module cannot be loaded
};

struct Request {
  double n;
  double alpha;
  std::optional<std::string> method;  // none: the default (corrected) method
};

// The value for display: the shortest decimal that reads back as the same
// double, or rounded to `digits` decimals when given.
std::string format_value(double value, std::optional<int> digits);

// A number as the user wrote it, shortest round-trip form.
std::string format_number(double value);

// One line that says why a call gave no value; empty for success.
// The module is asked again where the reason names another method's value.
std::string explain(const host::Module& module, const Request& request,
                    const host::Evaluation& evaluation);

// "ok", "rejected" or "missing", for tables and batch output.
std::string_view status_word(std::int32_t status);

Exit exit_for(std::int32_t status);

// A decimal number, the whole text; nullopt when it is not one.
std::optional<double> parse_number(std::string_view text);

}  // namespace cli
