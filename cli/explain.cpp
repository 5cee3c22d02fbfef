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

std::string_view Explainer::sentence(const Request& r, const host::Evaluation& e) {
  if (e.is(module::Status::kSuccess)) return {};
  // The method's bytes as given, NULs and all, as the module read them; one
  // evaluation gives the library's result and its sentence.
  const char* keyword = r.method ? r.method->data() : nullptr;
  const std::size_t bytes = r.method ? r.method->size() : 0;
  constexpr std::size_t kRoom = 1024;  // a sentence quotes at most a few dozen bytes of a method
  if (text_.size() < kRoom) text_.resize(kRoom);
  korvalen_result mine;
  const std::size_t length =
      korvalen_explain_bytes(r.n, r.alpha, keyword, bytes, text_.data(), text_.size() + 1, &mine);
  if (!same_bits(mine.value, e.value) || mine.status != e.status || mine.rejected != e.flagged) {
    disagreed_ = true;
    text_ = "status " + std::to_string(e.status);
    return text_;
  }
  if (length > text_.size()) {
    text_.resize(length);
    korvalen_explain_bytes(r.n, r.alpha, keyword, bytes, text_.data(), text_.size() + 1, nullptr);
  }
  return std::string_view(text_.data(), length);
}

std::string Explainer::disagreement(const std::string& module_path) {
  return "the module " + module_path + " gave results that libkorvalen " + korvalen_version() +
         " does not give for the same arguments; their reasons are not given";
}

}  // namespace cli
