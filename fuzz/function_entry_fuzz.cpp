// LJUNGCV through argument records built from the fuzz input: n and alpha as
// raw bit patterns, count 2 or 3, any method length and bytes, both routes.
// Checks the statuses, the result, the flags, that nothing else is written,
// and every value against the numeric core through an independent reading of
// the method keyword.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "critval/critval.hpp"
#include "guarded.hpp"
#include "host/module.hpp"
#include "module/exports.h"
#include "test_support.hpp"

namespace {

// The host contract's statuses, as the oracle's own numbers.
constexpr std::int32_t kInvalid = 120836, kMissingResult = 120833;

host::Host& the_host() {
  static host::Host host;
  static bool entered = (mcn_main(host.control_block(), host.pidb()), true);
  (void)entered;
  return host;
}

std::uint64_t bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, 8);
  return b;
}

// 0: rejected, 1: asymptotic, 2: corrected.
int reference_method(const std::string& characters) {
  std::size_t first = characters.find_first_not_of(' ');
  if (first == std::string::npos) return 0;
  const std::size_t last = characters.find_last_not_of(' ');
  std::string word = characters.substr(first, last - first + 1);
  if (word.size() > 9) return 0;
  for (char& c : word)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  // The keywords written out here, not taken from the module's own list: one
  // of them, or a run of consecutive ones joined by single blanks.
  static const char* const kWords[] = {"L", "C", "CORR", "CORRECT", "LJUNG", "CORRECTED"};
  for (std::size_t i = 0; i < std::size(kWords); ++i) {
    std::string run;
    for (std::size_t j = i; j < std::size(kWords) && run.size() <= 9; ++j) {
      run += (j > i ? " " : "") + std::string(kWords[j]);
      if (run == word) return word[0] == 'L' ? 1 : 2;
    }
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  host::Host& host = the_host();
  fuzzing::Reader in(data, size);
  const double n = std::bit_cast<double>(in.take<std::uint64_t>());
  const double alpha = std::bit_cast<double>(in.take<std::uint64_t>());
  const std::uint8_t shape = in.take<std::uint8_t>();
  const std::int32_t length = static_cast<std::int32_t>(in.take<std::int8_t>());  // -128..127
  const std::int64_t count = (shape & 1) ? 3 : 2;
  const bool negative_count = (shape & 6) == 6;
  host.set_service_route((shape & 8) != 0);
  const std::uint8_t flag_bits = (shape & 0x10) ? 0xFE : 0x00;

  // The method's characters, flush against an inaccessible page.
  const std::size_t available = length > 0 ? static_cast<std::size_t>(length) : 0;
  fuzzing::GuardedBytes characters(available, fuzzing::GuardedBytes::Edge::kEnd);
  for (std::size_t i = 0; i < available; ++i) {
    characters.data()[i] = in.remaining() ? static_cast<char>(in.rest()[i % in.remaining()]) : ' ';
  }
  const std::string text_before(characters.data(), available);

  // Record, descriptor, values and result inside guard patterns.
  struct Frame {
    std::uint8_t guard0[32];
    module::ArgumentRecord record;
    std::uint8_t guard1[32];
    module::CharacterValue descriptor;
    double n, alpha, result;
    std::uint8_t guard2[32];
  } frame, before;
  std::memset(&frame, 0x5A, sizeof frame);
  frame.record.count = negative_count ? -count : count;
  frame.descriptor.length = length;
  frame.descriptor.characters = characters.data();
  frame.n = n;
  frame.alpha = alpha;
  const void* values[3] = {&frame.n, &frame.alpha, &frame.descriptor};
  for (int i = 0; i < 3; ++i) {
    frame.record.arguments[i].flags = flag_bits;
    frame.record.arguments[i].value = values[i];
  }
  std::memcpy(&before, &frame, sizeof frame);

  const std::int32_t status = uwfljungcv(&frame.record, &frame.result);

  // Nothing but the result and bit 0 of the flag bytes changed.
  int flagged = 0, flags_set = 0;
  for (int i = 0; i < 3; ++i) {
    const std::uint8_t f = frame.record.arguments[i].flags;
    FUZZ_CHECK((f & 0xFE) == flag_bits);  // the other bits are kept
    if (f & 1) {
      flagged = i + 1;
      ++flags_set;
    }
    frame.record.arguments[i].flags = flag_bits;
  }
  FUZZ_CHECK(flags_set <= 1);
  const double result = frame.result;
  frame.result = before.result;
  FUZZ_CHECK(std::memcmp(&frame, &before, sizeof frame) == 0);
  FUZZ_CHECK(std::string(characters.data(), available) == text_before);

  // Statuses, flags and the result against an independent reading.
  FUZZ_CHECK(status == 0 || status == kMissingResult || status == kInvalid);
  FUZZ_CHECK((bits(result) == testing_support::kMissingBits) == (status != 0));

  int expected_flag = 0;
  int method = 2;
  if (std::isnan(n)) {
    expected_flag = 1;
  } else if (!(alpha >= 0.0 && alpha <= 0.1)) {
    expected_flag = 2;
  } else if (!negative_count && count == 3) {
    method = length < 0 ? 0 : reference_method(text_before);
    if (method == 0) expected_flag = 3;
  }
  FUZZ_CHECK(flagged == expected_flag);
  FUZZ_CHECK((status == kInvalid) == (expected_flag != 0));
  if (expected_flag != 0) return 0;

  const double t = std::trunc(n);
  const std::int64_t count_n = (t >= -9223372036854775808.0 && t < 9223372036854775808.0)
                                   ? static_cast<std::int64_t>(t)
                                   : INT64_MIN;
  double value =
      (method == 1 ? critval::asymptotic(count_n, alpha) : critval::corrected(count_n, alpha))
          .value_or(testing_support::kMissing);
  // No value below the value for a single statistic, for n >= 2.
  std::int64_t fault = 0;
  const double single = critval::normal_quantile(1.0 - 0.5 * alpha, fault);
  if (count_n >= 2 && fault == 0 && value < single) value = testing_support::kMissing;
  if (std::isnan(value)) {
    FUZZ_CHECK(status == kMissingResult);
  } else {
    FUZZ_CHECK(status == 0 && bits(result) == bits(value));
  }
  return 0;
}
