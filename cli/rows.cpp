// The rows of tables and batches.
#include "cli/rows.hpp"

#include "cli/csv.hpp"
#include "cli/numbers.hpp"

namespace cli {
namespace {

void pad(std::string& row, std::string_view text, std::size_t width, bool right) {
  const std::size_t fill = text.size() < width ? width - text.size() : 0;
  if (right) row.append(fill, ' ');
  row.append(text);
  if (!right) row.append(fill, ' ');
}

}  // namespace

std::string_view status_word(const host::Evaluation& e) {
  if (e.is(module::Status::kSuccess)) return "ok";
  if (e.is(module::Status::kMissingResult)) return "missing";
  return e.is(module::Status::kInvalidArgument) ? "rejected" : "unknown";
}

void append_result(std::string& row, const host::Evaluation& e, std::optional<int> digits,
                   std::string_view message) {
  if (e.is(module::Status::kSuccess)) append_value(row, e.value, digits);
  row += ',';
  row += status_word(e);
  row += ',';
  if (!message.empty()) append_field(row, message);
  row += '\n';
}

void append_text_row(std::string& row, std::string_view n, std::string_view alpha,
                     std::string_view method, std::string_view value, std::string_view status) {
  pad(row, n, 12, true);
  row += ' ';
  pad(row, alpha, 10, true);
  row += ' ';
  pad(row, method, 9, false);
  row += ' ';
  pad(row, value, 20, true);
  row += "  ";
  row += status;
  row += '\n';
}

}  // namespace cli
