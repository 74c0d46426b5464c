// Point entities formatted and written on a thread of their own, in input
// order, while the caller goes on reading the point list.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "conversion/background_worker.h"
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
  ~PointWriterThread() = default;  // stops after the batch under way
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

  bool HandOff();
  void WriteBatch(const std::vector<Point>& batch);  // on the thread

  iges::RecordWriter& out_;
  iges::RecordWriter& section_;
  std::vector<Point> batches_[2];
  int current_ = 0;

  // Written by the thread's jobs, read by the caller once the worker is idle.
  std::optional<Refusal> refused_;
  std::int32_t DeSeq = 1;
  std::int32_t PdSeq = 1;

  BackgroundWorker worker_;  // last: it ends before what its jobs use goes
};

}  // namespace karvonel::conversion
