// The method keyword: which method a field names, read as the host reads it
// (blanks trimmed, upper-cased by the caller's translation, looked up).
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace critval {

enum class Method : std::uint8_t { kCorrected, kAsymptotic };

// The method keywords, framed and separated by single blanks. A keyword
// beginning with L selects the asymptotic method.
inline constexpr std::string_view kKeywords = " L C CORR CORRECT LJUNG CORRECTED ";
inline constexpr std::size_t kLongestKeyword = 9;  // "CORRECTED"
inline constexpr char kBlank = ' ';                // the only byte trimmed

// The text from the first to the last non-blank byte; empty (at the field's
// start) for none. No bounds-checked call: the module has no C++ runtime.
constexpr std::string_view trim_blanks(std::string_view field) {
  const std::size_t first = field.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return std::string_view(field.data(), 0);
  return std::string_view(field.data() + first, field.find_last_not_of(kBlank) - first + 1);
}

// The method of a trimmed, upper-cased keyword: one word of the list, or a run
// of single-blank-separated words of it no longer than kLongestKeyword.
std::optional<Method> method_of_keyword(std::string_view keyword);

// The method a keyword field names: blanks trimmed, at most kLongestKeyword
// bytes copied and upper-cased by upper(char*, size) (the host's translation,
// or ASCII), then looked up. None for a blank, long or unknown keyword.
template <typename UpperCase>
std::optional<Method> read_method(std::string_view field, UpperCase&& upper) {
  const std::string_view text = trim_blanks(field);
  if (text.empty() || text.size() > kLongestKeyword) return std::nullopt;
  char keyword[kLongestKeyword];
  std::memcpy(keyword, text.data(), text.size());
  upper(keyword, text.size());
  return method_of_keyword(std::string_view(keyword, text.size()));
}

// a to z upper-cased in place, every other byte kept.
inline void ascii_upper(char* text, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
  }
}

}  // namespace critval
