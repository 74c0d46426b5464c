#include "conversion/point_writer_thread.h"

namespace karvonel::conversion {

PointWriterThread::PointWriterThread(iges::RecordWriter& out, iges::RecordWriter& section)
    : out_(out), section_(section) {
  for (auto& batch : batches_)
    batch.reserve(kBatchSize);
}

bool PointWriterThread::Add(double x, double y, double z, std::int64_t line) {
  std::vector<Point>& batch = batches_[current_];
  batch.push_back({x, y, z, line});
  return batch.size() < kBatchSize || HandOff();
}

bool PointWriterThread::HandOff() {
  worker_.WaitIdle();
  if (refused_) {
    batches_[current_].clear();
    return false;
  }
  const std::vector<Point>* batch = &batches_[current_];
  worker_.Start([this, batch] { WriteBatch(*batch); });
  current_ ^= 1;
  batches_[current_].clear();
  return true;
}

void PointWriterThread::Finish() {
  if (!batches_[current_].empty())
    HandOff();
  worker_.WaitIdle();
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

}  // namespace karvonel::conversion
