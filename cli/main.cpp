// ljungcv: LJUNGCV critical values in a shell, through the real module.
//
//   ljungcv 100 0.05            -> 3.810087571983974
//   ljungcv table --n 10:100:10 --alpha 0.01,0.05 --csv
//   ljungcv batch rows.csv      (rows of n,alpha[,method]; - or nothing: standard input)
//
// Every value comes from korvalen.so, loaded and called by the stand-in host
// exactly as the host system calls it.
#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
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
#include "cli/numbers.hpp"
#include "cli/ranges.hpp"

namespace cli {
namespace {

namespace fs = std::filesystem;

constexpr char kUsage[] =
    "usage: ljungcv [--module PATH] [--digits D] (N ALPHA [METHOD] | table [OPTIONS] | "
    "batch [FILE|-] | describe | --version)\nsee ljungcv --help\n";

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

int usage_error(const std::string& what) {
  std::cerr << "ljungcv: " << what << '\n' << kUsage;
  return kExitUsage;
}

int run(int argc, char** argv) {
  // --table, --batch and --describe are spellings of the subcommands.
  std::vector<std::string> words(argv + 1, argv + argc);
  for (auto& w : words) {
    if (w == "--table" || w == "--batch" || w == "--describe") {
      w = w.substr(2);
      break;
    }
  }

  CLI::App app{
      "LJUNGCV(n, alpha [, method]): the critical value for the largest of n absolute "
      "standardized statistics at level alpha (0 <= alpha <= 0.1)."};
  app.name("ljungcv");
  std::optional<std::string> module_path, digits_text;
  bool version = false;
  app.add_option("--module", module_path,
                 "the module file to load (default: the build tree's, else the installed one)");
  app.add_option("--digits", digits_text, "round values to this many decimals, 0 to 30");
  app.add_flag("--version", version, "print the tool's version and the module's release");

  std::string n_text, alpha_text, method_text;
  app.add_option("N", n_text, "number of statistics (truncated toward zero)");
  app.add_option("ALPHA", alpha_text, "significance level, 0 to 0.1");
  app.add_option("METHOD", method_text,
                 "the method keyword: L (asymptotic) or C (corrected, the default)");

  auto* table = app.add_subcommand("table", "a table over lists or ranges of n and alpha");
  std::string n_list = "2,5,10,20,50,100,200,500,1000", alpha_list = "0.01,0.05,0.1";
  std::string methods = "both";
  bool csv = false;
  std::string max_rows_text = std::to_string(kDefaultMaxRows);
  table->add_option("--n", n_list, "n values: a,b,c or START:END:STEP or START:END:*FACTOR")
      ->capture_default_str();
  table->add_option("--alpha", alpha_list, "alpha values, in the same forms")
      ->capture_default_str();
  table->add_option("--method", methods, "a method keyword, both, or default")
      ->capture_default_str();
  table->add_flag("--csv", csv, "n,alpha,method,value,status,message rows");
  table->add_option("--max-rows", max_rows_text, "refuse a table of more rows than this")
      ->capture_default_str();

  auto* batch =
      app.add_subcommand("batch", "rows n,alpha[,method] from a file or standard input (-)");
  std::string batch_file = "-";
  batch->add_option("FILE", batch_file, "input file; - is standard input");

  auto* describe = app.add_subcommand("describe", "what the host learns from registration");
  for (CLI::App* sub : {table, batch, describe}) sub->fallthrough();
  app.require_subcommand(0, 1);

  std::vector<std::string> reversed(words.rbegin(), words.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return usage_error(e.what());
  }
  const bool single = !version && !*table && !*batch && !*describe;
  if (single && (n_text.empty() || alpha_text.empty()))
    return usage_error("N and ALPHA are needed");
  if (!single && !n_text.empty()) return usage_error("unexpected argument '" + n_text + "'");

  std::optional<int> digits;
  if (digits_text) {
    const auto d = parse_whole(*digits_text, 0, 30);
    if (!d)
      return usage_error("--digits: '" + *digits_text + "' is not a whole number from 0 to 30");
    digits = static_cast<int>(*d);
  }
  const auto max_rows = parse_whole(max_rows_text, 1, UINT64_MAX);
  if (!max_rows) {
    const bool whole = !max_rows_text.empty() &&
                       max_rows_text.find_first_not_of("0123456789") == std::string::npos;
    return usage_error("--max-rows: '" + max_rows_text + "' " +
                       (whole && max_rows_text.find_first_not_of('0') != std::string::npos
                            ? "is more than ljungcv can count (18446744073709551615)"
                            : "is not a whole number of 1 or more"));
  }

  Request request{};
  std::optional<NumberList> ns, alphas;
  if (*table) {
    try {
      ns.emplace(n_list, "--n", *max_rows);
      alphas.emplace(alpha_list, "--alpha", *max_rows);
    } catch (const ListError& e) {
      return usage_error(e.what());
    }
    const double rows = static_cast<double>(ns->size()) * static_cast<double>(alphas->size()) *
                        (methods == "both" ? 2.0 : 1.0);
    if (rows > static_cast<double>(*max_rows)) {
      return usage_error("the table would have " + format_number(rows) + " rows, more than the " +
                         std::to_string(*max_rows) + " allowed (see --max-rows)");
    }
  } else if (single) {
    const auto n = parse_number(n_text), alpha = parse_number(alpha_text);
    if (!n) return usage_error("N: '" + n_text + "' is not a decimal number");
    if (!alpha) return usage_error("ALPHA: '" + alpha_text + "' is not a decimal number");
    request = {*n, *alpha,
               app.count("METHOD") ? std::optional<std::string_view>(method_text) : std::nullopt};
  }

  std::string path;
  try {
    path = module_path ? module_file(*module_path) : default_module();
  } catch (const std::runtime_error& e) {
    std::cerr << "ljungcv: " << e.what() << '\n';
    return kExitNoModule;
  }

  int input = STDIN_FILENO;
  std::string input_name = "standard input";
  if (*batch && batch_file != "-") {
    input = open(batch_file.c_str(), O_RDONLY | O_CLOEXEC);
    input_name = batch_file;
    if (input < 0) {
      std::cerr << "ljungcv: cannot read " << batch_file << ": " << std::strerror(errno) << '\n';
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
    Context context{*module, explainer, digits, out};
    try {
      if (version) {
        status = run_version(*module, path, out);
      } else if (*describe) {
        status = run_describe(*module, path, out);
      } else if (*table) {
        status = run_table(context, *ns, *alphas, methods, csv);
      } else if (*batch) {
        status = run_batch(context, input, input_name);
      } else {
        status = run_single(context, request);
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
  try {
    return cli::run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cerr << "ljungcv: out of memory\n";  // before any row
    return cli::kExitOsError;
  }
}
