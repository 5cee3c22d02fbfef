// ljungcv's command line, read with CLI11 and checked.
#include "cli/options.hpp"

#include <CLI/CLI.hpp>
#include <cstdint>
#include <iostream>
#include <vector>

#include "cli/exit.hpp"
#include "cli/jobs.hpp"
#include "cli/numbers.hpp"

namespace cli {
namespace {

constexpr char kUsage[] =
    "usage: ljungcv [--module PATH] [--digits D] (N ALPHA [METHOD] | table [OPTIONS] | "
    "batch [FILE|-] | describe | --version)\nsee ljungcv --help\n";

Parsed usage_error(const std::string& what) {
  std::cerr << "ljungcv: " << what << '\n' << kUsage;
  return {std::nullopt, kExitUsage};
}

}  // namespace

Parsed parse_options(int argc, char** argv) {
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
    return {std::nullopt, app.exit(e)};
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

  Options o;
  o.job = version     ? Job::kVersion
          : *describe ? Job::kDescribe
          : *table    ? Job::kTable
          : *batch    ? Job::kBatch
                      : Job::kSingle;
  o.module_path = module_path;
  o.digits = digits;
  o.methods = methods;
  o.csv = csv;
  o.batch_file = batch_file;
  if (*table) {
    try {
      o.ns.emplace(n_list, "--n", *max_rows);
      o.alphas.emplace(alpha_list, "--alpha", *max_rows);
    } catch (const ListError& e) {
      return usage_error(e.what());
    }
    const double rows = static_cast<double>(o.ns->size()) * static_cast<double>(o.alphas->size()) *
                        (methods == "both" ? 2.0 : 1.0);
    if (rows > static_cast<double>(*max_rows)) {
      return usage_error("the table would have " + format_number(rows) + " rows, more than the " +
                         std::to_string(*max_rows) + " allowed (see --max-rows)");
    }
  } else if (single) {
    const auto n = parse_number(n_text), alpha = parse_number(alpha_text);
    if (!n) return usage_error("N: '" + n_text + "' is not a decimal number");
    if (!alpha) return usage_error("ALPHA: '" + alpha_text + "' is not a decimal number");
    o.n = *n;
    o.alpha = *alpha;
    if (app.count("METHOD")) o.method = method_text;
  }
  return {std::move(o), kExitOk};
}

}  // namespace cli
