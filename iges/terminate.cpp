#include "iges/terminate.h"

#include "iges/record.h"
#include "iges/seq_field.h"

namespace karvonel::iges {

std::string TerminateRecord(std::int32_t DeSeq, std::int32_t PdSeq) {
  std::string record = "S      1G      4";
  record.resize(kRecordLength, ' ');
  SeqFieldTo(record.data() + 16, 'D', DeSeq - 1);
  SeqFieldTo(record.data() + 24, 'P', PdSeq - 1);
  return record.replace(kDataColumns, 8, "T      1");
}

void WriteTerminate(std::int32_t DeSeq, std::int32_t PdSeq, RecordWriter& out) {
  out.WriteRecord(TerminateRecord(DeSeq, PdSeq));
}

}  // namespace karvonel::iges
