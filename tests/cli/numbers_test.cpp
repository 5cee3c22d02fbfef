// ljungcv's reading of numbers: its fast path for plain decimals gives what
// from_chars gives, bit for bit, and anything else goes the long way.
#include "cli/numbers.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// from_chars's reading; beyond the doubles' range, the nearest double.
std::optional<std::uint64_t> from_chars_bits(const std::string& text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range)
    value = std::strtod(text.c_str(), nullptr);
  else if (error != std::errc())
    return std::nullopt;
  return std::bit_cast<std::uint64_t>(value);
}

std::optional<std::uint64_t> parsed_bits(const std::string& text) {
  const auto v = cli::parse_number(text);
  return v ? std::optional(std::bit_cast<std::uint64_t>(*v)) : std::nullopt;
}

TEST(Numbers, PlainDecimalsAsFromCharsReadsThem) {
  std::mt19937_64 random(11);
  std::uniform_int_distribution<int> length(0, 18), digit(0, 9), exponent(-40, 40), pick(0, 9);
  for (int i = 0; i < 300000; ++i) {
    std::string text = pick(random) < 2 ? "-" : "";
    const int whole = length(random), fraction = pick(random) < 5 ? length(random) : -1;
    for (int k = 0; k < whole; ++k) text += static_cast<char>('0' + digit(random));
    if (fraction >= 0) {
      text += '.';
      for (int k = 0; k < fraction; ++k) text += static_cast<char>('0' + digit(random));
    }
    if (pick(random) < 3) {
      text += 'e';
      text += std::to_string(exponent(random));
    }
    ASSERT_EQ(parsed_bits(text), from_chars_bits(text)) << text;
  }
  for (const char* text :
       {".", "-", "1e", "1e+", ".e1", "0x10", "1.2.3", "1e5x", "--1", "-.5", "5.", "0.000", "-0",
        "1e99999", "123456789012345678", "9007199254740993"}) {
    EXPECT_EQ(parsed_bits(text), from_chars_bits(text)) << text;
  }
}

// A short field read with the bytes about it (digits and points too, which
// must not be taken for its own) reads as the field alone, wherever it lies.
TEST(Numbers, FieldsReadInPlaceAsAlone) {
  std::mt19937_64 random(12);
  std::uniform_int_distribution<int> length(0, 9), pick(0, 12), place(0, 2);
  const std::string bytes = "0123456789.-e+a";
  for (int i = 0; i < 300000; ++i) {
    std::string field, before, after;
    const int size = 1 + length(random) % 9;
    for (int k = 0; k < size; ++k)
      field += pick(random) < 10 ? "0123456789"[pick(random) % 10] : '.';
    for (int k = length(random); k > 0; --k) before += bytes[pick(random)];
    for (int k = length(random); k > 0; --k) after += bytes[pick(random)];
    if (place(random) == 0) after.clear();  // the field at the very end
    const std::string around = before + field + after;
    double value = 0.0;
    const bool read = cli::read_number(around, before.size(), field.size(), value);
    ASSERT_EQ(read ? std::optional(std::bit_cast<std::uint64_t>(value)) : std::nullopt,
              from_chars_bits(field))
        << field << " in " << around;
  }
}

}  // namespace
