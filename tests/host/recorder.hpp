// What the tests and fuzzers watch of the stand-in host: the last service
// calls, how often each service was called, the allocations, the exit code
// the module asked for, and allocations made to fail.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "host/host.hpp"

namespace testing_support {

class Recorder : public host::Observer {
 public:
  static constexpr std::size_t kKeptCalls = 16;  // the log keeps the last few calls

  explicit Recorder(host::Host& host) { host.watch(this); }

  // The last kKeptCalls service calls, oldest first, and how many calls each
  // service had since the last clear_records().
  std::vector<host::ServiceCall> service_calls() const {
    std::lock_guard lock(mutex_);
    return {calls_.begin(), calls_.end()};
  }
  std::uint64_t service_count(module::gcb::Service service) const {
    std::lock_guard lock(mutex_);
    const auto found = counts_.find(service.identity());
    return found == counts_.end() ? 0 : found->second;
  }
  std::vector<host::Allocation> allocations() const {
    std::lock_guard lock(mutex_);
    return allocations_;
  }
  std::optional<std::int32_t> exit_code() const {
    std::lock_guard lock(mutex_);
    return exit_code_;
  }
  void fail_allocations(bool fail) {
    std::lock_guard lock(mutex_);
    fail_ = fail;
  }
  void clear_records() {
    std::lock_guard lock(mutex_);
    calls_.clear();
    counts_.clear();
    allocations_.clear();
    exit_code_.reset();
  }

  void called(const host::ServiceCall& call) override {
    std::lock_guard lock(mutex_);
    ++counts_[call.identity];
    if (call.identity == module::gcb::kExit.identity())
      exit_code_ = static_cast<std::int32_t>(call.arguments.at(0));
    if (calls_.size() == kKeptCalls) calls_.pop_front();
    calls_.push_back(call);
  }
  bool refuses(std::int64_t) override {
    std::lock_guard lock(mutex_);
    return fail_;
  }
  void allocated(const host::Allocation& allocation) override {
    std::lock_guard lock(mutex_);
    allocations_.push_back(allocation);
  }

 private:
  mutable std::mutex mutex_;
  std::deque<host::ServiceCall> calls_;
  std::map<std::uint64_t, std::uint64_t> counts_;
  std::vector<host::Allocation> allocations_;
  std::optional<std::int32_t> exit_code_;
  bool fail_ = false;
};

}  // namespace testing_support
