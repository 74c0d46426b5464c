// Point entities formatted and written on a thread of their own, in input
// order, while the caller goes on reading the point list.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "iges/point_entity.h"
#include "iges/record_writer.h"

namespace karvonel::conversion {

class PointWriterThread {
 public:
  // A point that could not be written, and the input line it came from.
  struct Refusal {
    iges::PointStatus status = iges::PointStatus::kOk;
    std::int64_t line = 0;
  };

  // Writes the points' Directory Entry records to `out` and their Parameter
  // Data records to `section`, numbered from 1. Until Finish() returns, the
  // two writers belong to the thread.
  PointWriterThread(iges::RecordWriter& out, iges::RecordWriter& section);
  ~PointWriterThread();  // stops after the batch under way
  PointWriterThread(const PointWriterThread&) = delete;
  PointWriterThread& operator=(const PointWriterThread&) = delete;

  // Queues the point read from input line `line`. Returns false once a point
  // has been refused; the points queued after it are then not written.
  bool Add(double x, double y, double z, std::int64_t line);

  // Waits until every queued point is written or one was refused. After it,
  // the writers are the caller's again.
  void Finish();

  // The first refused point, if any (read after Finish()).
  std::optional<Refusal> Refused() const { return refused_; }
  // The sequence numbers the next point would get (read after Finish()).
  std::int32_t NextDeSeq() const { return DeSeq; }
  std::int32_t NextPdSeq() const { return PdSeq; }

 private:
  struct Point {
    double x, y, z;
    std::int64_t line;
  };
  static constexpr std::size_t kBatchSize = 4096;

  void HandOff();
  void Work();
  void WriteBatch(const std::vector<Point>& batch);

  iges::RecordWriter& out_;
  iges::RecordWriter& section_;
  std::vector<Point> batches_[2];
  int current_ = 0;

  std::mutex mutex_;
  std::condition_variable changed_;
  const std::vector<Point>* pending_ = nullptr;  // guarded by mutex_
  bool stopping_ = false;                        // guarded by mutex_
  bool failed_ = false;                          // guarded by mutex_
  std::thread worker_;

  // Owned by the thread while it runs, by the caller after Finish().
  std::optional<Refusal> refused_;
  std::int32_t DeSeq = 1;
  std::int32_t PdSeq = 1;
};

}  // namespace karvonel::conversion
