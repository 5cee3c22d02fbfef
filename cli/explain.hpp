// Why a call gave no value, in the C library's words. The values come from
// the loaded module; the library gives the reason only where it agrees with
// the module on that very call (value, status and flag), so that a module of
// another build is never explained by this build's rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/module.hpp"

namespace cli {

struct Request {
  double n;
  double alpha;
  std::optional<std::string_view> method;  // none: the default (corrected) method
};

class Explainer {
 public:
  // The sentence for the module's evaluation, "" for a value; "status N"
  // alone where the library disagrees. Valid until the next call.
  std::string_view sentence(const Request& request, const host::Evaluation& evaluation);
  // Whether the library disagreed on any call.
  bool disagreed() const { return disagreed_; }
  // Takes on another's disagreements (one explainer for each thread).
  void absorb(const Explainer& other) { disagreed_ = disagreed_ || other.disagreed_; }
  // The line that says so.
  static std::string disagreement(const std::string& module_path);

 private:
  bool disagreed_ = false;
  std::string text_;  // the last sentence, its storage kept for the next
};

}  // namespace cli
