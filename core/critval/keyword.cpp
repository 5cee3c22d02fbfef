// The method keyword's lookup.
#include "critval/keyword.hpp"

namespace critval {

std::optional<Method> method_of_keyword(std::string_view keyword) {
  if (keyword.empty() || keyword.size() > kLongestKeyword) return std::nullopt;
  char framed[kLongestKeyword + 2];
  framed[0] = ' ';
  std::memcpy(framed + 1, keyword.data(), keyword.size());
  framed[keyword.size() + 1] = ' ';
  if (kKeywords.find(std::string_view(framed, keyword.size() + 2)) == std::string_view::npos) {
    return std::nullopt;
  }
  return keyword[0] == 'L' ? Method::kAsymptotic : Method::kCorrected;
}

}  // namespace critval
