// A few threads that wait for work: the steps that read a whole market
// hand them their share. They are made once, on the first parallel step.
// A step hands out work in many short rounds (a few files each), so the
// threads look for the next round, and the caller for their end, for a
// moment before they sleep: waking a sleeping thread costs more than a
// round of small files.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "core/core.h"

namespace {

// True once `done` holds, looking for up to 50 microseconds.
template <typename Done>
bool soon(Done done) {
  auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
  for (int i = 1;; ++i) {
    if (done()) return true;
    if (i % 64 == 0 && std::chrono::steady_clock::now() > until) return false;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
}

class Pool {
 public:
  // Runs work on workers 1 .. n - 1 of the pool and on the caller as worker 0.
  void run(int n, void (*work)(int, void*), void* data) {
    grow(n - 1);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      work_ = work, data_ = data, wanted_ = n - 1;
      done_.store(0);
      round_.fetch_add(1);  // after the work it names: a thread that sees the round sees its work
    }
    start_.notify_all();
    work(0, data);
    if (soon([&] { return done_.load() == wanted_; })) return;
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return done_.load() == wanted_; });
  }

 private:
  void grow(int n) {
    while (static_cast<int>(threads_.size()) < n) {
      int id = static_cast<int>(threads_.size()) + 1;
      threads_.emplace_back([this, id] { serve(id); });
      threads_.back().detach();  // they live as long as the program
    }
  }
  void serve(int id) {
    unsigned long seen = 0;
    for (;;) {
      if (!soon([&] { return round_.load() != seen; })) {
        std::unique_lock<std::mutex> lock(mutex_);
        start_.wait(lock, [&] { return round_.load() != seen; });
      }
      void (*work)(int, void*);
      void* data;
      int wanted;  // this round's: the next round may set wanted_ once this one has ended
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen = round_.load();
        wanted = wanted_;
        if (id > wanted) continue;
        work = work_, data = data_;
      }
      work(id, data);
      if (done_.fetch_add(1) + 1 == wanted) {
        std::lock_guard<std::mutex> lock(mutex_);  // the caller may be between its test and its sleep
        finished_.notify_one();
      }
    }
  }
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable start_, finished_;
  void (*work_)(int, void*) = nullptr;
  void* data_ = nullptr;
  int wanted_ = 0;
  std::atomic<int> done_{0};
  std::atomic<unsigned long> round_{0};
};

}  // namespace

int worker_count() {
  if (threads > 0) return std::min(threads, 64);
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 64);
}

void run_workers(int n, void (*work)(int worker, void* data), void* data) {
  static Pool* pool = new Pool;  // never destroyed: detached threads may still wait on it at exit
  if (n <= 1) work(0, data);
  else pool->run(n, work, data);
}
