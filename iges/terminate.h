// The Terminate record that closes every output file.
#pragma once

#include <cstdint>
#include <string>

#include "iges/record_writer.h"

namespace karvonel::iges {

// The record for a file whose next free sequence numbers are `de_seq` and
// `pd_seq`: it reports 1 Start, 4 Global, de_seq - 1 Directory Entry and
// pd_seq - 1 Parameter Data records. Both counters are at least 1.
std::string TerminateRecord(std::int32_t de_seq, std::int32_t pd_seq);

// Writes TerminateRecord(de_seq, pd_seq) to `out`.
void WriteTerminate(std::int32_t de_seq, std::int32_t pd_seq, RecordWriter& out);

}  // namespace karvonel::iges
