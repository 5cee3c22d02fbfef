// ljungcv's command line, read with CLI11 and checked.
#include "cli/options.hpp"

#include <CLI/CLI.hpp>
#include <cstdint>

#include "cli/jobs.hpp"
#include "cli/numbers.hpp"

namespace cli {
namespace {

// What is wrong with the command line; CLI11's errors and ListError are such errors too.
using UsageError = std::runtime_error;

// Keywords separated by commas: "both" is C and L, "default" no keyword.
std::vector<std::optional<std::string>> method_list(std::string_view text) {
  std::vector<std::optional<std::string>> methods;
  for_each_item(text, [&](std::string_view item) {
    if (item == "both") {
      methods.insert(methods.end(), {"C", "L"});
    } else {
      methods.push_back(item == "default" ? std::nullopt : std::optional<std::string>(item));
    }
  });
  return methods;
}

}  // namespace

std::optional<Options> parse_options(int argc, char** argv, int& exit) {
  // --table, --batch and --describe are spellings of the subcommands; CLI11
  // takes the words last first.
  std::vector<std::string> words(argv + 1, argv + argc);
  const auto spelled = std::find_if(words.begin(), words.end(), [](const std::string& w) {
    return w == "--table" || w == "--batch" || w == "--describe";
  });
  if (spelled != words.end()) spelled->erase(0, 2);
  std::reverse(words.begin(), words.end());

  CLI::App app{
      "LJUNGCV(n, alpha [, method]): the critical value for the largest of n absolute "
      "standardized statistics at the nominal level alpha (0 <= alpha <= 0.1)."};
  app.name("ljungcv");
  Options o;
  std::optional<std::string> digits;
  std::string n, alpha, method, ns = "2,5,10,20,50,100,200,500,1000", alphas = "0.01,0.05,0.1",
                                methods = "both", max_rows = "1000000";
  bool version = false;
  app.add_option("--module", o.module_path, "the module file to load (default: the build tree's)")
      ->type_name("PATH");
  app.add_option("--digits", digits, "round values to this many decimals")->type_name("0..30");
  app.add_flag("--version", version, "print the tool's version and the module's release");
  app.add_option("N", n, "number of statistics (truncated toward zero)")->type_name("NUMBER");
  app.add_option("ALPHA", alpha, "nominal level, 0 to 0.1")->type_name("NUMBER");
  app.add_option("METHOD", method, "L (asymptotic) or C (corrected, the default)")
      ->type_name("KEYWORD");
  auto* table = app.add_subcommand("table", "a table over lists or ranges of n and alpha");
  const auto list = [&](const char* name, std::string& text, const char* what) {
    return table->add_option(name, text, what)->type_name("LIST")->capture_default_str();
  };
  list("--n", ns, "numbers and ranges START:END:STEP or START:END:*FACTOR");
  list("--alpha", alphas, "in the same forms");
  list("--method", methods, "keywords; both is C,L, default no keyword");
  table->add_flag("--csv", o.csv, "n,alpha,method,value,status,message rows");
  table->add_flag("--level", o.level, "a level column: each value's for independent statistics");
  list("--max-rows", max_rows, "refuse a table of more rows than this")->type_name("COUNT");
  auto* batch = app.add_subcommand("batch", "rows n,alpha[,method] from a file or standard input");
  batch->add_option("FILE", o.batch_file, "input file; - is standard input")->type_name("FILE");
  auto* exact =
      app.add_subcommand("exact", "the value whose level for N independent statistics is ALPHA");
  exact->add_option("N", n, "number of statistics")->type_name("NUMBER")->required();
  exact->add_option("ALPHA", alpha, "level, 0 to 1")->type_name("NUMBER")->required();
  auto* describe = app.add_subcommand("describe", "what the host learns from registration");
  for (CLI::App* sub : {table, batch, exact, describe}) sub->fallthrough();
  app.require_subcommand(0, 1);
  try {
    app.parse(words);
    o.job = version     ? Job::kVersion
            : *describe ? Job::kDescribe
            : *table    ? Job::kTable
            : *batch    ? Job::kBatch
            : *exact    ? Job::kExact
                        : Job::kSingle;
    const bool call = o.job == Job::kSingle || o.job == Job::kExact;
    if (call && (n.empty() || alpha.empty())) throw UsageError{"N and ALPHA are needed"};
    if (!call && !n.empty()) throw UsageError{"unexpected argument '" + n + "'"};
    if (digits) {
      const auto d = parse_whole(*digits, 0, 30);
      if (!d) throw UsageError{"--digits: '" + *digits + "' is not a whole number from 0 to 30"};
      o.digits = static_cast<int>(*d);
    }
    const auto rows = parse_whole(max_rows, 1, UINT64_MAX);
    if (!rows) {
      const bool count = max_rows.find_first_not_of("0123456789") == std::string::npos &&
                         max_rows.find_first_not_of('0') != std::string::npos;
      throw UsageError{"--max-rows: '" + max_rows + "' " +
                       (count ? "is more than ljungcv can count (18446744073709551615)"
                              : "is not a whole number of 1 or more")};
    }
    if (o.job == Job::kTable) {
      o.ns.emplace(ns, "--n", *rows);
      o.alphas.emplace(alphas, "--alpha", *rows);
      o.methods = method_list(methods);
      const double size = static_cast<double>(o.ns->size()) *
                          static_cast<double>(o.alphas->size()) *
                          static_cast<double>(o.methods.size());
      if (size > static_cast<double>(*rows)) {
        throw UsageError{"the table would have " + format_value(size) + " rows, more than the " +
                         std::to_string(*rows) + " allowed (see --max-rows)"};
      }
    } else if (call) {
      const auto call_n = parse_number(n), call_alpha = parse_number(alpha);
      if (!call_n) throw UsageError{"N: '" + n + "' is not a decimal number"};
      if (!call_alpha) throw UsageError{"ALPHA: '" + alpha + "' is not a decimal number"};
      o.n = *call_n;
      o.alpha = *call_alpha;
      if (app.count("METHOD")) o.method = method;
    }
    exit = kExitOk;
    return o;
  } catch (const CLI::CallForHelp& e) {
    exit = app.exit(e);
    return std::nullopt;
  } catch (const UsageError& e) {
    say(e.what());
  }
  std::cerr << "usage: ljungcv [--module PATH] [--digits D] (N ALPHA [METHOD] | table [OPTIONS] | "
               "batch [FILE|-] | exact N ALPHA | describe | --version)\nsee ljungcv --help\n";
  exit = kExitUsage;
  return std::nullopt;
}

}  // namespace cli
