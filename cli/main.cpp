// ljungcv: LJUNGCV critical values in a shell, through the real module.
//
//   ljungcv 100 0.05            -> 3.810087571983974
//   ljungcv table --n 10:100:10 --alpha 0.01,0.05 --csv
//   ljungcv batch rows.csv      (rows of n,alpha[,method]; - or nothing: standard input)
//
// Every value comes from korvalen.so, loaded and called by the stand-in host
// exactly as the host system calls it.
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/csv.hpp"
#include "cli/jobs.hpp"
#include "cli/options.hpp"

namespace cli {
namespace {

namespace fs = std::filesystem;

// The build tree's module (module/korvalen.so beside the executable), else
// the installed one; never a file found relative to the current directory.
// Throws std::runtime_error when the executable's own place is unknown.
std::string default_module() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error || !self.is_absolute()) {
    throw std::runtime_error(
        "cannot find the module: where this program lies is unknown (/proc/self/exe: " +
        (error ? error.message() : std::string("not an absolute path")) +
        "); name it with --module");
  }
  const fs::path here = self.parent_path() / "module" / "korvalen.so";
  if (fs::exists(here, error)) return here.string();
  return (self.parent_path() / KORVALEN_INSTALLED_MODULE).lexically_normal().string();
}

// A bare file name is a file in the current directory, not a library to search for.
std::string module_file(const std::string& path) {
  return path.find('/') == std::string::npos ? "./" + path : path;
}

int run(int argc, char** argv) {
  Parsed parsed = parse_options(argc, argv);
  if (!parsed.options) return parsed.exit;
  Options& o = *parsed.options;

  std::string path;
  try {
    path = o.module_path ? module_file(*o.module_path) : default_module();
  } catch (const std::runtime_error& e) {
    std::cerr << "ljungcv: " << e.what() << '\n';
    return kExitNoModule;
  }

  int input = STDIN_FILENO;
  std::string input_name = "standard input";
  if (o.job == Job::kBatch && o.batch_file != "-") {
    input = open(o.batch_file.c_str(), O_RDONLY | O_CLOEXEC);
    input_name = o.batch_file;
    if (input < 0) {
      std::cerr << "ljungcv: cannot read " << o.batch_file << ": " << std::strerror(errno) << '\n';
      return kExitIo;
    }
  }

  Output out(STDOUT_FILENO, "standard output");
  Explainer explainer;
  int status = kExitOk;
  try {
    host::Host host;
    std::optional<host::Module> module;
    try {
      module.emplace(host, path);
    } catch (const std::runtime_error& e) {
      std::cerr << "ljungcv: " << e.what() << '\n';
      return kExitNoModule;
    }
    Context context{*module, explainer, o.digits, out};
    try {
      switch (o.job) {
        case Job::kVersion:
          status = run_version(*module, path, out);
          break;
        case Job::kDescribe:
          status = run_describe(*module, path, out);
          break;
        case Job::kTable:
          status = run_table(context, *o.ns, *o.alphas, o.methods, o.csv);
          break;
        case Job::kBatch:
          status = run_batch(context, input, input_name);
          break;
        case Job::kSingle:
          status = run_single(
              context,
              {o.n, o.alpha, o.method ? std::optional<std::string_view>(*o.method) : std::nullopt});
          break;
      }
    } catch (const ReadError& e) {
      out.flush();  // the rows already done
      std::cerr << "ljungcv: cannot read " << e.name << ": " << std::strerror(e.error) << '\n';
      return kExitIo;
    } catch (const std::bad_alloc&) {
      out.flush();
      std::cerr << "ljungcv: out of memory; the rows before this point were written\n";
      return kExitOsError;
    }
    out.flush();
  } catch (const WriteError& e) {
    // EPIPE too: a closed pipe ends the process by SIGPIPE before this,
    // unless SIGPIPE is ignored, and then the cut-off output is an error.
    std::cerr << "ljungcv: " << e.message() << '\n';
    return kExitIo;
  } catch (const std::bad_alloc&) {
    std::cerr << "ljungcv: out of memory\n";
    return kExitOsError;
  }
  if (explainer.disagreed()) std::cerr << "ljungcv: " << Explainer::disagreement(path) << '\n';
  return status;
}

}  // namespace
}  // namespace cli

int main(int argc, char** argv) {
  // A file size limit makes a write fail with EFBIG, reported like a full
  // disk after the whole rows, instead of killing the process mid-row.
  std::signal(SIGXFSZ, SIG_IGN);
  // One malloc arena for both batch threads: a second arena reserves 64 MiB
  // of address space, which under an address-space limit fails on every
  // allocation and sends each one to the kernel.
  mallopt(M_ARENA_MAX, 1);
  try {
    return cli::run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cerr << "ljungcv: out of memory\n";  // before any row
    return cli::kExitOsError;
  }
}
