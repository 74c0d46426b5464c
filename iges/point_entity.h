// The records of one IGES Point entity (type 116): two Directory Entry lines and
// one Parameter Data line.
#pragma once

#include <cstdint>

#include "iges/number_text.h"
#include "iges/record.h"
#include "iges/record_writer.h"
#include "iges/start_global.h"
#include "karvonel/result.h"

namespace karvonel::iges {

// Columns 1 to 64 of the P line hold the parameter data text.
inline constexpr std::size_t kParameterColumns = 64;

// The most points one file can hold: the D sequence numbers of the last point,
// 2n - 1 and 2n, must fit the seven digits of a sequence field.
inline constexpr std::int32_t kMaxPoints = 4'999'999;

// Where the Parameter Data section of a file of `points` points starts: behind
// the Start and Global records and two Directory Entry records per point.
inline constexpr std::uint64_t ParameterDataOffset(std::int64_t points) {
  return (kStartGlobalRecords + 2 * static_cast<std::uint64_t>(points)) * kRecordBytes;
}

// Why a point has no records.
enum class PointError {
  kDataTooLong,  // "116," and the three number texts and ";" exceed 64 columns
  kOutOfRange,   // a coordinate is NaN, infinite, or so close to the largest
                 // double that its 15-digit text reads back as infinity
};
using PointResult = Result<void, PointError>;

// Room for the three records, for callers that build them outside a writer.
struct PointRecords {
  char de1[kRecordLength];
  char de2[kRecordLength];
  char p[kRecordLength];
};

// Builds the three records of the point (x, y, z) whose DE line 1 has the
// sequence number `DeSeq` (DE line 2 has DeSeq + 1) and whose P line has
// `PdSeq`, each in the kRecordLength columns at its place. The caller keeps
// DeSeq + 1 <= kMaxSeqNumber. On failure the contents of the places are
// unspecified.
PointResult BuildPointEntity(const Coordinate& x, const Coordinate& y, const Coordinate& z,
                             std::int32_t DeSeq, std::int32_t PdSeq, char* de1, char* de2, char* p);
inline PointResult BuildPointEntity(const Coordinate& x, const Coordinate& y, const Coordinate& z,
                                    std::int32_t DeSeq, std::int32_t PdSeq, PointRecords& records) {
  return BuildPointEntity(x, y, z, DeSeq, PdSeq, records.de1, records.de2, records.p);
}

// Builds the point's records in the room `out` and `tmp` give and, only when
// all three are complete, writes DE line 1 and DE line 2 to `out` and the P
// line to `tmp`. On failure nothing is written. The counters are the
// caller's to advance (DeSeq by 2, PdSeq by 1).
PointResult WritePointEntity(const Coordinate& x, const Coordinate& y, const Coordinate& z,
                             std::int32_t DeSeq, std::int32_t PdSeq, RecordWriter& out,
                             RecordWriter& tmp);

}  // namespace karvonel::iges
