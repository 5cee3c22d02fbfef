// ljungcv's exit statuses, distinct per kind of failure (sysexits where one fits).
#pragma once

#include <cstdint>

#include "host/module.hpp"

namespace cli {

enum Exit : int {
  kExitOk = 0,
  kExitRejected = 1,   // an argument was rejected (status 120836)
  kExitMissing = 2,    // the arguments were accepted but gave no value (120833)
  kExitUsage = 64,     // the command line itself is wrong
  kExitData = 65,      // batch rows that could not be read as n,alpha[,method]
  kExitNoModule = 69,  // the module cannot be found or loaded
  kExitOsError = 71,   // the system refused memory or a thread
  kExitIo = 74,        // a file or standard input or output could not be read or written
};

inline Exit exit_for(const host::Evaluation& e) {
  if (e.is(module::Status::kSuccess)) return kExitOk;
  return e.is(module::Status::kInvalidArgument) ? kExitRejected : kExitMissing;
}

}  // namespace cli
