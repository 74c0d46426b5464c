// The Parameter Data records of a point list read from a pipe, which cannot be
// counted before the points are written: copied from "para.sec" behind the
// Directory Entry records at the end of the run.
#pragma once

#include <cstdint>
#include <filesystem>

#include "conversion/buffered_writer.h"
#include "conversion/conversion_error.h"
#include "conversion/record_digest.h"
#include "platform/native_file.h"

namespace karvonel::conversion {

// Copies the Parameter Data records from "para.sec" behind the Directory Entry
// records in the output, through memory: only records that are exactly those
// this conversion wrote (`written`) may reach the output. Another program may
// have cut the file or written into it meanwhile; the lock does not stop it.
Result<void, ConversionError> AppendSection(const std::filesystem::path& section_path,
                                            platform::NativeFile& section, std::int32_t records,
                                            const RecordDigest& written, BufferedWriter& out);

}  // namespace karvonel::conversion
