// What the host learns from the module's registration.
#include <cstring>

#include "cli/jobs.hpp"

namespace cli {

int run_describe(const host::Module& module, const std::string& path, Output& out) {
  const module::ModuleRecord& m = module.module_record();
  out.put_row("module    " + std::string(m.name, sizeof m.name) + " (" + path + ")\n");
  for (const module::FunctionDescriptor* d : module.functions()) {
    out.put_row("function  " + std::string(d->name, strnlen(d->name, sizeof d->name)) + ", " +
                std::to_string(d->min_arguments) + " to " + std::to_string(d->max_arguments) +
                " arguments\n");
  }
  return kExitOk;
}

}  // namespace cli
