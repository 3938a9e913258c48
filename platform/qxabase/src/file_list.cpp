// The search list over an open record file in one of its keys.
#include "qxabase/file_list.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "ravadodo.h"

namespace {

int ReadAt(const FileList& f, std::int64_t bookmark) {
  const auto position = static_cast<std::uint32_t>(bookmark);
  std::memcpy(f.record, &position, sizeof position);
  char key[255] = {};
  return BtrvGetOp(kOpGetDirect, f.handle, key, f.record, f.length);
}

int FetchRow(SearchList* list, int op, std::int64_t* bookmark, const char* text, char* line, int lineSize) {
  auto* f = static_cast<FileList*>(list->context);
  char key[255] = {};
  int status = kStatusOk;
  switch (op) {
    case kSearchFirst: status = BtrvGetOp(kOpGetFirst, f->handle, key, f->record, f->length); break;
    case kSearchLast: status = BtrvGetOp(kOpGetLast, f->handle, key, f->record, f->length); break;
    case kSearchNext:
    case kSearchPrev:
      status = ReadAt(*f, *bookmark);
      if (status == kStatusOk)
        status = BtrvGetOp(op == kSearchNext ? kOpGetNext : kOpGetPrevious, f->handle, key, f->record, f->length);
      break;
    case kSearchSeek:
      if (f->seekKey == nullptr) {
        status = BtrvGetOp(kOpGetFirst, f->handle, key, f->record, f->length);
        break;
      }
      f->seekKey(f->keys[0], text, key);
      status = BtrvGetOp(kOpGetGreaterOrEqual, f->handle, key, f->record, f->length);
      break;
    case kSearchFetch: status = ReadAt(*f, *bookmark); break;
    default: return 1;
  }
  if (status != kStatusOk) return 1;
  std::uint32_t position = 0;
  if (BtrvPosition(kOpGetDirect, f->handle, &position) != kStatusOk) return 1;
  *bookmark = position;
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%s", f->line(f->record).c_str());
  return 0;
}

// Shift+F9 switches the list between its two orders; other keys are the
// caller's.
int ListKey(SearchList* list, KeyCode key, std::int64_t bookmark) {
  auto* f = static_cast<FileList*>(list->context);
  if (key != kKeyShiftF9 || f->keys[0] == f->keys[1]) return f->onKey ? f->onKey(list, key, bookmark) : 0;
  std::swap(f->keys[0], f->keys[1]);
  BtrvSetKey(f->handle, f->keys[0], -1);
  return 2;
}

}  // namespace

FileList* FileListOf(SearchList* list) { return list ? static_cast<FileList*>(list->context) : nullptr; }

bool RunFileList(FileList& f, const char* title, const char* heading, const char* start, int top, int left,
                 int rows, int cols) {
  if (f.handle == 0 || f.record == nullptr || f.line == nullptr) return false;
  BtrvKeyScope keyScope(f.handle);
  BtrvSetKey(f.handle, f.keys[0], -1);
  SearchList list;
  list.top = top;
  list.left = left;
  list.rows = rows;
  list.cols = cols;
  list.title = title;
  list.prompt = "Search:";
  list.heading = heading;
  std::string legend = f.legend ? f.legend : "";
  if (f.keys[0] != f.keys[1]) legend += legend.empty() ? "Shift+F9 Order" : "  Shift+F9 Order";
  list.legend = legend.empty() ? nullptr : legend.c_str();
  list.fetch = FetchRow;
  list.onKey = ListKey;
  list.context = &f;
  std::string text = start ? start : "";
  while (!text.empty() && text.back() == ' ') text.pop_back();
  list.initialText = text.c_str();
  const int result = SearchListRun(&list);
  f.lastKey = list.lastKey;
  return result == 0 && ReadAt(f, list.chosen) == kStatusOk;
}
