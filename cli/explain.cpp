// Reasons from the C library, checked against the loaded module.
#include "cli/explain.hpp"

#include <korvalen/korvalen.h>

#include <cstring>

namespace cli {
namespace {

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

std::string Explainer::sentence(const Request& r, const host::Evaluation& e) {
  if (e.is(module::Status::kSuccess)) return {};
  // The method's bytes as given, NULs and all, as the module read them; one
  // evaluation gives the library's result and its sentence.
  const char* keyword = r.method ? r.method->data() : nullptr;
  const std::size_t bytes = r.method ? r.method->size() : 0;
  char buffer[1024];  // a sentence quotes at most a few dozen bytes of a method
  korvalen_result mine;
  const std::size_t length =
      korvalen_explain_bytes(r.n, r.alpha, keyword, bytes, buffer, sizeof buffer, &mine);
  if (!same_bits(mine.value, e.value) || mine.status != e.status || mine.rejected != e.flagged) {
    disagreed_ = true;
    return "status " + std::to_string(e.status);
  }
  if (length < sizeof buffer) return std::string(buffer, length);
  std::string text(length, '\0');
  korvalen_explain_bytes(r.n, r.alpha, keyword, bytes, text.data(), text.size() + 1, nullptr);
  return text;
}

std::string Explainer::disagreement(const std::string& module_path) {
  return "the module " + module_path + " gave results that libkorvalen " + korvalen_version() +
         " does not give for the same arguments; their reasons are not given";
}

}  // namespace cli
