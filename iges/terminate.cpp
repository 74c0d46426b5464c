#include "iges/terminate.h"

#include "iges/record.h"
#include "iges/seq_field.h"

namespace karvonel::iges {

std::string TerminateRecord(std::int32_t de_seq, std::int32_t pd_seq) {
  std::string record = "S      1G      4";
  record += SeqField('D', de_seq - 1);
  record += SeqField('P', pd_seq - 1);
  record.resize(kDataColumns, ' ');
  record += "T      1";
  return record;
}

void WriteTerminate(std::int32_t de_seq, std::int32_t pd_seq, RecordWriter& out) {
  out.WriteRecord(TerminateRecord(de_seq, pd_seq));
}

}  // namespace karvonel::iges
