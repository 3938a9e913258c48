// The journals' column dictionary and pick windows, the unposted count of the
// billing and purchasing journals, service-line completion and range bounds.
#include "qxabase/journal_services.h"

#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "oemtext.h"
#include "qxabase/bipo_posting.h"
#include "qxabase/messages.h"
#include "qxabase/unposted.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace {

constexpr std::size_t kTableWidth = sizeof JournalColumnRecord::table;

// A stored field as text: at most `size` bytes, up to a NUL.
std::string Field(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

template <std::size_t N>
std::string Field(const char (&field)[N]) {
  return Field(field, N);
}

std::string DateText(std::int32_t day) {
  char text[16] = {};
  return day ? DateToText(text, day) : "";
}

// Re-reads the record at a bookmark (a record position) on the current key,
// so that get next and get previous go on from it.
int ReadAt(BtrvHandle handle, std::int64_t bookmark, void* record, unsigned length) {
  const auto position = static_cast<std::uint32_t>(bookmark);
  std::memcpy(record, &position, sizeof position);
  char key[255] = {};
  return BtrvGetOp(kOpGetDirect, handle, key, record, length);
}

std::int64_t BookmarkOf(BtrvHandle handle) {
  std::uint32_t position = 0;
  if (BtrvPosition(kOpGetDirect, handle, &position) != kStatusOk) return -1;
  return position;
}

// --- The column pick ------------------------------------------------------------------

struct ColumnList {
  BtrvHandle handle = 0;
  char table[kTableWidth] = {};
  JournalColumnRecord record{};
};

bool SameTable(const ColumnList& c) { return std::memcmp(c.record.table, c.table, kTableWidth) == 0; }

std::string CaptionOf(const JournalColumnRecord& r) { return Field(r.caption); }

int FetchColumn(SearchList* list, int op, std::int64_t* bookmark, const char* text, char* line, int lineSize) {
  auto* c = static_cast<ColumnList*>(list->context);
  char key[255] = {};
  int status = kStatusOk;
  switch (op) {
    case kSearchFirst:
      JournalColumnKey(key, "", INT32_MIN);
      std::memcpy(key, c->table, kTableWidth);
      status = BtrvGetOp(kOpGetGreaterOrEqual, c->handle, key, &c->record, sizeof c->record);
      break;
    case kSearchLast:
      JournalColumnKey(key, "", INT32_MAX);
      std::memcpy(key, c->table, kTableWidth);
      status = BtrvGetOp(kOpGetLessOrEqual, c->handle, key, &c->record, sizeof c->record);
      break;
    case kSearchNext:
    case kSearchPrev:
      status = ReadAt(c->handle, *bookmark, &c->record, sizeof c->record);
      if (status == kStatusOk)
        status = BtrvGetOp(op == kSearchNext ? kOpGetNext : kOpGetPrevious, c->handle, key, &c->record,
                           sizeof c->record);
      break;
    case kSearchSeek: {
      // Columns are kept by number: the search finds the first column whose
      // caption begins with the text typed, without regard to case.
      const std::string wanted = text ? text : "";
      JournalColumnKey(key, "", INT32_MIN);
      std::memcpy(key, c->table, kTableWidth);
      status = BtrvGetOp(kOpGetGreaterOrEqual, c->handle, key, &c->record, sizeof c->record);
      while (status == kStatusOk && SameTable(*c)) {
        const std::string caption = CaptionOf(c->record);
        if (oem::CompareText(caption.substr(0, wanted.size()), wanted) == 0) break;
        status = BtrvGetOp(kOpGetNext, c->handle, key, &c->record, sizeof c->record);
      }
      break;
    }
    case kSearchFetch:
      status = ReadAt(c->handle, *bookmark, &c->record, sizeof c->record);
      break;
    default: return 1;
  }
  if (status != kStatusOk || !SameTable(*c)) return 1;
  const std::int64_t at = BookmarkOf(c->handle);
  if (at < 0) return 1;
  *bookmark = at;
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%-16s %4d", CaptionOf(c->record).c_str(),
                static_cast<int>(c->record.column));
  return 0;
}

// --- Header picks ----------------------------------------------------------------------

enum class HeaderKind { kRecPay, kAssembly, kCash, kBiPo };

struct HeaderList {
  HeaderKind kind;
  BtrvHandle handle = 0;
  void* record = nullptr;
  bool purchasing = false;
};

// The transaction number typed as its key form: right-justified in 10
// characters, as the entry screens store it, then a blank.
void NumberKey(char* key, const char* text) {
  char number[64] = {};
  std::snprintf(number, sizeof number, "%s", text ? text : "");
  StrJustify(number, 10);
  StrPad(number, 11);
  std::memcpy(key, number, 11);
}

void SeekKey(const HeaderList& h, const char* text, char* key) {
  switch (h.kind) {
    case HeaderKind::kRecPay:
    case HeaderKind::kAssembly:
      NumberKey(key, text);
      break;
    case HeaderKind::kCash: {
      char code[64] = {};
      std::snprintf(code, sizeof code, "%s", text ? text : "");
      StrPad(code, 7);
      std::memcpy(key, code, 7);
      break;
    }
    case HeaderKind::kBiPo: {
      key[0] = 'I';
      NumberKey(key + 1, text);
      const std::int32_t lowest = INT32_MIN;
      std::memcpy(key + 12, &lowest, sizeof lowest);
      break;
    }
  }
}

std::string HeaderLine(const HeaderList& h) {
  char line[160] = {};
  switch (h.kind) {
    case HeaderKind::kRecPay: {
      const auto* r = static_cast<const records::TagRecPayHeader*>(h.record);
      std::snprintf(line, sizeof line, "%-10.10s %-10.10s %-10.10s %-8s %-10.10s",
                    Field(r->transactionNumber).c_str(), Field(r->custVendCode).c_str(),
                    Field(r->invoiceNumber).c_str(), DateText(r->date).c_str(), Field(r->reference).c_str());
      break;
    }
    case HeaderKind::kAssembly: {
      const auto* r = static_cast<const records::AssemblyHeader*>(h.record);
      std::snprintf(line, sizeof line, "%-10.10s %-14.14s %-8s %-10.10s %12.2f",
                    Field(r->transactionNumber).c_str(), Field(r->productCode).c_str(),
                    DateText(r->date).c_str(), Field(r->reference).c_str(), static_cast<double>(r->quantity));
      break;
    }
    case HeaderKind::kCash: {
      const auto* r = static_cast<const records::CashHeader*>(h.record);
      std::snprintf(line, sizeof line, "%-7.7s %-10.10s %-10.10s %-8s %-10.10s %12.2f",
                    Field(r->journalCode).c_str(), Field(r->transactionNumber).c_str(),
                    Field(r->bankAccount).c_str(), DateText(r->date).c_str(), Field(r->reference).c_str(),
                    static_cast<double>(r->amount));
      break;
    }
    case HeaderKind::kBiPo: {
      const auto* r = static_cast<const records::TagBiPoHeader*>(h.record);
      std::snprintf(line, sizeof line, "%c %-10.10s %-10.10s %-8s %-30.30s", r->typeLetter ? r->typeLetter : ' ',
                    Field(r->transactionNumber).c_str(), Field(r->custVendCode).c_str(),
                    DateText(r->date).c_str(), Field(r->name).c_str());
      break;
    }
  }
  return line;
}

const char* HeadingOf(HeaderKind kind, bool purchasing) {
  switch (kind) {
    case HeaderKind::kRecPay: return "Tran. No.  Code       Invoice    Date     Reference";
    case HeaderKind::kAssembly: return "Tran. No.  Product        Date     Reference      Quantity";
    case HeaderKind::kCash: return "Journal Tran. No.  Bank acct. Date     Reference        Amount";
    case HeaderKind::kBiPo:
      return purchasing ? "T Number     Vendor     Date     Name" : "T Number     Customer   Date     Name";
  }
  return "";
}

int FetchHeader(SearchList* list, int op, std::int64_t* bookmark, const char* text, char* line, int lineSize) {
  auto* h = static_cast<HeaderList*>(list->context);
  char key[255] = {};
  int status = kStatusOk;
  switch (op) {
    case kSearchFirst: status = BtrvGetOp(kOpGetFirst, h->handle, key, h->record, 0); break;
    case kSearchLast: status = BtrvGetOp(kOpGetLast, h->handle, key, h->record, 0); break;
    case kSearchNext:
    case kSearchPrev:
      status = ReadAt(h->handle, *bookmark, h->record, 0);
      if (status == kStatusOk)
        status = BtrvGetOp(op == kSearchNext ? kOpGetNext : kOpGetPrevious, h->handle, key, h->record, 0);
      break;
    case kSearchSeek:
      SeekKey(*h, text, key);
      status = BtrvGetOp(kOpGetGreaterOrEqual, h->handle, key, h->record, 0);
      break;
    case kSearchFetch: status = ReadAt(h->handle, *bookmark, h->record, 0); break;
    default: return 1;
  }
  if (status != kStatusOk) return 1;
  const std::int64_t at = BookmarkOf(h->handle);
  if (at < 0) return 1;
  *bookmark = at;
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%s", HeaderLine(*h).c_str());
  return 0;
}

int PickHeader(HeaderKind kind, const char* text, BtrvHandle header, void* record, bool purchasing, int top,
               int left, int rows, int cols) {
  if (header == 0 || record == nullptr) return 0;
  BtrvKeyScope keeper(header);
  BtrvSetKey(header, 0, -1);
  HeaderList h{kind, header, record, purchasing};
  SearchList list;
  list.top = top;
  list.left = left;
  list.rows = rows;
  list.cols = cols;
  list.title = "Choose a transaction";
  list.heading = HeadingOf(kind, purchasing);
  list.fetch = FetchHeader;
  list.context = &h;
  std::string start = text ? text : "";
  while (!start.empty() && start.back() == ' ') start.pop_back();
  list.initialText = start.c_str();
  if (SearchListRun(&list) != 0) return 0;
  // The list has left the source on the row chosen; read it whole once more.
  return ReadAt(header, list.chosen, record, 0) == kStatusOk ? 1 : 0;
}

}  // namespace

void JournalColumnKey(char* key, const char* table, int column) {
  std::memset(key, ' ', kTableWidth);
  const std::size_t n = table ? strnlen(table, kTableWidth) : 0;
  if (n) std::memcpy(key, table, n);
  const std::int32_t number = column;
  std::memcpy(key + kTableWidth, &number, sizeof number);
}

char* JournalHeadingText(char* out, const JournalColumnRecord* column) {
  if (out == nullptr) return out;
  out[0] = '\0';
  if (column == nullptr) return out;
  std::snprintf(out, 64, "%s", Field(column->caption).c_str());
  StrTrim(5, out);
  return out;
}

int JournalColumnPick(const char* table, JournalColumnRecord* out, BtrvHandle columnFile,
                      const JournalColumnRecord* current, int top, int left, int rows, int cols) {
  if (out == nullptr || columnFile == 0) return 0;
  BtrvKeyScope keeper(columnFile);
  BtrvSetKey(columnFile, 0, -1);
  ColumnList c;
  c.handle = columnFile;
  JournalColumnKey(c.table, table, 0);
  // The name may come blank-padded or NUL-ended: blanks from its end on.
  for (std::size_t i = 0; i < kTableWidth; ++i)
    if (c.table[i] == '\0') c.table[i] = ' ';
  SearchList list;
  list.top = top;
  list.left = left;
  list.rows = rows;
  list.cols = cols;
  list.title = "Select on the column";
  list.heading = "Column             No.";
  list.fetch = FetchColumn;
  list.context = &c;
  std::string start = current ? CaptionOf(*current) : "";
  list.initialText = start.c_str();
  if (SearchListRun(&list) != 0) return 0;
  if (ReadAt(columnFile, list.chosen, &c.record, sizeof c.record) != kStatusOk || !SameTable(c)) return 0;
  *out = c.record;
  return 1;
}

int JournalPickA(char* text, BtrvHandle header, void* record, int, int top, int left, int rows, int cols) {
  return PickHeader(HeaderKind::kRecPay, text, header, record, false, top, left, rows, cols);
}

int JournalPickB(char* text, int, BtrvHandle header, void* record, int top, int left, int rows, int cols) {
  return PickHeader(HeaderKind::kAssembly, text, header, record, false, top, left, rows, cols);
}

int JournalPickC(char* text, int, BtrvHandle header, void* record, int top, int left, int rows, int cols) {
  return PickHeader(HeaderKind::kCash, text, header, record, false, top, left, rows, cols);
}

int JournalPickD(char* text, BtrvHandle header, int fileNo, void* record, int top, int left, int rows,
                 int cols) {
  return PickHeader(HeaderKind::kBiPo, text, header, record, (fileNo & ~0x700) != records::kFileBillingHeaders,
                    top, left, rows, cols);
}

namespace {

// Reads the billing or purchasing headers `header` holds dated from
// `fromDate` to `toDate` (key 2, the date), handing each to `each`; the
// handle keeps its key.  False after the record-manager error box when the
// file could not be read.
template <class Each>
bool ForEachHeaderOfDates(BtrvHandle header, int fileNo, std::int32_t fromDate, std::int32_t toDate, Each each) {
  constexpr int kDateKey = 2;
  BtrvKeyScope keeper(header);
  int status = BtrvSetKey(header, kDateKey, -1);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetGreaterOrEqual, fileNo, 0);
    return false;
  }
  records::TagBiPoHeader h{};
  char key[255] = {};
  std::memcpy(key, &fromDate, sizeof fromDate);
  int op = kOpGetGreaterOrEqual;
  status = BtrvGetOp(op, header, key, &h, sizeof h);
  while (status == kStatusOk && h.date <= toDate) {
    each(h);
    op = kOpGetNext;
    status = BtrvGetOp(op, header, key, &h, sizeof h);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) {
    MsgRecordError(status, 1, op, fileNo, 0);
    return false;
  }
  return true;
}

}  // namespace

bool JournalSelectRun(BtrvHandle header, int, int billing, long* count, std::int32_t fromDate,
                      std::int32_t toDate) {
  long found = 0;
  if (count) *count = 0;
  const int fileNo = billing ? records::kFileBillingHeaders : records::kFilePurchasingHeaders;
  const bool read = ForEachHeaderOfDates(header, fileNo, fromDate, toDate, [&](const records::TagBiPoHeader& h) {
    const bool closedOrder = !billing && h.typeLetter == 'O';
    if (records::UnpostedForPosting(h.postedFlag) && !closedOrder) ++found;
  });
  if (count) *count = found;
  return read;
}

bool BiPoEndCheck(BtrvHandle headers, int fileNo, std::int32_t fromDate, std::int32_t toDate,
                  CUnpostTransCount* counter) {
  bool any = false;
  const bool read = ForEachHeaderOfDates(headers, fileNo, fromDate, toDate, [&](const records::TagBiPoHeader& h) {
    // An order ('O') is never posted: it keeps no period open.
    if (!h.IsUnposted() || h.typeLetter == 'O') return;
    any = true;
    if (counter) counter->AddUnpostTrans(h.date);
  });
  return any || !read;
}

int JournalFieldDefault(records::BiPoLine* line, const records::ServiceRecord* service) {
  if (line == nullptr || service == nullptr) return 1;
  if (records::IsBlank(line->description)) records::SetText(line->description, records::Trimmed(service->description));
  if (records::IsBlank(line->department)) {
    const std::array<char, 6> segment = service->AccountSegment();
    std::memcpy(line->department, segment.data(), segment.size());
  }
  return 0;
}

char* RangeBoundConvert(char* text) {
  if (text == nullptr) return text;
  std::string_view t(text);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (oem::CompareText(t, "FIRST") == 0 || oem::CompareText(t, "LAST") == 0) text[0] = '\0';
  return text;
}
