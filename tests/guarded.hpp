// Buffers that catch any access outside them, for the tests and the fuzzers:
// bytes flush against an inaccessible page (a fault), or a field between
// guard bytes that must survive (a check), and a reader of fuzz inputs.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzzing {

class GuardedBytes {
 public:
  enum class Edge { kEnd, kStart };

  // size bytes placed flush against an inaccessible page on the given side.
  GuardedBytes(std::size_t size, Edge edge) : size_(size) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t body = (size + page - 1) / page * page + page;
    length_ = body + 2 * page;
    base_ = static_cast<std::uint8_t*>(
        mmap(nullptr, length_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (base_ == MAP_FAILED) std::abort();
    mprotect(base_ + page, body, PROT_READ | PROT_WRITE);
    data_ = edge == Edge::kEnd ? base_ + page + body - size : base_ + page;
  }
  ~GuardedBytes() { munmap(base_, length_); }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  char* data() { return reinterpret_cast<char*>(data_); }
  std::size_t size() const { return size_; }

 private:
  std::size_t size_, length_;
  std::uint8_t* base_;
  std::uint8_t* data_;
};

// Reads little-endian values off the front of a fuzz input.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  template <typename T>
  T take() {
    T value{};
    const std::size_t n = size_ < sizeof value ? size_ : sizeof value;
    std::memcpy(&value, data_, n);
    data_ += n;
    size_ -= n;
    return value;
  }
  const std::uint8_t* rest() const { return data_; }
  std::size_t remaining() const { return size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// A field of the given bytes with guard bytes on both sides.
struct GuardedField {
  static constexpr std::size_t kGuard = 16;
  static constexpr char kGuardByte = '#';
  std::string storage;
  explicit GuardedField(const std::string& bytes)
      : storage(std::string(kGuard, kGuardByte) + bytes + std::string(kGuard, kGuardByte)) {}
  char* data() { return storage.data() + kGuard; }
  std::int32_t size() const { return static_cast<std::int32_t>(storage.size() - 2 * kGuard); }
  std::string field() const { return storage.substr(kGuard, storage.size() - 2 * kGuard); }
  bool guards_intact() const {
    return storage.substr(0, kGuard) == std::string(kGuard, kGuardByte) &&
           storage.substr(storage.size() - kGuard) == std::string(kGuard, kGuardByte);
  }
};

}  // namespace fuzzing

// Stops the run, naming the broken invariant.
#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)
