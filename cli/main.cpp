// ljungcv: LJUNGCV critical values in a shell, through the real module.
//
//   ljungcv 100 0.05            -> 3.810087571983974
//   ljungcv table --n 10:100:10 --alpha 0.01,0.05 --csv
//   ljungcv batch < rows.csv    (rows of n,alpha[,method])
//
// Every value comes from korvalen.so, loaded and called by the stand-in host
// exactly as the host system calls it.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/messages.hpp"

namespace cli {
namespace {

namespace fs = std::filesystem;

// The module beside the executable (build tree), else the installed one.
std::string default_module() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return "korvalen.so";
  const fs::path here = self.parent_path() / "korvalen.so";
  if (fs::exists(here)) return here.string();
  return (self.parent_path() / KORVALEN_INSTALLED_MODULE).lexically_normal().string();
}

// A list of numbers: items separated by commas, each a number, a range
// START:STOP:STEP, or a geometric range START:STOP:*FACTOR.
std::vector<double> parse_list(const std::string& text, const char* what) {
  std::vector<double> values;
  std::stringstream items(text);
  std::string item;
  auto fail = [&] {
    throw CLI::ValidationError(what, "cannot read '" + item + "' as a number or range");
  };
  while (std::getline(items, item, ',')) {
    std::vector<std::string> parts;
    std::stringstream pieces(item);
    for (std::string part; std::getline(pieces, part, ':');) parts.push_back(part);
    if (parts.size() == 1) {
      const auto v = parse_number(parts[0]);
      if (!v) fail();
      values.push_back(*v);
    } else if (parts.size() == 3) {
      const bool geometric = !parts[2].empty() && parts[2][0] == '*';
      const auto start = parse_number(parts[0]), stop = parse_number(parts[1]);
      const auto step = parse_number(geometric ? parts[2].substr(1) : parts[2]);
      if (!start || !stop || !step || !(geometric ? *step > 1.0 : *step > 0.0)) fail();
      for (int k = 0;; ++k) {
        const double v = geometric ? *start * std::pow(*step, k) : *start + k * *step;
        if (v > *stop * (1 + 1e-12) || values.size() > 1000000) break;
        values.push_back(v);
      }
    } else {
      fail();
    }
  }
  return values;
}

std::optional<std::string> method_argument(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text;
}

// A CSV field, quoted when it holds a comma or a quote.
std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string method_label(const std::optional<std::string>& method) {
  return method ? *method : "default";
}

int run_single(const host::Module& module, const Request& r, std::optional<int> digits) {
  const host::Evaluation e = module.evaluate(r.n, r.alpha, r.method);
  if (e.status == 0) {
    std::cout << format_value(e.value, digits) << '\n';
  } else {
    std::cerr << "ljungcv: " << explain(module, r, e) << '\n';
  }
  return exit_for(e.status);
}

int run_table(const host::Module& module, const std::vector<double>& ns,
              const std::vector<double>& alphas, const std::string& methods, bool csv,
              std::optional<int> digits) {
  std::vector<std::optional<std::string>> chosen;
  if (methods == "both") {
    chosen = {std::string("C"), std::string("L")};
  } else {
    chosen = {method_argument(methods)};
  }
  const char* header[] = {"n", "alpha", "method", "value", "status"};
  if (csv) {
    std::cout << "n,alpha,method,value,status\n";
  } else {
    std::printf("%12s %10s %-9s %20s  %s\n", header[0], header[1], header[2], header[3], header[4]);
  }
  int worst = kExitOk;
  for (const auto& method : chosen) {
    for (double alpha : alphas) {
      for (double n : ns) {
        const host::Evaluation e = module.evaluate(n, alpha, method);
        const std::string value = e.status == 0 ? format_value(e.value, digits) : "";
        if (e.status != 0) worst = std::max<int>(worst, exit_for(e.status));
        if (csv) {
          std::cout << format_number(n) << ',' << format_number(alpha) << ','
                    << method_label(method) << ',' << value << ',' << status_word(e.status) << '\n';
        } else {
          std::printf("%12s %10s %-9s %20s  %s\n", format_number(n).c_str(),
                      format_number(alpha).c_str(), method_label(method).c_str(),
                      e.status == 0 ? value.c_str() : "-",
                      std::string(status_word(e.status)).c_str());
        }
      }
    }
  }
  return worst;
}

// Rows of n,alpha[,method] in, rows of n,alpha,method,value,status,message out;
// one row at a time, so memory stays constant whatever the input's size.
int run_batch(const host::Module& module, std::istream& in, std::optional<int> digits) {
  const bool progress = isatty(STDERR_FILENO) != 0;
  std::cout << "n,alpha,method,value,status,message\n";
  std::string line;
  std::uint64_t row = 0;
  while (std::getline(in, line)) {
    ++row;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (row == 1 && line.rfind("n,", 0) == 0) continue;  // a header row
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
         start = comma + 1) {
      fields.push_back(line.substr(start, comma - start));
    }
    fields.push_back(line.substr(start));

    fields.resize(std::max<std::size_t>(fields.size(), 3));  // pad absent columns
    const bool shaped = fields.size() == 3 && !fields[1].empty();
    const auto n = parse_number(fields[0]);
    const auto alpha = parse_number(fields[1]);
    std::cout << fields[0] << ',' << fields[1] << ',' << fields[2] << ',';
    if (!shaped || !n || !alpha) {
      std::cout << ",error,"
                << csv_field("line " + std::to_string(row) +
                             ": expected n,alpha[,method] with n and alpha numbers")
                << '\n';
      continue;
    }
    const Request r{*n, *alpha,
                    line.find(',', line.find(',') + 1) != std::string::npos
                        ? std::optional(fields[2])
                        : std::nullopt};
    const host::Evaluation e = module.evaluate(r.n, r.alpha, r.method);
    std::cout << (e.status == 0 ? format_value(e.value, digits) : "") << ','
              << status_word(e.status) << ',' << csv_field(explain(module, r, e)) << '\n';
    if (progress && row % 100000 == 0) std::cerr << "\rljungcv: " << row << " rows" << std::flush;
  }
  if (progress && row >= 100000) std::cerr << "\rljungcv: " << row << " rows, done\n";
  return kExitOk;
}

int run_version(const host::Module& module, const std::string& path) {
  const kmodule::ImageInformation& image = module.image();
  const kmodule::VersionControlBlock block = module.version_block();
  std::cout << "korvalen " << std::string(image.release_id, 16) << " built "
            << std::string(image.build_date, 11) << '\n'
            << "release " << block.release_id << ", build time " << block.build_stamp << '\n'
            << "module " << path << '\n';
  return kExitOk;
}

int run_describe(const host::Module& module, const std::string& path) {
  const kmodule::FunctionDescriptor& d = module.descriptor();
  const kmodule::ModuleRecord& m = module.module_record();
  std::cout << "module    " << std::string(m.name, sizeof m.name) << " (" << path << ")\n"
            << "function  " << d.name << '\n'
            << "arguments " << d.min_arguments << " to " << d.max_arguments
            << ": n, alpha [, method]\n"
            << "methods   L, LJUNG (asymptotic); C, CORR, CORRECT, CORRECTED (corrected, the "
               "default)\n";
  return kExitOk;
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
  std::string module_path = default_module();
  std::optional<int> digits;
  bool version = false;
  app.add_option("--module", module_path, "the module file to load")->capture_default_str();
  app.add_option("--digits", digits, "round values to this many decimals")
      ->check(CLI::Range(0, 30));
  app.add_flag("--version", version, "print the module's release and build date");

  std::string n_text, alpha_text, method_text;
  app.add_option("N", n_text, "number of statistics (truncated toward zero)");
  app.add_option("ALPHA", alpha_text, "significance level, 0 to 0.1");
  app.add_option("METHOD", method_text, "L or LJUNG (asymptotic), C, CORR, CORRECT or CORRECTED");

  auto* table = app.add_subcommand("table", "a table over lists or ranges of n and alpha");
  std::string n_list = "2,5,10,20,50,100,200,500,1000", alpha_list = "0.01,0.05,0.1";
  std::string methods = "both";
  bool csv = false;
  table->add_option("--n", n_list, "n values: a,b,c or START:STOP:STEP or START:STOP:*FACTOR")
      ->capture_default_str();
  table->add_option("--alpha", alpha_list, "alpha values, in the same forms")
      ->capture_default_str();
  table->add_option("--method", methods, "a method keyword, or both")->capture_default_str();
  table->add_flag("--csv", csv, "comma-separated values instead of aligned columns");

  auto* batch = app.add_subcommand("batch", "rows n,alpha[,method] from a file or standard input");
  std::string batch_file;
  batch->add_option("FILE", batch_file, "input file (default: standard input)");

  auto* describe = app.add_subcommand("describe", "what the host learns from registration");
  app.require_subcommand(0, 1);

  std::vector<std::string> reversed(words.rbegin(), words.rend());
  try {
    app.parse(reversed);
    if (!version && !*table && !*batch && !*describe && (n_text.empty() || alpha_text.empty())) {
      throw CLI::ValidationError("N ALPHA", "both N and ALPHA are needed");
    }
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "ljungcv: " << e.what() << "\n\n" << app.help();
    return kExitUsage;
  }

  Request request{};
  std::vector<double> ns, alphas;
  try {
    if (*table) {
      ns = parse_list(n_list, "--n");
      alphas = parse_list(alpha_list, "--alpha");
    } else if (!version && !*batch && !*describe) {
      const auto n = parse_number(n_text), alpha = parse_number(alpha_text);
      if (!n) throw CLI::ValidationError("N", "'" + n_text + "' is not a number");
      if (!alpha) throw CLI::ValidationError("ALPHA", "'" + alpha_text + "' is not a number");
      request = {*n, *alpha, app.count("METHOD") ? std::optional(method_text) : std::nullopt};
    }
  } catch (const CLI::ParseError& e) {
    std::cerr << "ljungcv: " << e.what() << "\n\n" << app.help();
    return kExitUsage;
  }

  std::ifstream file;
  if (*batch && !batch_file.empty()) {
    file.open(batch_file);
    if (!file) {
      std::cerr << "ljungcv: cannot read " << batch_file << ": " << std::strerror(errno) << '\n';
      return kExitUsage;
    }
  }

  try {
    host::Host host;
    host::Module module(host, module_path);
    if (version) return run_version(module, module_path);
    if (*describe) return run_describe(module, module_path);
    if (*table) return run_table(module, ns, alphas, methods, csv, digits);
    if (*batch) return run_batch(module, batch_file.empty() ? std::cin : file, digits);
    return run_single(module, request, digits);
  } catch (const std::runtime_error& e) {
    std::cerr << "ljungcv: " << e.what() << '\n';
    return kExitNoModule;
  }
}

}  // namespace
}  // namespace cli

int main(int argc, char** argv) {
  return cli::run(argc, argv);
}
