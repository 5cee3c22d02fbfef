// Reasons from the C library, checked against the loaded module.
#include "cli/explain.hpp"

#include <korvalen/korvalen.h>

#include <cstring>

namespace cli {
namespace {

// A method as the C library reads it: NUL-terminated. A NUL inside can never
// be part of a keyword, so it is spelled \x00, which the library rejects as
// the module rejects the NUL and quotes as it quotes a control byte.
std::optional<std::string> terminated(std::optional<std::string_view> method) {
  if (!method) return std::nullopt;
  std::string text;
  for (const char c : *method) {
    if (c == '\0') {
      text += "\\x00";
    } else {
      text += c;
    }
  }
  return text;
}

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

std::string Explainer::sentence(const Request& r, const host::Evaluation& e) {
  if (e.status == kmodule::kSuccess) return {};
  const std::optional<std::string> method = terminated(r.method);
  const char* keyword = method ? method->c_str() : nullptr;
  const korvalen_result mine = korvalen_ljungcv(r.n, r.alpha, keyword);
  if (!same_bits(mine.value, e.value) || mine.status != e.status || mine.rejected != e.flagged) {
    disagreed_ = true;
    return "status " + std::to_string(e.status);
  }
  char buffer[512];  // a sentence quotes at most a few dozen bytes of a method
  const std::size_t length = korvalen_explain(r.n, r.alpha, keyword, buffer, sizeof buffer);
  if (length < sizeof buffer) return std::string(buffer, length);
  std::string text(length, '\0');
  korvalen_explain(r.n, r.alpha, keyword, text.data(), text.size() + 1);
  return text;
}

std::string Explainer::disagreement(const std::string& module_path) {
  return "the module " + module_path + " gave results that libkorvalen " + korvalen_version() +
         " does not give for the same arguments; their reasons are not given";
}

}  // namespace cli
