// The fixture of every test that calls the module: korvalen.so loaded into a
// live stand-in host, whose services a recorder watches.
#pragma once

#include <gtest/gtest.h>

#include "host/module.hpp"
#include "host/recorder.hpp"

namespace testing_support {

class LoadedModule : public ::testing::Test {
 protected:
  host::Host host_;
  Recorder recorder_{host_};
  host::Module module_{host_, KORVALEN_MODULE_PATH};
};

}  // namespace testing_support
