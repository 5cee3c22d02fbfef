// ljungcv: LJUNGCV critical values in a shell. Every value comes from
// korvalen.so, loaded and called by the stand-in host as the host calls it.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "cli/csv_reader.hpp"
#include "cli/jobs.hpp"
#include "cli/options.hpp"

namespace cli {
namespace {

// The module --module names (a bare file name is a file in the current
// directory, not a library to search for), else the build tree's
// (module/korvalen.so beside the executable), else the installed one. Like
// a module that does not load, a path not found throws std::runtime_error.
std::string module_path(const Options& o) {
  namespace fs = std::filesystem;
  if (o.module_path)
    return o.module_path->find('/') == std::string::npos ? "./" + *o.module_path : *o.module_path;
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error || !self.is_absolute()) {
    throw std::runtime_error{
        "cannot find the module: where this program lies is unknown (/proc/self/exe: " +
        (error ? error.message() : "not an absolute path") + "); name it with --module"};
  }
  const fs::path here = self.parent_path() / "module" / "korvalen.so";
  if (fs::exists(here, error)) return here.string();
  return (self.parent_path() / KORVALEN_INSTALLED_MODULE).lexically_normal().string();
}

int run_job(const Options& o, const std::string& path, Output& out, Explainer& explainer) {
  const bool file = o.job == Job::kBatch && o.batch_file != "-";
  const int input = file ? open(o.batch_file.c_str(), O_RDONLY | O_CLOEXEC) : STDIN_FILENO;
  if (input < 0) throw ReadError{o.batch_file, errno};
  host::Host host;
  const host::Module module(host, path);
  Context c{module, explainer, o.digits, out};
  switch (o.job) {
    case Job::kVersion:
      return run_version(module, path, out);
    case Job::kDescribe:
      return run_describe(module, path, out);
    case Job::kTable:
      return run_table(c, *o.ns, *o.alphas, o.methods, o.csv, o.level);
    case Job::kExact:
      return run_exact(c, o.n, o.alpha);
    case Job::kBatch:
      return run_batch(c, input, file ? o.batch_file : "standard input");
    case Job::kSingle:
      break;
  }
  return run_single(c, o.n, o.alpha, o.method);
}

// Whatever ends a job, the rows already done go out before the message.
int run(const Options& o) {
  Output out(STDOUT_FILENO, "standard output");
  Explainer explainer;
  std::string path;
  int status = kExitOk;
  try {
    try {
      path = module_path(o);
      status = run_job(o, path, out, explainer);
    } catch (const std::runtime_error& e) {  // no module to be had
      say(e.what());
      return kExitNoModule;
    } catch (const ReadError& e) {
      out.flush();
      say("cannot read " + e.name + ": " + std::strerror(e.error));
      return kExitIo;
    } catch (const std::bad_alloc&) {
      out.flush();
      say("out of memory; the rows before this point were written");
      return kExitOsError;
    }
    out.flush();
  } catch (const WriteError& e) {
    // EPIPE too: a closed pipe ends the process by SIGPIPE before this,
    // unless SIGPIPE is ignored, and then the cut-off output is an error.
    say(e.message());
    return kExitIo;
  }
  if (explainer.disagreed()) say(Explainer::disagreement(path));
  return status;
}

}  // namespace
}  // namespace cli

int main(int argc, char** argv) {
  // A file size limit makes a write fail with EFBIG, reported like a full
  // disk after the whole rows, instead of killing the process mid-row.
  std::signal(SIGXFSZ, SIG_IGN);
  try {
    int exit = 0;
    const auto options = cli::parse_options(argc, argv, exit);
    return options ? cli::run(*options) : exit;
  } catch (const std::bad_alloc&) {
    cli::say("out of memory");  // before any row
    return cli::kExitOsError;
  }
}
