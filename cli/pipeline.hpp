// Two stages on two threads: one fills batches, the other empties them, and
// the batches (a fixed few) go back and forth, so memory stays constant.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

namespace cli {

template <typename Batch, std::size_t Count = 3>
class Pipeline {
 public:
  Pipeline() {
    for (Batch& b : batches_) empty_.push_back(&b);
  }

  // Producer: a batch to fill, or null once the consumer has stopped.
  Batch* take_empty() {
    std::unique_lock lock(mutex_);
    producer_waits_ += !stopped_ && empty_.empty();
    changed_.wait(lock, [&] { return stopped_ || !empty_.empty(); });
    if (stopped_) return nullptr;
    Batch* b = empty_.front();
    empty_.pop_front();
    return b;
  }
  // Producer: a filled batch; the last one ends the stream.
  void give_full(Batch* b, bool last) {
    std::lock_guard lock(mutex_);
    full_.push_back(b);
    ended_ = ended_ || last;
    changed_.notify_all();
  }

  // Producer: ends the stream after the batches already given.
  void end() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  }

  // Consumer: the next filled batch, or null after the last.
  Batch* take_full() {
    std::unique_lock lock(mutex_);
    consumer_waits_ += full_.empty() && !ended_;
    changed_.wait(lock, [&] { return !full_.empty() || (ended_ && full_.empty()); });
    if (full_.empty()) return nullptr;
    Batch* b = full_.front();
    full_.pop_front();
    return b;
  }
  // Consumer: a batch done with.
  void give_empty(Batch* b) {
    std::lock_guard lock(mutex_);
    empty_.push_back(b);
    changed_.notify_all();
  }
  // Consumer: whether a filled batch is already waiting.
  bool more_waiting() {
    std::lock_guard lock(mutex_);
    return !full_.empty();
  }
  // Once the consumer has gone: the next filled batch it left, or null.
  Batch* take_left() { return pop(full_); }
  // Once the consumer has gone: a batch that is neither full nor in use, or null.
  Batch* any_empty() { return pop(empty_); }
  // How often each side has waited for the other: the producer for an empty
  // batch, the consumer for a full one.
  std::pair<std::uint64_t, std::uint64_t> waits() {
    std::lock_guard lock(mutex_);
    return {producer_waits_, consumer_waits_};
  }
  // Consumer: gives up; the producer's next take_empty() says so.
  void stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  Batch* pop(std::deque<Batch*>& from) {
    std::lock_guard lock(mutex_);
    if (from.empty()) return nullptr;
    Batch* b = from.front();
    from.pop_front();
    return b;
  }

  std::array<Batch, Count> batches_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch*> empty_, full_;
  bool ended_ = false, stopped_ = false;
  std::uint64_t producer_waits_ = 0, consumer_waits_ = 0;
};

}  // namespace cli
