// The service pick list over the caller's handle.
#include "qxabase/pick_service.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "ravadodo.h"
#include "records/masters.h"

namespace {

constexpr int kServiceKey = 0;

struct ServiceList {
  BtrvHandle handle = 0;
  records::ServiceRecord record{};
};

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  std::string text(field, strnlen(field, N));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Makes the service at a stored position current again.
int ReadAt(ServiceList* list, std::int64_t bookmark) {
  const auto position = static_cast<std::uint32_t>(bookmark);
  std::memcpy(&list->record, &position, sizeof position);
  char key[255] = {};
  return BtrvGetOp(kOpGetDirect, list->handle, key, &list->record, sizeof list->record);
}

int Fetch(SearchList* search, int op, std::int64_t* bookmark, const char* text, char* line, int lineSize) {
  auto* list = static_cast<ServiceList*>(search->context);
  char key[255] = {};
  int status = kStatusOk;
  const unsigned length = sizeof list->record;
  switch (op) {
    case kSearchFirst: status = BtrvGetOp(kOpGetFirst, list->handle, key, &list->record, length); break;
    case kSearchLast: status = BtrvGetOp(kOpGetLast, list->handle, key, &list->record, length); break;
    case kSearchNext:
    case kSearchPrev:
      status = ReadAt(list, *bookmark);
      if (status == kStatusOk)
        status = BtrvGetOp(op == kSearchNext ? kOpGetNext : kOpGetPrevious, list->handle, key, &list->record, length);
      break;
    case kSearchSeek: {
      // Service codes are keyed without case and blank-padded.
      constexpr std::size_t width = sizeof list->record.code - 1;
      std::memset(key, ' ', width);
      if (text) std::memcpy(key, text, strnlen(text, width));
      status = BtrvGetOp(kOpGetGreaterOrEqual, list->handle, key, &list->record, length);
      break;
    }
    case kSearchFetch: status = ReadAt(list, *bookmark); break;
    default: return 1;
  }
  if (status != kStatusOk) return 1;
  std::uint32_t position = 0;
  if (BtrvPosition(kOpGetDirect, list->handle, &position) != kStatusOk) return 1;
  *bookmark = position;
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%-14s  %s", Trimmed(list->record.code).c_str(),
                Trimmed(list->record.description).c_str());
  return 0;
}

// Puts the handle's key back however the list ends.
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

}  // namespace

int PickService(const char* text, BtrvHandle services, void* record, int top, int left, int rows, int cols) {
  if (record == nullptr || services == 0) return 0;
  ServiceList list;
  list.handle = services;
  KeyKeeper keeper(services);
  BtrvSetKey(services, kServiceKey, -1);
  SearchList search;
  search.top = top;
  search.left = left;
  search.rows = rows;
  search.cols = cols;
  search.title = " Services ";
  search.heading = "Service Code    Description";
  search.fetch = Fetch;
  search.context = &list;
  std::string start = text ? text : "";
  while (!start.empty() && start.back() == ' ') start.pop_back();
  search.initialText = start.empty() ? nullptr : start.c_str();
  if (SearchListRun(&search) != 0) return 0;
  if (ReadAt(&list, search.chosen) != kStatusOk) return 0;
  std::memcpy(record, &list.record, sizeof list.record);
  return 1;
}
