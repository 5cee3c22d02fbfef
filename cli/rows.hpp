// The rows of tables and batches: n,alpha,method,value,status,message in CSV,
// or aligned text columns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/module.hpp"

namespace cli {

inline constexpr char kCsvHeader[] = "n,alpha,method,value,status,message\n";

// "ok", "missing" or "rejected" ("unknown" for another status).
std::string_view status_word(const host::Evaluation& e);

// value,status,message and the line end, after a row's first three fields.
void append_result(std::string& row, const host::Evaluation& e, std::optional<int> digits,
                   std::string_view message);

// One aligned text row: n, alpha and value right-aligned, method left-aligned;
// wider texts widen their column instead of being cut.
void append_text_row(std::string& row, std::string_view n, std::string_view alpha,
                     std::string_view method, std::string_view value, std::string_view status);

}  // namespace cli
