// A second thread on a stack of its own mapping, unmapped when it is joined.
// The C library keeps the stacks it maps for reuse, which would leave the one
// thread that goes on after a join with less memory than it had before.
#pragma once

#include <pthread.h>
#include <sys/mman.h>

#include <functional>
#include <new>

namespace cli {

class Worker {
 public:
  Worker() = default;
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  ~Worker() { join(); }

  // Runs f on the new thread; false, with nothing started, where the system
  // refuses the memory or the thread.
  bool start(std::function<void()> f) {
    try {
      f_ = std::move(f);
    } catch (const std::bad_alloc&) {
      return false;
    }
    stack_ = mmap(nullptr, kStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK,
                  -1, 0);
    if (stack_ == MAP_FAILED) return false;
    pthread_attr_t attributes;
    bool started = pthread_attr_init(&attributes) == 0;
    started = started && pthread_attr_setstack(&attributes, stack_, kStack) == 0 &&
              pthread_create(&thread_, &attributes, run, this) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) release();
    running_ = started;
    return started;
  }

  void join() {
    if (!running_) return;
    pthread_join(thread_, nullptr);
    running_ = false;
    release();
  }

 private:
  static constexpr std::size_t kStack = 1 << 20;

  static void* run(void* self) {
    static_cast<Worker*>(self)->f_();
    return nullptr;
  }
  void release() {
    munmap(stack_, kStack);
    stack_ = nullptr;
  }

  std::function<void()> f_;
  void* stack_ = nullptr;
  pthread_t thread_{};
  bool running_ = false;
};

}  // namespace cli
