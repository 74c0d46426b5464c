// The Terminate record that closes every output file.
#pragma once

#include <cstdint>
#include <string>

#include "iges/record_writer.h"

namespace karvonel::iges {

// The record for a file whose next free sequence numbers are `DeSeq` and
// `PdSeq`: it reports 1 Start, 4 Global, DeSeq - 1 Directory Entry and
// PdSeq - 1 Parameter Data records. Both counters are at least 1.
std::string TerminateRecord(std::int32_t DeSeq, std::int32_t PdSeq);

// Writes TerminateRecord(DeSeq, PdSeq) to `out`.
void WriteTerminate(std::int32_t DeSeq, std::int32_t PdSeq, RecordWriter& out);

}  // namespace karvonel::iges
