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

// Values as to_chars writes them (critical values lie mostly in [1, 10),
// where ljungcv writes its own): any bits, the neighbours of 1, 2, 4, 8 and
// 10, mantissas that end in many zeros (where halves are exact), short
// decimals, and the digits asked for.
TEST(Numbers, ValuesWrittenAsToCharsWritesThem) {
  const auto to_chars = [](double x, std::chars_format form, std::optional<int> digits) {
    char text[400];
    return std::string(text, digits ? std::to_chars(text, text + 400, x, form, *digits).ptr
                                    : std::to_chars(text, text + 400, x, form).ptr);
  };
  const auto check = [&](double x) {
    ASSERT_EQ(cli::format_value(x, std::nullopt), to_chars(x, std::chars_format::fixed, {})) << x;
  };
  std::mt19937_64 random(13);
  std::uniform_int_distribution<int> zeros(0, 52), digits(1, 99999999), exponent(-8, 0);
  for (const double p : {1.0, 2.0, 4.0, 8.0, 10.0}) {
    for (double x = p, y = p, k = 0; k < 100; ++k) {
      check(x = std::nextafter(x, 0.0));
      check(y = std::nextafter(y, 20.0));
    }
  }
  for (int i = 0; i < 1000000; ++i) {
    const double x = std::ldexp(1.0 + std::ldexp(static_cast<double>(random() >> 12), -52), i % 4);
    check(x);
    const std::uint64_t few = (random() >> 12) & ~((std::uint64_t{1} << zeros(random)) - 1);
    check(std::ldexp(1.0 + std::ldexp(static_cast<double>(few), -52), i % 4));
    check(digits(random) * std::pow(10.0, exponent(random)));
  }
  EXPECT_EQ(cli::format_value(4.889632077329703, 3), "4.890");
  EXPECT_EQ(cli::format_value(-0.0, std::nullopt), "-0");
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
