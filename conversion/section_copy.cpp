#include "conversion/section_copy.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "iges/record.h"

namespace karvonel::conversion {

Result<void, ConversionError> AppendSection(const std::filesystem::path& section_path,
                                            platform::NativeFile& section, std::int32_t records,
                                            const RecordDigest& written, BufferedWriter& out) {
  if (auto rewound = section.Rewind(); !rewound)
    return Fail(ErrorKind::kReadFailed, section_path, rewound.error().reason);
  constexpr std::size_t kChunkRecords = 3200;
  auto chunk = std::make_unique<char[]>(kChunkRecords * iges::kRecordBytes);
  RecordDigest read;
  for (std::int32_t left = records; left > 0 && !out.Failed();) {
    const std::size_t wanted =
        std::min<std::size_t>(static_cast<std::size_t>(left), kChunkRecords) * iges::kRecordBytes;
    std::size_t got = 0;
    while (got < wanted) {
      const auto count = section.Read(chunk.get() + got, wanted - got);
      if (!count)
        return Fail(ErrorKind::kReadFailed, section_path, count.error().reason);
      if (*count == 0)
        return Fail(ErrorKind::kSectionFileChanged, section_path);
      got += *count;
    }
    for (std::size_t at = 0; at < got; at += iges::kRecordBytes) {
      const std::string_view record(chunk.get() + at, iges::kRecordLength);
      if (std::string_view(chunk.get() + at + iges::kRecordLength, iges::kLineEndLength) !=
          iges::kLineEnd) {
        return Fail(ErrorKind::kSectionFileChanged, section_path);
      }
      read.Add(record);
    }
    out.WriteRecords(std::string_view(chunk.get(), got));
    left -= static_cast<std::int32_t>(got / iges::kRecordBytes);
  }
  // A failed write is the output's to report, at its next flush.
  if (!out.Failed() && !(read == written))
    return Fail(ErrorKind::kSectionFileChanged, section_path);
  return {};
}

}  // namespace karvonel::conversion
