// One value, the version, and what registration delivered.
#include <cstring>
#include <iostream>

#include "cli/jobs.hpp"

namespace cli {

int run_single(const host::Module& module, const Request& r, std::optional<int> digits,
               Output& out) {
  const host::Evaluation e = module.evaluate(r.n, r.alpha, r.method);
  if (e.status == kmodule::kSuccess) {
    out.put(format_value(e.value, digits) + '\n');
  } else {
    std::cerr << "ljungcv: " << explain(module, r, e) << '\n';
  }
  return exit_for(e.status);
}

int run_version(const host::Module& module, const std::string& path, Output& out) {
  const kmodule::ImageInformation& image = module.image();
  const kmodule::VersionControlBlock block = module.version_block();
  out.put("ljungcv " KORVALEN_VERSION "\n");
  out.put("module release:    " + std::string(block.release_id) + '\n');
  out.put("module build date: " +
          std::string(image.build_date, strnlen(image.build_date, sizeof image.build_date)) + " (" +
          block.build_stamp + ")\n");
  out.put("module file:       " + path + '\n');
  return kExitOk;
}

int run_describe(const host::Module& module, const std::string& path, Output& out) {
  const kmodule::ModuleRecord& m = module.module_record();
  out.put("module    " + std::string(m.name, sizeof m.name) + " (" + path + ")\n");
  for (const host::Function& f : module.functions()) {
    const kmodule::FunctionDescriptor& d = *f.descriptor;
    out.put("function  " + std::string(d.name, strnlen(d.name, sizeof d.name)) + ", " +
            std::to_string(d.min_arguments) + " to " + std::to_string(d.max_arguments) +
            " arguments\n");
  }
  out.put("methods   " + keyword_words() +
          " (a keyword beginning with L: asymptotic; any other: corrected; none: corrected)\n");
  return kExitOk;
}

}  // namespace cli
