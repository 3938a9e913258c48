// Pick lists of G/L accounts over the caller's handle.
#include "qxabase/pick_account.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "ravadodo.h"
#include "records/masters.h"

namespace {

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

struct AccountList {
  BtrvHandle handle = 0;
  records::GLAccount record{};
};

int ReadAt(AccountList* l, std::int64_t bookmark) {
  const auto position = static_cast<std::uint32_t>(bookmark);
  std::memcpy(&l->record, &position, sizeof position);
  char key[255] = {};
  return BtrvGetOp(kOpGetDirect, l->handle, key, &l->record, sizeof l->record);
}

const char* KindName(std::uint8_t kind) {
  switch (kind) {
    case 1: return "Asset";
    case 2: return "Liability";
    case 3: return "Equity";
    case 4: return "Income";
    case 5: return "Expense";
    default: return "";
  }
}

int Fetch(SearchList* list, int op, std::int64_t* bookmark, const char* text, char* line, int lineSize) {
  auto* l = static_cast<AccountList*>(list->context);
  char key[255] = {};
  int status = kStatusOk;
  switch (op) {
    case kSearchFirst: status = BtrvGetOp(kOpGetFirst, l->handle, key, &l->record, sizeof l->record); break;
    case kSearchLast: status = BtrvGetOp(kOpGetLast, l->handle, key, &l->record, sizeof l->record); break;
    case kSearchNext:
    case kSearchPrev:
      status = ReadAt(l, *bookmark);
      if (status == kStatusOk)
        status = BtrvGetOp(op == kSearchNext ? kOpGetNext : kOpGetPrevious, l->handle, key, &l->record,
                           sizeof l->record);
      break;
    case kSearchSeek:
      if (text) std::memcpy(key, text, strnlen(text, sizeof l->record.code - 1));
      status = BtrvGetOp(kOpGetGreaterOrEqual, l->handle, key, &l->record, sizeof l->record);
      break;
    case kSearchFetch: status = ReadAt(l, *bookmark); break;
    default: return 1;
  }
  if (status != kStatusOk) return 1;
  std::uint32_t position = 0;
  if (BtrvPosition(kOpGetDirect, l->handle, &position) != kStatusOk) return 1;
  *bookmark = position;
  const records::GLAccount& a = l->record;
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%-10s  %-30.30s  %-9s  %s",
                std::string(records::Trimmed(a.code)).c_str(), std::string(records::Trimmed(a.name)).c_str(),
                KindName(a.kind), a.IsSummary() ? "Summary" : "Detail");
  return 0;
}

}  // namespace

int PickCode1050(const char* text, int, BtrvHandle accounts, void* record, int top, int left, int rows, int cols,
                 int, int) {
  if (accounts == 0 || record == nullptr) return 0;
  KeyKeeper keeper(accounts);
  BtrvSetKey(accounts, 0, -1);
  AccountList l;
  l.handle = accounts;
  SearchList list;
  list.top = top;
  list.left = left;
  list.rows = rows;
  list.cols = cols;
  list.title = " Accounts ";
  list.heading = "Account     Name                            Kind       Type";
  list.fetch = Fetch;
  list.context = &l;
  std::string start = text ? std::string(text, strnlen(text, 10)) : "";
  while (!start.empty() && start.back() == ' ') start.pop_back();
  list.initialText = start.empty() ? nullptr : start.c_str();
  if (SearchListRun(&list) != 0) return 0;
  if (ReadAt(&l, list.chosen) != kStatusOk) return 0;
  std::memcpy(record, &l.record, sizeof l.record);
  return 1;
}

int PickAccount(char* code, BtrvHandle accounts, void* record, int top, int left, int rows, int cols, int) {
  records::GLAccount chosen{};
  if (!PickCode1050(code, 0, accounts, &chosen, top, left, rows, cols)) return 0;
  if (record) std::memcpy(record, &chosen, sizeof chosen);
  if (code) {
    const std::string_view c = records::Trimmed(chosen.code);
    std::memcpy(code, c.data(), c.size());
    code[c.size()] = '\0';
  }
  return 1;
}
