// A few threads that wait for work: the steps that read a whole market
// hand them their share. They are made once, on the first parallel step.
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "core/core.h"

namespace {

class Pool {
 public:
  // Runs work on workers 1 .. n - 1 of the pool and on the caller as worker 0.
  void run(int n, void (*work)(int, void*), void* data) {
    grow(n - 1);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      work_ = work, data_ = data, wanted_ = n - 1, done_ = 0, ++round_;
    }
    start_.notify_all();
    work(0, data);
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return done_ == wanted_; });
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
      std::unique_lock<std::mutex> lock(mutex_);
      start_.wait(lock, [&] { return round_ != seen; });
      seen = round_;
      if (id > wanted_) continue;
      auto work = work_;
      void* data = data_;
      lock.unlock();
      work(id, data);
      lock.lock();
      if (++done_ == wanted_) finished_.notify_one();
    }
  }
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable start_, finished_;
  void (*work_)(int, void*) = nullptr;
  void* data_ = nullptr;
  int wanted_ = 0, done_ = 0;
  unsigned long round_ = 0;
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
