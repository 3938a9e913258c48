// Pick lists of customers, vendors and salespeople over the caller's handle.
#include "qxabase/pick_lists.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "ravadodo.h"
#include "records/masters.h"

namespace {

// Puts a handle's key back however the list ends.
class KeyKeeper {
 public:
  explicit KeyKeeper(BtrvHandle handle) : handle_(handle), key_(BtrvGetKey(handle)) {}
  ~KeyKeeper() {
    if (key_ >= 0) BtrvSetKey(handle_, key_, -1);
  }
  KeyKeeper(const KeyKeeper&) = delete;
  KeyKeeper& operator=(const KeyKeeper&) = delete;

 private:
  BtrvHandle handle_;
  int key_;
};

// What one list shows of its records: the code and the name, both at the
// start of the record, and the record's length.
struct ListedFile {
  BtrvHandle handle = 0;
  std::size_t codeSize = 0;     // the code field's width (NUL-ended)
  std::size_t nameOffset = 0;
  std::size_t nameSize = 0;
  unsigned recordLength = 0;
  unsigned char record[1024] = {};
};

std::string FieldAt(const unsigned char* record, std::size_t offset, std::size_t size) {
  const char* p = reinterpret_cast<const char*>(record + offset);
  std::string text(p, strnlen(p, size));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

int ReadAt(const ListedFile& f, std::int64_t bookmark, void* record) {
  const auto position = static_cast<std::uint32_t>(bookmark);
  std::memcpy(record, &position, sizeof position);
  char key[255] = {};
  return BtrvGetOp(kOpGetDirect, f.handle, key, record, f.recordLength);
}

int Fetch(SearchList* list, int op, std::int64_t* bookmark, const char* text, char* line, int lineSize) {
  auto* f = static_cast<ListedFile*>(list->context);
  char key[255] = {};
  int status = kStatusOk;
  switch (op) {
    case kSearchFirst: status = BtrvGetOp(kOpGetFirst, f->handle, key, f->record, f->recordLength); break;
    case kSearchLast: status = BtrvGetOp(kOpGetLast, f->handle, key, f->record, f->recordLength); break;
    case kSearchNext:
    case kSearchPrev:
      status = ReadAt(*f, *bookmark, f->record);
      if (status == kStatusOk)
        status = BtrvGetOp(op == kSearchNext ? kOpGetNext : kOpGetPrevious, f->handle, key, f->record,
                           f->recordLength);
      break;
    case kSearchSeek: {
      // Codes are keyed without case and blank-padded: the typed text as is.
      const std::size_t n = text ? strnlen(text, f->codeSize - 1) : 0;
      std::memset(key, ' ', f->codeSize - 1);
      if (n) std::memcpy(key, text, n);
      status = BtrvGetOp(kOpGetGreaterOrEqual, f->handle, key, f->record, f->recordLength);
      break;
    }
    case kSearchFetch: status = ReadAt(*f, *bookmark, f->record); break;
    default: return 1;
  }
  if (status != kStatusOk) return 1;
  std::uint32_t position = 0;
  if (BtrvPosition(kOpGetDirect, f->handle, &position) != kStatusOk) return 1;
  *bookmark = position;
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%-*s  %s", static_cast<int>(f->codeSize - 1),
                FieldAt(f->record, 0, f->codeSize).c_str(),
                FieldAt(f->record, f->nameOffset, f->nameSize).c_str());
  return 0;
}

// Runs the list; true with the chosen record in f->record.
bool RunList(ListedFile* f, const char* title, const char* heading, const char* text, int top, int left,
             int rows, int cols) {
  if (f->handle == 0) return false;
  KeyKeeper keeper(f->handle);
  BtrvSetKey(f->handle, 0, -1);
  SearchList list;
  list.top = top;
  list.left = left;
  list.rows = rows;
  list.cols = cols;
  list.title = title;
  list.heading = heading;
  list.fetch = Fetch;
  list.context = f;
  std::string start = text ? text : "";
  while (!start.empty() && start.back() == ' ') start.pop_back();
  list.initialText = start.empty() ? nullptr : start.c_str();
  if (SearchListRun(&list) != 0) return false;
  return ReadAt(*f, list.chosen, f->record) == kStatusOk;
}

int PickCustVend(const char* title, const char* heading, const char* text, BtrvHandle handle, void* record,
                 int top, int left, int rows, int cols) {
  if (record == nullptr) return 0;
  ListedFile f;
  f.handle = handle;
  f.codeSize = sizeof records::CustVendRecord::code;
  f.nameOffset = offsetof(records::CustVendRecord, name);
  f.nameSize = sizeof records::CustVendRecord::name;
  f.recordLength = sizeof(records::CustVendRecord);
  if (!RunList(&f, title, heading, text, top, left, rows, cols)) return 0;
  std::memcpy(record, f.record, sizeof(records::CustVendRecord));
  return 1;
}

}  // namespace

int PickCustomer(const char* text, int, BtrvHandle customers, void* record, int top, int left, int rows,
                 int cols, int, int) {
  return PickCustVend(" Customers ", "Code        Name", text, customers, record, top, left, rows, cols);
}

int PickVendor(const char* text, int, BtrvHandle vendors, void* record, int top, int left, int rows, int cols,
               int, int) {
  return PickCustVend(" Vendors ", "Code        Name", text, vendors, record, top, left, rows, cols);
}

int PickCustomerByKey(const char* text, int, BtrvHandle salespeople, void* record, int top, int left, int rows,
                      int cols, int) {
  if (record == nullptr) return 0;
  ListedFile f;
  f.handle = salespeople;
  f.codeSize = sizeof records::Salesperson::code;
  f.nameOffset = offsetof(records::Salesperson, name);
  f.nameSize = sizeof records::Salesperson::name;
  f.recordLength = sizeof(records::Salesperson);
  if (!RunList(&f, " Salespeople ", "Code   Name", text, top, left, rows, cols)) return 0;
  auto* customer = static_cast<records::CustVendRecord*>(record);
  std::memcpy(customer->salesperson, f.record, sizeof customer->salesperson);
  return 1;
}
