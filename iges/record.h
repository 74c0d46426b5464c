// The fixed-column record form shared by every section of an IGES file.
#pragma once

#include <cstddef>

namespace karvonel::iges {

// A record is 80 columns, counted in bytes of the written file.
inline constexpr std::size_t kRecordLength = 80;
// Columns 1 to 72 carry data; 73 to 80 the section letter and sequence number.
inline constexpr std::size_t kDataColumns = 72;
// Every record is followed by CR LF, on every platform.
inline constexpr char kLineEnd[] = "\r\n";
inline constexpr std::size_t kLineEndLength = 2;
// A record with its line end, as it stands in the file.
inline constexpr std::size_t kRecordBytes = kRecordLength + kLineEndLength;

}  // namespace karvonel::iges
