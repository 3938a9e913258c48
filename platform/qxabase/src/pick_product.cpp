// The product pick list over the caller's handle.
#include "qxabase/pick_product.h"

#include <cstddef>

#include "code_pick_list.h"
#include "records/masters.h"

int PickProduct(const char* text, int, BtrvHandle products, void* record, int top, int left, int rows, int cols) {
  qxb::CodePickList list;
  list.title = " Products ";
  list.heading = "Product Number  Description";
  list.codeSize = sizeof records::TagProduct::number;
  list.nameOffset = offsetof(records::TagProduct, description);
  list.nameSize = sizeof records::TagProduct::description;
  list.recordLength = sizeof(records::TagProduct);
  return qxb::RunCodePickList(list, products, text, top, left, rows, cols, record) ? 1 : 0;
}
