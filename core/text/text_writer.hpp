// Text into a caller's buffer as snprintf writes it: every byte counted, what
// fits stored before the terminating NUL; numbers as every surface writes
// them. A base for writers that add their own pieces and chain them (Derived
// is the writer itself).
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "text/number_text.hpp"

namespace critval {

template <typename Derived>
class TextWriter {
 public:
  TextWriter(char* buffer, std::size_t size) : buffer_(buffer), size_(size) {}

  Derived& put(char c) {
    if (length_ + 1 < size_) buffer_[length_] = c;
    ++length_;
    return self();
  }
  Derived& text(std::string_view s) {
    if (length_ + s.size() < size_) {  // all of it fits: at once
      std::memcpy(buffer_ + length_, s.data(), s.size());
      length_ += s.size();
      return self();
    }
    for (const char c : s) put(c);
    return self();
  }
  // A number as every surface writes it.
  Derived& number(double value) {
    char digits[40];
    const std::size_t n = format_shortest(value, digits, sizeof digits);
    return text(std::string_view(digits, n));
  }
  // NUL-terminates what was stored; returns the whole text's length.
  std::size_t finish() {
    if (size_ > 0) buffer_[length_ < size_ ? length_ : size_ - 1] = '\0';
    return length_;
  }

 private:
  Derived& self() { return static_cast<Derived&>(*this); }

  char* buffer_;
  std::size_t size_;
  std::size_t length_ = 0;
};

}  // namespace critval
