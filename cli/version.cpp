// The tool's version and the loaded module's release.
#include <cstring>

#include "cli/jobs.hpp"

namespace cli {

int run_version(const host::Module& module, const std::string& path, Output& out) {
  const module::ImageInformation& image = module.image();
  const module::VersionControlBlock block = module.version_block();
  out.put_row("ljungcv " KORVALEN_VERSION "\n");
  out.put_row("module release:    " + std::string(block.release_id) + '\n');
  out.put_row("module build date: " +
              std::string(image.build_date, strnlen(image.build_date, sizeof image.build_date)) +
              " (" + block.build_stamp + ")\n");
  out.put_row("module file:       " + path + '\n');
  return kExitOk;
}

}  // namespace cli
