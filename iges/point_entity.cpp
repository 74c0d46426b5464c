#include "iges/point_entity.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "iges/number_text.h"
#include "iges/seq_field.h"

namespace karvonel::iges {
namespace {

// The fixed fields of the two Directory Entry lines. Field 2 of DE line 1 (the
// parameter data pointer) and field 10 of each line (section letter and
// sequence number) are filled in per point.
constexpr char kDe1Template[] =
    "     116"   // 1 entity type
    "        "   // 2 parameter data pointer, per point
    "       1"   // 3 structure
    "       1"   // 4 line font pattern
    "       1"   // 5 level
    "        "   // 6 view
    "       0"   // 7 transformation matrix
    "        "   // 8 label display associativity
    " 0000000"   // 9 status number
    "        ";  // 10 sequence, per point
constexpr char kDe2Template[] =
    "     116"   // 11 entity type
    "       0"   // 12 line weight
    "       0"   // 13 colour
    "       1"   // 14 parameter line count
    "       0"   // 15 form
    "        "   // 16 reserved
    "        "   // 17 reserved
    "        "   // 18 entity label
    "        "   // 19 entity subscript
    "        ";  // 20 sequence, per point
static_assert(sizeof kDe1Template - 1 == kRecordLength);
static_assert(sizeof kDe2Template - 1 == kRecordLength);

constexpr std::size_t kPointerColumn = 8;     // field 2 starts in column 9
constexpr std::size_t kSequenceColumn = 72;   // field 10 starts in column 73
constexpr std::size_t kDePointerColumn = 64;  // the P line's DE pointer, column 65
constexpr std::size_t kSeqDigits = 7;         // a sequence field after its letter

// A coordinate whose text reads back as a finite number. Rounding to 15 digits
// carries the values nearest the largest double past it.
bool IsWritable(double value) {
  if (!std::isfinite(value))
    return false;
  if (std::fabs(value) < 1e308)
    return true;
  char text[kMaxNumberText];
  const std::size_t length = NumberTextTo(text, value);
  double read_back = 0;
  const char* begin = text + 1;  // past the sign column
  return std::from_chars(begin, text + length, read_back).ec == std::errc();
}

}  // namespace

PointResult BuildPointEntity(const Coordinate& x, const Coordinate& y, const Coordinate& z,
                             std::int32_t DeSeq, std::int32_t PdSeq, char* de1, char* de2,
                             char* p) {
  if (!IsWritable(x.value) || !IsWritable(y.value) || !IsWritable(z.value))
    return Unexpected{PointError::kOutOfRange};

  // Parameter data: "116," X "," Y "," Z ";", padded with blanks to 64 columns.
  // Each number text is at most kMaxNumberText long, so the record's 80
  // columns hold even a text that turns out too long.
  static_assert(4 + 3 * kMaxNumberText + 3 <= kRecordLength);
  char* end = p;
  std::memcpy(end, "116,", 4);
  end += 4;
  end += NumberTextTo(end, x);
  *end++ = ',';
  end += NumberTextTo(end, y);
  *end++ = ',';
  end += NumberTextTo(end, z);
  *end++ = ';';
  const auto length = static_cast<std::size_t>(end - p);
  if (length > kParameterColumns)
    return Unexpected{PointError::kDataTooLong};
  std::memset(end, ' ', kParameterColumns - length);
  // DE line 1 and the P line name each other: each holds the other's
  // sequence number, with a blank for the section letter.
  SeqFieldTo(p + kSequenceColumn, 'P', PdSeq);
  std::memcpy(de1, kDe1Template, kRecordLength);
  SeqFieldTo(de1 + kSequenceColumn, 'D', DeSeq);
  std::memcpy(p + kDePointerColumn + 1, de1 + kSequenceColumn + 1, kSeqDigits);
  p[kDePointerColumn] = ' ';
  std::memcpy(de1 + kPointerColumn + 1, p + kSequenceColumn + 1, kSeqDigits);

  std::memcpy(de2, kDe2Template, kRecordLength);
  SeqFieldTo(de2 + kSequenceColumn, 'D', DeSeq + 1);
  return {};
}

PointResult WritePointEntity(const Coordinate& x, const Coordinate& y, const Coordinate& z,
                             std::int32_t DeSeq, std::int32_t PdSeq, RecordWriter& out,
                             RecordWriter& tmp) {
  char* const de = out.Room(2);
  char* const p = tmp.Room(1);
  const PointResult built = BuildPointEntity(x, y, z, DeSeq, PdSeq, de, de + kRecordBytes, p);
  if (built) {
    out.Commit(2);
    tmp.Commit(1);
  }
  return built;
}

}  // namespace karvonel::iges
