// The method keyword's lookup.
#include "critval/keyword.hpp"

namespace critval {

namespace {

// Every run of whole words of the list no longer than kLongestKeyword: what
// the list, framed in blanks, holds between two blanks. Compared one by one,
// lengths first, where a search of the list scans it for each call.
struct Runs {
  std::string_view text[16];
  std::size_t count = 0;
};

constexpr Runs runs_of(std::string_view list) {
  Runs runs;
  for (std::size_t start = 1; start < list.size(); start = list.find(kBlank, start) + 1) {
    for (std::size_t end = list.find(kBlank, start); end != std::string_view::npos;
         end = list.find(kBlank, end + 1)) {
      if (end - start > kLongestKeyword) break;
      runs.text[runs.count++] = list.substr(start, end - start);
    }
  }
  return runs;
}

constexpr Runs kRuns = runs_of(kKeywords);
static_assert(kRuns.count == 9, "L, C, CORR, CORRECT, LJUNG, CORRECTED, L C, C CORR, L C CORR");

}  // namespace

std::optional<Method> method_of_keyword(std::string_view keyword) {
  for (std::size_t i = 0; i < kRuns.count; ++i) {
    if (kRuns.text[i] == keyword) {
      return keyword[0] == 'L' ? Method::kAsymptotic : Method::kCorrected;
    }
  }
  return std::nullopt;
}

}  // namespace critval
