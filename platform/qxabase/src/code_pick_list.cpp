// The search list behind the base library's pick lists.
#include "code_pick_list.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "ravadodo.h"

namespace qxb {
namespace {

struct ListedFile {
  const CodePickList* list = nullptr;
  BtrvHandle handle = 0;
  unsigned char record[1024] = {};
};

std::string FieldAt(const unsigned char* record, std::size_t offset, std::size_t size) {
  const char* p = reinterpret_cast<const char*>(record + offset);
  std::string text(p, strnlen(p, size));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Makes the record at a stored position current again.
int ReadAt(ListedFile* f, std::int64_t bookmark) {
  const auto position = static_cast<std::uint32_t>(bookmark);
  std::memcpy(f->record, &position, sizeof position);
  char key[255] = {};
  return BtrvGetOp(kOpGetDirect, f->handle, key, f->record, f->list->recordLength);
}

int Fetch(SearchList* search, int op, std::int64_t* bookmark, const char* text, char* line, int lineSize) {
  auto* f = static_cast<ListedFile*>(search->context);
  const CodePickList& l = *f->list;
  char key[255] = {};
  int status = kStatusOk;
  switch (op) {
    case kSearchFirst: status = BtrvGetOp(kOpGetFirst, f->handle, key, f->record, l.recordLength); break;
    case kSearchLast: status = BtrvGetOp(kOpGetLast, f->handle, key, f->record, l.recordLength); break;
    case kSearchNext:
    case kSearchPrev:
      status = ReadAt(f, *bookmark);
      if (status == kStatusOk)
        status = BtrvGetOp(op == kSearchNext ? kOpGetNext : kOpGetPrevious, f->handle, key, f->record,
                           l.recordLength);
      break;
    case kSearchSeek: {
      const std::size_t width = l.codeSize - 1;
      if (l.blankPaddedKey) std::memset(key, ' ', width);
      if (text) std::memcpy(key, text, strnlen(text, width));
      status = BtrvGetOp(kOpGetGreaterOrEqual, f->handle, key, f->record, l.recordLength);
      break;
    }
    case kSearchFetch: status = ReadAt(f, *bookmark); break;
    default: return 1;
  }
  if (status != kStatusOk) return 1;
  std::uint32_t position = 0;
  if (BtrvPosition(kOpGetDirect, f->handle, &position) != kStatusOk) return 1;
  *bookmark = position;
  if (l.formatRow) {
    l.formatRow(f->record, line, lineSize);
  } else {
    std::snprintf(line, static_cast<std::size_t>(lineSize), "%-*s  %s", static_cast<int>(l.codeSize - 1),
                  FieldAt(f->record, 0, l.codeSize).c_str(), FieldAt(f->record, l.nameOffset, l.nameSize).c_str());
  }
  return 0;
}

}  // namespace

bool RunCodePickList(const CodePickList& list, BtrvHandle handle, const char* text, int top, int left,
                     int rows, int cols, void* record) {
  if (handle == 0 || record == nullptr || list.recordLength > sizeof ListedFile::record) return false;
  ListedFile f;
  f.list = &list;
  f.handle = handle;
  BtrvKeyScope keyScope(handle);
  BtrvSetKey(handle, 0, -1);
  SearchList search;
  search.top = top;
  search.left = left;
  search.rows = rows;
  search.cols = cols;
  search.title = list.title;
  search.heading = list.heading;
  search.fetch = Fetch;
  search.context = &f;
  std::string start;
  if (text) start = list.startTextMax ? std::string(text, strnlen(text, list.startTextMax)) : std::string(text);
  while (!start.empty() && start.back() == ' ') start.pop_back();
  search.initialText = start.empty() ? nullptr : start.c_str();
  if (SearchListRun(&search) != 0) return false;
  if (ReadAt(&f, search.chosen) != kStatusOk) return false;
  std::memcpy(record, f.record, list.recordLength);
  return true;
}

}  // namespace qxb
