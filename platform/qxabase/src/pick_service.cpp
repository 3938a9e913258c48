// The service pick list over the caller's handle.
#include "qxabase/pick_service.h"

#include <cstddef>

#include "code_pick_list.h"
#include "records/masters.h"

int PickService(const char* text, BtrvHandle services, void* record, int top, int left, int rows, int cols) {
  qxb::CodePickList list;
  list.title = " Services ";
  list.heading = "Service Code    Description";
  list.codeSize = sizeof records::ServiceRecord::code;
  list.nameOffset = offsetof(records::ServiceRecord, description);
  list.nameSize = sizeof records::ServiceRecord::description;
  list.recordLength = sizeof(records::ServiceRecord);
  return qxb::RunCodePickList(list, services, text, top, left, rows, cols, record) ? 1 : 0;
}
