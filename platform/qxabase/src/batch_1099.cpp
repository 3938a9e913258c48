// The 1099 batches over file 84, and their pick list.
#include "qxabase/batch_1099.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "code_pick_list.h"

namespace {

// The key of a batch name: its first 11 characters, blanks at the ends
// dropped.
void NameKey(const char* name, char (&key)[255]) {
  std::memset(key, 0, sizeof key);
  if (name == nullptr) return;
  std::string text(name, strnlen(name, sizeof records::TagBatchForm1099::name + 64));
  const std::size_t b = text.find_first_not_of(' ');
  text = b == std::string::npos ? std::string() : text.substr(b);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  std::memcpy(key, text.data(), std::min(text.size(), sizeof records::TagBatchForm1099::name - 1));
}

void BatchRow(const void* record, char* line, int lineSize) {
  records::TagBatchForm1099 batch{};
  std::memcpy(&batch, record, sizeof batch);
  batch.name[sizeof batch.name - 1] = 0;
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%-11s %5d %12.2f   %c", batch.name,
                static_cast<int>(batch.formCount), static_cast<double>(batch.totalAmount),
                batch.form1096 == 'Y' ? 'Y' : 'N');
}

}  // namespace

int QxaBatchFileForm1099::TableRead(const char* name, int op) {
  char key[255];
  NameKey(name, key);
  records::TagBatchForm1099 found{};
  const int status = BtrvGetOp(op, handle_, key, &found, sizeof found);
  if (status == kStatusOk) record_ = found;
  return status;
}

int QxaBatchFileForm1099::TableWrite(const records::TagBatchForm1099* record, int isNew) {
  if (record == nullptr) return kStatusInvalidOperation;
  records::TagBatchForm1099 image = *record;
  image.name[sizeof image.name - 1] = 0;
  char key[255];
  NameKey(image.name, key);
  if (isNew) return BtrvWriteOp(kOpInsert, handle_, key, &image, sizeof image);
  records::TagBatchForm1099 stored{};
  const int status = BtrvGetOp(kOpGetEqual + kLockBias, handle_, key, &stored, sizeof stored);
  if (status != kStatusOk) return status;
  const int written = BtrvWriteOp(kOpUpdate, handle_, key, &image, sizeof image);
  // The lock guarded this one rewrite: another file set (the 1096 run from
  // inside the 1099 run) may write the batch next.
  BtrvUnlock(-1, handle_);
  if (written == kStatusOk) record_ = image;
  return written;
}

int PickBatchFile1099(const char* text, int, int, BtrvHandle batches, records::TagBatchForm1099* record, int top,
                      int left, int rows, int cols, int) {
  qxb::CodePickList list;
  list.title = " 1099 Batches ";
  list.heading = "Batch       Forms        Total 1096";
  list.codeSize = sizeof records::TagBatchForm1099::name;
  list.recordLength = sizeof(records::TagBatchForm1099);
  list.blankPaddedKey = false;
  list.formatRow = BatchRow;
  return qxb::RunCodePickList(list, batches, text, top, left, rows, cols, record) ? 1 : 0;
}
