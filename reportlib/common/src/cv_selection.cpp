// The record selection of statements, letters and labels: the accounts in
// a range, or picked from a list of them, handed over one at a time.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cv_output.h"
#include "oemtext.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/tables.h"
#include "ravadodo.h"

namespace {

constexpr int kMsgNothingSelected = 197;
constexpr const char* kSelectionFile = "TEMPCSVD.DB";
constexpr int kSelectionRecordLength = sizeof(CustVendSelectionRecord);
constexpr int kSelectionPageSize = 2048;
constexpr int kMostCopies = 99;

// The pick list's window.
constexpr int kListTop = 5, kListLeft = 1, kListRows = 10, kListCols = 76;

constexpr char kMarked = 'Y';
constexpr char kUnmarked = 'N';

bool IsCodeOrName(int id) { return id == kSelCode || id == kSelName; }

template <std::size_t N>
std::string_view TextOf(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

// The criterion whose field orders the walk, and the other one.
const RangeCriterion& Leading(const CustVendOutputParams& p) { return p.rankLeads ? p.range2 : p.range1; }
const RangeCriterion& Following(const CustVendOutputParams& p) { return p.rankLeads ? p.range1 : p.range2; }

// The second criterion leads when the first is the code or the name and
// the second is neither: ordering by code or name says little once another
// field is chosen.  Neither criterion moves, so each keeps its caption.
void ChooseLeading(CustVendOutputParams* p) {
  p->rankLeads = IsCodeOrName(p->range1.fieldId) && !IsCodeOrName(p->range2.fieldId) && p->range2.fieldId > 0 ? 1 : 0;
}

// --- The walk in range mode ------------------------------------------------------------

int CreateCustVendSelectionIndex(CustVendOutputParams* p) {
  ChooseLeading(p);
  const int first = Leading(*p).fieldId, second = Following(*p).fieldId;
  BtrvSetKey(p->custVendHandle, 0, -1);
  // Key 0 is the code: the file's own order.
  if (first == kSelCode) return kStatusOk;
  const int status = TempIndexCreate(p->custVendFileNo, p->custVendHandle, first, second > 0 ? second : -1, -1);
  if (status == kStatusOk) p->indexMade = 1;
  return status;
}

// --- The selection file ------------------------------------------------------------------

// The selection file's key: its leading field, that field again, then the
// following field (the same field twice makes a key of two segments).
int CreateCustVendSelectionFile(CustVendOutputParams* p) {
  ChooseLeading(p);
  const int first = Leading(*p).fieldId, second = Following(*p).fieldId;
  std::vector<unsigned char> list(810);
  int status = DictFieldListBuild(kSelectionFile, static_cast<int>(list.size()), list.data(), first, second, kSelMark);
  if (status != 0) return status;
  BtrvHandle dict = 0;
  status = DictQueryInit(&dict);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpOpen, kFileFieldDictionary, 0);
    return status;
  }
  struct CloseDict {
    BtrvHandle h;
    ~CloseDict() { BtrvClose(h); }
  } closeDict{dict};
  std::vector<int> fields = first == second ? std::vector<int>{first, first} : std::vector<int>{first, first, second};
  std::vector<unsigned char> segments(fields.size() * kKeySegmentSize);
  DictFieldDef def{};
  int needsCollating = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    // The repeated first field reuses the definition already read.
    if (i == 0 || fields[i] != fields[i - 1]) {
      status = DictQueryJoin(dict, fields[i], kSelectionFile, &def);
      if (status != kStatusOk) return status;
    }
    unsigned char* segment = segments.data() + i * kKeySegmentSize;
    if (DictQueryLink(segment, &def, &needsCollating) != 0) return kStatusKeyTypeError;
    if (i + 1 < fields.size()) {
      std::uint16_t flags = 0;
      std::memcpy(&flags, segment + 4, 2);
      flags = static_cast<std::uint16_t>(flags + kKeyFlagSegmented);
      std::memcpy(segment + 4, &flags, 2);
    }
  }
  if (needsCollating) {
    const std::size_t at = segments.size();
    segments.resize(at + kCollatingSequenceSize);
    BtrvGetCollatingSequence(segments.data() + at);
  }
  unsigned char spec[kFileSpecSize] = {};
  const std::uint16_t length = kSelectionRecordLength, page = kSelectionPageSize;
  std::memcpy(spec, &length, 2);
  std::memcpy(spec + 2, &page, 2);
  spec[4] = 1;
  return FileCreate(kOpenShared, &p->selectionHandle, p->selectionPath, kSelectionFile, spec, segments.data());
}

int FillCustVendSelectionFile(CustVendOutputParams* p) {
  CDbTblActiveCustVend table(p->custVendHandle, p->custVendFileNo);
  std::memset(&p->recordArea, 0, sizeof p->recordArea);
  std::memset(p->keyBuffer, 0, sizeof p->keyBuffer);
  CustVendSelectInit(&p->recordArea.block, p->runDate, 30, 3);
  BtrvSetKey(p->custVendHandle, 0, -1);
  int status = table.Read(kOpGetFirst, p->keyBuffer, &p->recordArea.record, sizeof p->recordArea.record);
  if (status == kStatusEndOfFile) {
    MsgShow(kMsgNothingSelected, 1);
    return kStatusEndOfFile;
  }
  if (status != kStatusOk) return MsgRecordError(status, 1, kOpGetFirst, p->custVendFileNo, 0);
  const int wait = MsgWaitOpen("RSMsgCreateFile", 0);
  struct CloseWait {
    int handle;
    ~CloseWait() { MsgWaitClose(handle); }
  } closeWait{wait};
  // The work file is filled as one transaction: one commit, not one for
  // each account.  Inside a transaction of the caller's it joins that one.
  BtrvTransactionScope fill;
  const bool own = fill.Begin() == kStatusOk;
  int inserted = 0;
  while (status == kStatusOk) {
    if (wait) MsgWaitStep(wait, 0);
    ComputeCustVendAccountBlock(p);
    if (CustVendSelected(p)) {
      p->recordArea.mark = kMarked;
      p->recordArea.copies = static_cast<std::int16_t>(std::min(std::max(p->copies, 1), kMostCopies));
      char key[255] = {};
      const int written = BtrvWriteOp(kOpInsert, p->selectionHandle, key, &p->recordArea, kSelectionRecordLength);
      if (written != kStatusOk) return MsgRecordError(written, 1, kOpInsert, p->custVendFileNo, 0);
      ++inserted;
    }
    std::memset(&p->recordArea.record, 0, sizeof p->recordArea.record);
    status = table.Read(kOpGetNext, p->keyBuffer, &p->recordArea.record, sizeof p->recordArea.record);
  }
  if (status == kStatusEndOfFile) status = kStatusOk;
  if (status != kStatusOk) return MsgRecordError(status, 1, kOpGetNext, p->custVendFileNo, 0);
  if (own) {
    status = fill.Commit();
    if (status != kStatusOk) return MsgRecordError(status, 1, kOpEndTransaction, p->custVendFileNo, 0);
  }
  if (inserted == 0) {
    MsgShow(kMsgNothingSelected, 1);
    return kStatusEndOfFile;
  }
  return kStatusOk;
}

// --- The pick list -------------------------------------------------------------------------

struct PickListRun {
  CustVendOutputParams* params = nullptr;
  std::vector<unsigned char> columns;  // the field list
  CustVendSelectionRecord record{};
};

const DictFieldDef* Column(const PickListRun& run, int i) { return DictFieldListAt(run.columns.data(), i); }

int ReadAt(PickListRun* run, std::int64_t bookmark) {
  const auto position = static_cast<std::uint32_t>(bookmark);
  std::memcpy(&run->record, &position, sizeof position);
  char key[255] = {};
  return BtrvGetOp(kOpGetDirect, run->params->selectionHandle, key, &run->record, kSelectionRecordLength);
}

int PickFetch(SearchList* list, int op, std::int64_t* bookmark, const char* text, char* line, int lineSize) {
  auto* run = static_cast<PickListRun*>(list->context);
  const BtrvHandle h = run->params->selectionHandle;
  char key[255] = {};
  int status = kStatusOk;
  switch (op) {
    case kSearchFirst: status = BtrvGetOp(kOpGetFirst, h, key, &run->record, kSelectionRecordLength); break;
    case kSearchLast: status = BtrvGetOp(kOpGetLast, h, key, &run->record, kSelectionRecordLength); break;
    case kSearchNext:
    case kSearchPrev:
      status = ReadAt(run, *bookmark);
      if (status == kStatusOk)
        status = BtrvGetOp(op == kSearchNext ? kOpGetNext : kOpGetPrevious, h, key, &run->record,
                           kSelectionRecordLength);
      break;
    case kSearchSeek: {
      // The leading field is a text: the list moves to the first value at
      // or after what was typed.  Other fields are not searched by text.
      const DictFieldDef& first = *Column(*run, 0);
      if (first.valueType == kDictText) {
        std::memset(key, ' ', static_cast<std::size_t>(std::min<int>(first.length - 1, 120)));
        if (text) std::memcpy(key, text, std::min(std::strlen(text), static_cast<std::size_t>(first.length - 1)));
        // The repeated segment holds the same value.
        std::memcpy(key + first.length, key, static_cast<std::size_t>(first.length));
        status = BtrvGetOp(kOpGetGreaterOrEqual, h, key, &run->record, kSelectionRecordLength);
      } else {
        status = BtrvGetOp(kOpGetFirst, h, key, &run->record, kSelectionRecordLength);
      }
      break;
    }
    case kSearchFetch: status = ReadAt(run, *bookmark); break;
    default: return 1;
  }
  if (status != kStatusOk) return 1;
  std::uint32_t position = 0;
  if (BtrvPosition(kOpGetDirect, h, &position) != kStatusOk) return 1;
  *bookmark = position;
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%s",
                DictFieldListRow(run->columns.data(), &run->record).c_str());
  return 0;
}

// The row key handler: F3 marks or unmarks the row and moves on, F7 and F8
// take a copy off or add one (1 to 99), F10 ends the list.
int CustVendPickListKey(SearchList* list, KeyCode key, std::int64_t bookmark) {
  auto* run = static_cast<PickListRun*>(list->context);
  if (key == kKeyEnter) return 0;
  if (key == kKeyF10) return -1;
  if (key != kKeyF3 && key != kKeyF7 && key != kKeyF8) return 0;
  if (ReadAt(run, bookmark) != kStatusOk) return -1;
  CustVendSelectionRecord& r = run->record;
  const int copies = r.copies;
  switch (key) {
    case kKeyF3:
      r.mark = r.mark == kMarked ? kUnmarked : kMarked;
      KeyPush(kKeyDown);
      break;
    case kKeyF7:
      if (copies > 1) r.copies = static_cast<std::int16_t>(copies - 1);
      break;
    default:
      // The copies field holds two digits.
      if (copies < kMostCopies) r.copies = static_cast<std::int16_t>(copies + 1);
      break;
  }
  char keyBuffer[255] = {};
  const int status = BtrvWriteOp(kOpUpdate, run->params->selectionHandle, keyBuffer, &r, kSelectionRecordLength);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpUpdate, run->params->custVendFileNo, 0);
    return -1;
  }
  return 1;
}

// The list's columns by the leading criterion's field: it, then what tells
// the accounts apart, the mark and the copies, and one more.
void PickListColumns(int leading, int* first, int* second, int* third) {
  switch (leading) {
    case kSelName:
      *first = kSelName, *second = kSelCode, *third = kSelTotalPastDue;
      return;
    case kSelDepartment: case kSelSalesperson: case kSelTerritory: case kSelVendorType: case kSelBillingGroup:
    case kSelCreditLimit: case kSelInvoiceCount: case kSelSalesDollars: case kSelZipCode: case kSelLastSalesDate:
    case kSelLastPaymentDate: case kSelClosingBalance: case kSelTotalPastDue: case kSelCreditAvailable:
    case kSelPastDue30: case kSelPastDue60: case kSelPastDueOver60: case kSelAccount:
      *first = leading, *second = kSelCode, *third = kSelName;
      return;
    default:
      *first = kSelCode, *second = kSelName, *third = kSelTotalPastDue;
      return;
  }
}

int RunCustVendPickList(int top, int left, int rows, int cols, CustVendOutputParams* p) {
  PickListRun run;
  run.params = p;
  run.columns.resize(2160);
  int first = 0, second = 0, third = 0;
  PickListColumns(Leading(*p).fieldId, &first, &second, &third);
  if (const int status = DictFieldListBuild(kSelectionFile, static_cast<int>(run.columns.size()), run.columns.data(),
                                            first, second, kSelMark, kSelCopies, third))
    return status;
  BtrvSetKey(p->selectionHandle, 0, -1);
  const std::string heading = DictFieldListHeading(run.columns.data());
  SearchList list;
  list.top = top;
  list.left = left;
  list.rows = rows;
  list.cols = cols;
  list.title = " Record Selection ";
  list.prompt = "Search:";
  list.heading = heading.c_str();
  list.legend = "F3 Mark  F7 Copies -1  F8 Copies +1  F10 Print";
  list.fetch = PickFetch;
  list.onKey = CustVendPickListKey;
  list.context = &run;
  SearchListRun(&list);
  return list.lastKey == kKeyEsc || list.lastKey == kKeyClose ? 27 : 0;
}

}  // namespace

// --- The interface --------------------------------------------------------------------------

bool IsComputedCustVendField(int id) {
  switch (id) {
    case kSelLastSalesDate: case kSelLastPaymentDate: case kSelClosingBalance: case kSelTotalPastDue:
    case kSelCreditAvailable: case kSelPastDue30: case kSelPastDue60: case kSelPastDueOver60:
      return true;
    default:
      return false;
  }
}

bool CustVendCriterionMatches(const RangeCriterion* c, const CustVendSelectionRecord* record) {
  if (c == nullptr || record == nullptr) return true;
  if (c->fromEmpty && c->toEmpty) return true;
  const records::CustVendRecord& r = record->record;
  const CustVendAccountBlock& b = record->block;
  int pastEnd = 0;
  switch (c->fieldId) {
    case kSelCode: return RangeMatchText(*c, TextOf(r.code), &pastEnd);
    case kSelDepartment: return RangeMatchText(*c, TextOf(r.department), &pastEnd);
    case kSelSalesperson: return RangeMatchText(*c, TextOf(r.salesperson), &pastEnd);
    case kSelTerritory: return RangeMatchText(*c, TextOf(r.territory), &pastEnd);
    case kSelVendorType: return RangeMatchText(*c, TextOf(r.vendorType), &pastEnd);
    case kSelBillingGroup: return RangeMatchText(*c, TextOf(r.billingGroup), &pastEnd);
    case kSelName: return RangeMatchText(*c, TextOf(r.name), &pastEnd);
    case kSelZipCode: return RangeMatchText(*c, TextOf(r.zipCode), &pastEnd);
    case kSelAccount: return RangeMatchText(*c, TextOf(r.glAccount), &pastEnd);
    case kSelCreditLimit: return RangeMatchAmount(*c, r.creditLimit, &pastEnd);
    case kSelSalesDollars: return RangeMatchAmount(*c, r.grossAmounts[2], &pastEnd);
    case kSelInvoiceCount: return RangeMatchCount(*c, r.invoiceCounts[2], &pastEnd);
    case kSelLastSalesDate: return RangeMatchDate(*c, b.lastSalesDate, &pastEnd);
    case kSelLastPaymentDate: return RangeMatchDate(*c, b.lastPaymentDate, &pastEnd);
    case kSelClosingBalance:
      // From 0.01 without a to end: every balance that is not zero.
      if (!c->fromEmpty && c->toEmpty && NumEqual(c->fromAmount, 0.01)) return !NumIsZero(b.closingBalance);
      return RangeMatchAmount(*c, b.closingBalance, &pastEnd);
    case kSelTotalPastDue: return RangeMatchAmount(*c, b.totalPastDue, &pastEnd);
    case kSelCreditAvailable: return RangeMatchAmount(*c, b.creditAvailable, &pastEnd);
    case kSelPastDue30: return RangeMatchAmount(*c, b.pastDue1, &pastEnd);
    case kSelPastDue60: return RangeMatchAmount(*c, b.pastDue2, &pastEnd);
    case kSelPastDueOver60: return RangeMatchAmount(*c, b.pastDue3, &pastEnd);
    default: return true;
  }
}

bool CustVendSelected(const CustVendOutputParams* p) {
  if (oem::TrimmedLength(TextOf(p->recordArea.record.code)) == 0) return false;
  return CustVendCriterionMatches(&p->range1, &p->recordArea) && CustVendCriterionMatches(&p->range2, &p->recordArea);
}

int ComputeCustVendAccountBlock(CustVendOutputParams* p) {
  CustVendAccountBlock& block = p->recordArea.block;
  const records::CustVendRecord& r = p->recordArea.record;
  CustVendSelectStep(&block, &r);
  block.asOfDate = p->runDate;
  block.lastSalesDate = static_cast<std::int32_t>(r.lastInvoiceDate);
  block.lastPaymentDate = static_cast<std::int32_t>(r.lastPaymentDate);
  // Every account is closed, also one without open items: its credit
  // available is then its whole credit limit.
  struct Close {
    CustVendAccountBlock* block;
    int fileNo;
    ~Close() { CustVendAccountStep(block, nullptr, fileNo); }
  } close{&block, p->openItemFileNo};
  char key[255] = {};
  std::memcpy(key, r.code, sizeof r.code);
  records::TagOpenInvoice item{};
  int op = kOpGetGreaterOrEqual;
  int status = BtrvGetOp(op, p->openItemHandle, key, &item, sizeof item);
  if (status == kStatusEndOfFile) return kStatusEndOfFile;
  if (status != kStatusOk) return MsgRecordError(status, 1, op, p->openItemFileNo, 0);
  if (oem::CompareText(TextOf(item.code), TextOf(r.code)) != 0) return kStatusEndOfFile;
  for (op = kOpGetNext;; ) {
    CustVendAccountStep(&block, &item, p->openItemFileNo);
    status = BtrvGetOp(op, p->openItemHandle, key, &item, sizeof item);
    if (status == kStatusEndOfFile) return kStatusOk;
    if (status != kStatusOk) return MsgRecordError(status, 1, op, p->openItemFileNo, 0);
    if (oem::CompareText(TextOf(item.code), TextOf(r.code)) != 0) return kStatusOk;
  }
}

int SelectCustVendRecords(CustVendOutputParams* p) {
  p->indexMade = 0;
  p->selectionFileUsed = 0;
  CustVendSelectInit(&p->recordArea.block, p->runDate, 30, 3);
  const bool computed = IsComputedCustVendField(p->range1.fieldId) || IsComputedCustVendField(p->range2.fieldId);
  if (!computed && p->selectionMode != 'S') {
    const int status = CreateCustVendSelectionIndex(p);
    if (status != kStatusOk) return status;
  } else {
    int status = CreateCustVendSelectionFile(p);
    if (status != kStatusOk) return status;
    p->selectionFileUsed = 1;
    status = FillCustVendSelectionFile(p);
    if (status != kStatusOk) {
      CloseCustVendSelection(p);
      return status;
    }
    if (p->selectionMode == 'S') {
      status = RunCustVendPickList(kListTop, kListLeft, kListRows, kListCols, p);
      if (status != 0) {
        CloseCustVendSelection(p);
        return status;
      }
    }
  }
  const int status = ReadSelectedCustVend(kOpGetFirst, p);
  if (status != kStatusOk) {
    if (status == kStatusEndOfFile) MsgShow(kMsgNothingSelected, 1);
    return status;
  }
  return kStatusOk;
}

int ReadSelectedCustVend(int op, CustVendOutputParams* p) {
  if (op == kOpGetGreaterOrEqual) op = kOpGetFirst;
  std::memset(&p->recordArea.record, 0, sizeof p->recordArea.record);
  p->recordArea.mark = 0;
  p->recordArea.copies = 0;
  if (op == kOpGetFirst) std::memset(p->keyBuffer, 0, sizeof p->keyBuffer);
  int status = kStatusOk;
  if (p->selectionFileUsed) {
    CDbTblActiveCustVend table(p->selectionHandle, p->custVendFileNo);
    for (;; op = kOpGetNext) {
      status = table.Read(op, p->keyBuffer, &p->recordArea, kSelectionRecordLength);
      if (status != kStatusOk || p->recordArea.mark == kMarked) break;
    }
    if (status == kStatusOk) p->copies = std::max<int>(1, p->recordArea.copies);
  } else {
    CDbTblActiveCustVend table(p->custVendHandle, p->custVendFileNo);
    for (;; op = kOpGetNext) {
      status = table.Read(op, p->keyBuffer, &p->recordArea.record, sizeof p->recordArea.record);
      if (status != kStatusOk) break;
      ComputeCustVendAccountBlock(p);
      if (CustVendSelected(p)) break;
    }
  }
  if (status != kStatusOk && status != kStatusEndOfFile) MsgRecordError(status, 1, kOpGetNext, p->custVendFileNo, 0);
  return status;
}

int CloseCustVendSelection(CustVendOutputParams* p) {
  if (p == nullptr) return 0;
  if (p->indexMade) TempIndexDrop(p->custVendFileNo, p->custVendHandle);
  p->indexMade = 0;
  if (p->selectionFileUsed) {
    BtrvClose(p->selectionHandle);
    BtrvFileDelete(p->selectionPath);
  }
  p->selectionFileUsed = 0;
  p->selectionHandle = 0;
  return 0;
}
