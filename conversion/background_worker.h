// One job at a time on a thread of its own: the caller hands a job over and
// goes on with its own work; handing over the next job waits for the last.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace karvonel::conversion {

class BackgroundWorker {
 public:
  BackgroundWorker() = default;
  ~BackgroundWorker();  // finishes the job under way, then ends the thread
  BackgroundWorker(const BackgroundWorker&) = delete;
  BackgroundWorker& operator=(const BackgroundWorker&) = delete;

  // Waits until the last job is done, then runs `job` on the thread (started
  // with the first job).
  void Start(std::function<void()> job);
  // Waits until no job is under way; what the jobs wrote is then the caller's.
  void WaitIdle();

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;  // guarded by mutex_; empty when idle
  bool stopping_ = false;      // guarded by mutex_
  std::thread thread_;
};

}  // namespace karvonel::conversion
