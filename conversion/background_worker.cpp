#include "conversion/background_worker.h"

#include <utility>

namespace karvonel::conversion {

BackgroundWorker::~BackgroundWorker() {
  if (!thread_.joinable())
    return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void BackgroundWorker::Start(std::function<void()> job) {
  WaitIdle();
  if (!thread_.joinable())
    thread_ = std::thread(&BackgroundWorker::Work, this);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job_ = std::move(job);
  }
  changed_.notify_all();
}

void BackgroundWorker::WaitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !job_; });
}

void BackgroundWorker::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return job_ || stopping_; });
    if (!job_)
      return;
    lock.unlock();
    job_();  // the caller does not touch job_ until it is emptied below
    lock.lock();
    job_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace karvonel::conversion
