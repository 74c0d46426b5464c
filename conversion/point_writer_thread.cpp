#include "conversion/point_writer_thread.h"

namespace karvonel::conversion {

PointWriterThread::PointWriterThread(iges::RecordWriter& out, iges::RecordWriter& section)
    : out_(out), section_(section) {
  for (auto& batch : batches_)
    batch.reserve(kBatchSize);
  worker_ = std::thread(&PointWriterThread::Work, this);
}

PointWriterThread::~PointWriterThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

bool PointWriterThread::Add(double x, double y, double z, std::int64_t line) {
  std::vector<Point>& batch = batches_[current_];
  batch.push_back({x, y, z, line});
  if (batch.size() < kBatchSize)
    return true;
  HandOff();
  std::lock_guard<std::mutex> lock(mutex_);
  return !failed_;
}

void PointWriterThread::HandOff() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return pending_ == nullptr; });
  if (failed_) {
    batches_[current_].clear();
    return;
  }
  pending_ = &batches_[current_];
  lock.unlock();
  changed_.notify_all();
  current_ ^= 1;
  batches_[current_].clear();
}

void PointWriterThread::Finish() {
  if (!batches_[current_].empty())
    HandOff();
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return pending_ == nullptr; });
}

void PointWriterThread::WriteBatch(const std::vector<Point>& batch) {
  for (const Point& p : batch) {
    const iges::PointStatus status =
        iges::WritePointEntity(p.x, p.y, p.z, DeSeq, PdSeq, out_, section_);
    if (status != iges::PointStatus::kOk) {
      refused_ = Refusal{status, p.line};
      return;
    }
    DeSeq += 2;
    PdSeq += 1;
  }
}

void PointWriterThread::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return pending_ != nullptr || stopping_; });
    if (pending_ == nullptr)
      return;
    const std::vector<Point>* batch = pending_;
    lock.unlock();
    WriteBatch(*batch);
    lock.lock();
    failed_ = refused_.has_value();
    pending_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace karvonel::conversion
