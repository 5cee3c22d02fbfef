// Why a call gave no value, in the C library's words. The values come from
// the loaded module; the library gives the reason only where it agrees with
// the module on that very call (value, status and flag), so that a module of
// another build is never explained by this build's rules.
#pragma once

#include <korvalen/korvalen.h>

#include <bit>
#include <optional>
#include <string>
#include <string_view>

#include "host/module.hpp"

namespace cli {

class Explainer {
 public:
  // The sentence for the module's evaluation of LJUNGCV(n, alpha [, method])
  // (the method's bytes as given, NULs and all), "" for a value; "status N"
  // alone where the library disagrees. Valid until the next call.
  std::string_view sentence(double n, double alpha, const std::optional<std::string_view>& method,
                            const host::Evaluation& e) {
    if (e.is(module::Status::kSuccess)) return {};
    const char* keyword = method ? method->data() : nullptr;
    const std::size_t bytes = method ? method->size() : 0;
    korvalen_result mine;
    const std::size_t length =
        korvalen_explain_bytes(n, alpha, keyword, bytes, text_.data(), text_.size() + 1, &mine);
    if (std::bit_cast<std::uint64_t>(mine.value) != std::bit_cast<std::uint64_t>(e.value) ||
        mine.status != e.status || mine.rejected != e.flagged) {
      disagreed_ = true;
      return text_ = "status " + std::to_string(e.status);
    }
    if (length > text_.size()) {  // a longer sentence, written in full
      text_.resize(length);
      korvalen_explain_bytes(n, alpha, keyword, bytes, text_.data(), length + 1, nullptr);
    }
    return std::string_view(text_.data(), length);
  }

  // Whether the library disagreed on any call, and the line that says so.
  bool disagreed() const { return disagreed_; }
  static std::string disagreement(const std::string& module_path) {
    return "the module " + module_path + " gave results that libkorvalen " + korvalen_version() +
           " does not give for the same arguments; their reasons are not given";
  }

 private:
  bool disagreed_ = false;
  std::string text_ = std::string(1024, '\0');  // room for the sentences of most methods
};

}  // namespace cli
