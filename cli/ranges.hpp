// Lists of numbers for tables: items separated by commas, each a number, a
// linear range START:END:STEP or a geometric range START:END:*FACTOR. A list
// is walked, never stored: memory stays that of its text, whatever its length.
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace cli {

// A list that cannot be read, or that would hold more than the limit.
struct ListError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// f(item) for each item of a list separated by commas; "" is one empty item.
template <typename F>
void for_each_item(std::string_view text, F&& f) {
  std::size_t start = 0, end = 0;
  do {
    end = std::min(text.find(',', start), text.size());
    f(text.substr(start, end - start));
    start = end + 1;
  } while (end < text.size());
}

class NumberList {
 public:
  // A range must reach its end: finite bounds, a step of the right sign (a
  // factor above 1 upward, between 0 and 1 downward, positive bounds). Throws
  // ListError for text that is no list, or a list of more than max_values.
  NumberList(std::string_view text, std::string_view what, std::uint64_t max_values);
  std::uint64_t size() const { return size_; }

  // f(value) for every value in order. Linear values are start + i * step,
  // rounded to the decimals the range was written with; geometric ones to
  // 15 digits.
  template <typename F>
  void for_each(F&& f) const {
    for (const Item& item : items_) {
      for (std::uint64_t i = 0; i < item.count; ++i) f(value(item, i));
    }
  }

 private:
  struct Item {
    double start = 0.0, step = 0.0;
    std::uint64_t count = 1;
    bool geometric = false;
    int places = -1;  // decimals of a linear range; -1, none to round to
  };
  void add(std::string_view item, std::string_view what, std::uint64_t max_values);
  static double value(const Item& item, std::uint64_t i);

  std::vector<Item> items_;
  std::uint64_t size_ = 0;
};

}  // namespace cli
