#include "iges/terminate.h"

#include "iges/record.h"
#include "iges/seq_field.h"

namespace karvonel::iges {

std::string TerminateRecord(std::int32_t DeSeq, std::int32_t PdSeq) {
  std::string record = "S      1G      4";
  record += SeqField('D', DeSeq - 1);
  record += SeqField('P', PdSeq - 1);
  record.resize(kDataColumns, ' ');
  record += "T      1";
  return record;
}

void WriteTerminate(std::int32_t DeSeq, std::int32_t PdSeq, RecordWriter& out) {
  out.WriteRecord(TerminateRecord(DeSeq, PdSeq));
}

}  // namespace karvonel::iges
