// Customer (command 336) and vendor (343) statements: for each chosen
// account with open items up to the statement date, pages merged from the
// company's statement text: a heading, a detail area that takes the open
// items one after another (as many lines each as "0TransInfo" says), and a
// footer with the totals, the amounts past due and a message chosen by the
// oldest amount past due.  An invoice of which more than one item printed
// is followed by the lines of the invoice text (its balance).  Fully paid
// invoices are left out unless the options say otherwise.  A statement
// longer than its detail area goes on over more pages, each with heading
// and footer; the totals print on the last.  Each account's statement is a
// document of its own: written to HTML, it is a file of its own, named
// after the account (qxabase/report.h, AgingRecordTest).
//
// The texts, their fields and the template language: qxabase/text_merge.h.
#include "reports/arap/statements.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cv_output.h"
#include "oemtext.h"
#include "qxabase/aging.h"
#include "qxabase/commands.h"
#include "qxabase/letters.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/settings.h"
#include "qxabase/text_merge.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "report_frame.h"
#include "reports/arap/merge_documents.h"

namespace {

constexpr int kMsgNoDetailLines = 2625;  // %1 the text

// Merge fields the run handles itself.
constexpr int kRecordNoFooter = 4, kRecordLastPage = 7, kRecordSameLine = 8, kRecordHide = 9, kRecordContinued = 10,
              kRecordByRow = 11;
constexpr int kComputedApart = 3, kComputedCityLine = 8, kComputedBottom = 15;
constexpr int kComputedFirstTotal = 22, kComputedLastTotal = 27, kSummaryFirstTotal = 15;
constexpr int kItemTypeField = 1, kItemInvoiceBalance = 10;

constexpr const char* kContinued = "Continued on the next page.";
constexpr const int kStatementKinds[] = {kMergeRecord, kMergeStatement, kMergeComputed, kMergeItem, kMergeAmount, -1};

// Where the fields of the page text are.
struct PageLayout {
  int firstDetail = -1;   // the first line that holds item fields
  int lastDetail = -1;    // the last one
  int lastFieldLine = -1; // the last line that holds any field
  int total = 0;          // the text's lines
  bool noFooter = false;
  bool closingLine = false, apart = false, bottom = false;
};

// An open item as the statement prints it.
struct ItemLine {
  StatementItem item;
  bool firstOfInvoice = false;
  bool lastOfInvoice = false;
  int invoiceItems = 0;                 // the items of its invoice that print
  CustVendAccountBlock summaryAfter{};  // the account's summary once it was added
};

// A line of the page or invoice text as the run merges it: its fields,
// found once, and the columns of its invoice-number and item-date tokens
// (-1: none), which the detail lines place.
struct TemplateLine {
  merge_documents::TextLine merge;
  bool blank = false;
  int invoiceAt = -1, secondInvoiceAt = -1, dateAt = -1;
};

// One line of the detail area: a line of an item, or a line of the
// invoice text after an invoice.
struct Slot {
  bool trailer = false;
  int item = 0;  // index into the items
  int line = 0;  // the item's line, or the invoice text's
};

enum class Section { kHeading, kDetail, kFooter };

// What the fields of a line take their values from.
struct LineContext {
  Section section = Section::kHeading;
  bool done = false;                    // the account's items are all printed
  const StatementItem* item = nullptr;  // the item of a detail line
  bool firstLineOfItem = false;
  bool lastOfInvoice = false;
  const CustVendAccountBlock* summary = nullptr;
  const char* messageBlock = nullptr;
};

// A line merged: its columns and the text left around them.  The columns
// point into `values`, which holds a place for each field of the line.
struct MergedLine {
  std::string text;
  std::vector<std::string> values;
  std::vector<TagReportColumn> columns;
  int firstKind = 0;
  bool recordValue = false;
  bool suppressed = false, endLine = false, sameLine = false, byRow = false, failed = false;
};

std::int32_t AlignOf(const MergeField& f) {
  switch (f.align) {
    case 'C': return kAlignCentre;
    case 'R': return kAlignRight;
    case 'N': return f.format == 9 || f.format == 10 || f.format == 11 ? kAlignRight : kAlignLeft;
    default: return kAlignLeft;
  }
}

// The net as of `asOf` of each line's invoice, as AgingItemAge gives it,
// from one account's lines as its walk by key 1 read them: (*nets)[i] for
// lines[i].  Those lines hold all that AgingItemAge reads by key 0, and no
// more, when they all carry one code as stored and each invoice number is
// spelt one way (not blank, one run of lines with the same bytes): an
// invoice's lines are then its run.  False when they do not; each invoice
// is then aged through the file.
bool InvoiceNets(const std::vector<records::TagOpenInvoice>& lines, int fileNo, std::int32_t asOf,
                 std::vector<double>* nets) {
  nets->assign(lines.size(), 0.0);
  std::vector<std::string> numbers;
  for (std::size_t start = 0; start < lines.size();) {
    const records::TagOpenInvoice& head = lines[start];
    if (std::memcmp(head.code, lines[0].code, sizeof head.code) != 0) return false;
    std::string number = TrimField(head.invoiceNumber);
    if (number.empty()) return false;
    AgingNet net;
    std::size_t end = start;
    for (; end < lines.size() && TrimField(lines[end].invoiceNumber) == number; ++end) {
      const records::TagOpenInvoice& line = lines[end];
      if (std::memcmp(line.code, head.code, sizeof line.code) != 0 ||
          std::memcmp(line.invoiceNumber, head.invoiceNumber, sizeof line.invoiceNumber) != 0)
        return false;
      if (line.invoiceDate <= asOf) AgingDetailStep(&net, &line, fileNo);
    }
    std::fill(nets->begin() + static_cast<std::ptrdiff_t>(start), nets->begin() + static_cast<std::ptrdiff_t>(end),
              net.net);
    numbers.push_back(std::move(number));
    start = end;
  }
  std::sort(numbers.begin(), numbers.end());
  return std::adjacent_find(numbers.begin(), numbers.end()) == numbers.end();
}

class StatementRun {
 public:
  explicit StatementRun(int menuId)
      : menuId_(menuId == kMenuVendorStatements ? kMenuVendorStatements : kMenuCustomerStatements) {}
  StatementRun(const StatementRun&) = delete;
  StatementRun& operator=(const StatementRun&) = delete;

  int Run(const char* output);

 private:
  bool Customers() const { return menuId_ == kMenuCustomerStatements; }
  bool Prepare();
  bool OpenTexts();
  bool LayoutPass();
  void PrintAccounts();
  int ReadItems();
  int PrintStatement();
  TemplateLine ParseTemplateLine(const std::string& text);
  void WriteTemplateLine(const TemplateLine& tpl, int lineNumber, const LineContext& ctx);
  void WriteDetail(int templateLine, const Slot& slot);
  void MergeLine(const TemplateLine& tpl, int lineNumber, const LineContext& ctx, MergedLine* m);
  void Emit(MergedLine* m);
  void ChooseMessages();

  const int menuId_;
  CustVendOutputParams params_{};
  records::TransInfoRecord transInfo_{};
  records::CompanyRecord company_{};

  // Released in the reverse order: the report, the texts, the selection,
  // the files, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  CustVendSelectionGuard selectionGuard_{&params_};
  TextFileBlock pageText_, invoiceText_;
  MergeRun merge_;
  struct TextsGuard {
    StatementRun* run;
    ~TextsGuard() {
      merge_documents::CloseText(&run->pageText_, &run->merge_);
      merge_documents::CloseText(&run->invoiceText_, nullptr);
    }
  } textsGuard_{this};
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  StatementTextNames names_;
  StatementBlock statement_;
  PageLayout layout_;
  std::vector<TemplateLine> pageLines_, invoiceLines_;
  int detailLines_ = 1;

  MergeAccount account_;
  CustVendAccountBlock summary_{};
  std::vector<records::TagOpenInvoice> lines_;  // the account's lines as read
  std::vector<double> nets_;                     // their invoices' nets (InvoiceNets)
  std::vector<ItemLine> items_;
  MergedLine merged_;  // the line in hand, its buffers kept from line to line
  char messageBlock_[98] = {};
  int printed_ = 0;
  bool stopped_ = false;
};

int StatementRun::Run(const char* output) {
  if (!Prepare()) return 0;
  if (merge_documents::SetDestination(output, &info_) != 0) return 0;
  if (!StatementSetup160(menuId_, kTextStatementPage, 0, &names_, &transInfo_, &info_)) return 0;
  CustVendSelectInit(&summary_, params_.runDate, 30, 3);
  StatementSetup187(&statement_, &company_, params_.runDate);
  if (!LayoutPass()) return 0;
  info_.perAccount = 1;
  if (!ReportOpen(&info_, nullptr)) return 0;
  HideSelectionWindow(&window_);
  PrintAccounts();
  StatementRunEnd(&info_, &names_);
  if (printed_ == 0 && !stopped_) {
    MsgShow(kMsgNothingSelected, 1);
    reportGuard_.Discard();
  }
  // The report is delivered before the selection, files and window go.
  reportGuard_.Close();
  return 0;
}

// Settings, presets, files, window, the options screen and the texts.
bool StatementRun::Prepare() {
  LettersKindSet(kLettersKindStatements);
  if (SettingsRecordRead(kSettingsRead, 0, sizeof transInfo_, "0TransInfo", &transInfo_) != kStatusOk) return false;
  if (SettingsRecordRead(kSettingsRead, 0, sizeof company_, "0Company", &company_) != kStatusOk) return false;
  detailLines_ = StatementDetailLines(&transInfo_);
  merge_documents::Preset(&params_, menuId_, transInfo_.statementOption == 'Y' ? 'Y' : 'N', &window_);
  if (merge_documents::OpenFiles(&files_, &params_, Customers()) != kStatusOk) return false;
  // The open items in the order of their invoices.
  BtrvSetKey(params_.openItemHandle, 1, -1);
  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", Customers() ? "RSARSTATEMENT" : "RSAPSTATEMENT");
  const char* title = Customers() ? " Customer Statements " : " Vendor Statements ";
  // The receivables window holds the messages: it takes most of the screen.
  const int opened = Customers() ? WinOpen(&window_, 1, 1, 23, 71, 1, 1, ' ', title)
                                 : WinOpen(&window_, 9, 2, 15, 71, 1, 1, ' ', title);
  if (opened != 0) return false;
  CustVendSelectInit(&params_.recordArea.block, params_.runDate, 30, 3);
  SetStatementOptionFlag(0);
  if (CustVendOutputOptions(&params_) != 0) return false;
  return OpenTexts();
}

bool StatementRun::OpenTexts() {
  char pageName[33] = {}, invoiceName[33] = {};
  StatementOptionText(kTextStatementPage, pageName, &params_.formSettings);
  StatementOption140(kTextStatementPage, &names_, &params_.formSettings);
  StatementOptionText(kTextStatementInvoice, invoiceName, &params_.formSettings);
  if (!merge_documents::OpenText(pageName, &pageText_, &merge_, kStatementKinds)) return false;
  if (!merge_documents::OpenText(invoiceName, &invoiceText_, nullptr, nullptr)) return false;
  char line[512];
  while (TextFileRead(&pageText_, line) == 0) pageLines_.push_back(ParseTemplateLine(line));
  while (TextFileRead(&invoiceText_, line) == 0) invoiceLines_.push_back(ParseTemplateLine(line));
  return true;
}

TemplateLine StatementRun::ParseTemplateLine(const std::string& text) {
  TemplateLine l;
  l.merge = merge_documents::ParseLine(&merge_, text);
  l.blank = TextIsBlank(text.c_str()) != 0;
  int place = 0;
  if (FormLayoutTokenFind("{INV_NO", text.c_str(), &place)) {
    l.invoiceAt = place;
    place = l.invoiceAt + 1;
    if (FormLayoutTokenFind("{INV_NO", text.c_str(), &place)) l.secondInvoiceAt = place;
  }
  place = 0;
  if (FormLayoutTokenFind("{DS", text.c_str(), &place)) l.dateAt = place;
  return l;
}

// Finds the detail area, the last field line and the address switches of
// the page text; a field that cannot be merged stops the run (its line
// and field are named).
bool StatementRun::LayoutPass() {
  PageLayout& l = layout_;
  l.total = static_cast<int>(pageLines_.size());
  int noFooterLine = -1;
  for (int i = 0; i < l.total; ++i) {
    bool anyField = false;
    for (const MergeField& f : pageLines_[static_cast<std::size_t>(i)].merge.fields) {
      if (f.error) {
        MergeLineEnd(&merge_, 1, f.error, i + 1, f.place, f.text);
        return false;
      }
      anyField = true;
      if (f.kind == kMergeComputed && f.id == kComputedCityLine) l.closingLine = true;
      if (f.kind == kMergeComputed && f.id == kComputedApart) l.apart = true;
      if (f.kind == kMergeComputed && f.id == kComputedBottom) l.bottom = true;
      if (f.kind == kMergeRecord && f.id == kRecordNoFooter) noFooterLine = i;
      if (f.kind == kMergeItem) {
        if (l.firstDetail < 0) l.firstDetail = i;
        l.lastDetail = i;
      }
    }
    if (anyField) l.lastFieldLine = i;
  }
  l.noFooter = noFooterLine >= 0 && noFooterLine == l.total - 1;
  if (l.firstDetail < 0) {
    MsgShowArgs(kMsgNoDetailLines, 0, 0, 1, names_.page, 0);
    return false;
  }
  return true;
}

void StatementRun::PrintAccounts() {
  int status = kStatusOk;
  while (status == kStatusOk) {
    int key = 0;
    if (CheckUserBreak(&key)) {
      stopped_ = true;
      ReportNewPage(&info_);
      return;
    }
    merge_documents::PrepareAccount(params_, layout_.closingLine, layout_.apart, layout_.bottom, &account_);
    merge_.account = &account_;
    const int read = ReadItems();
    if (read != kStatusOk) {
      EndIncompleteReport(&info_);
      return;
    }
    if (!items_.empty()) {
      // The account's own report, when each account has one.
      if (AgingRecordTest(&info_, TrimField(params_.recordArea.record.code).c_str())) {
        if (ReportClose(&info_) != 0 || !ReportOpen(&info_, nullptr)) {
          stopped_ = true;
          return;
        }
      }
      ChooseMessages();
      for (int copy = 0; copy < std::max(1, static_cast<int>(params_.copies)); ++copy) {
        if (PrintStatement() == 27) {
          stopped_ = true;
          return;
        }
      }
      ++printed_;
    }
    status = ReadSelectedCustVend(kOpGetNext, &params_);
  }
  if (status != kStatusEndOfFile) EndIncompleteReport(&info_);
  else if (printed_ > 0) CommandDone();
}

// The account's open items up to the statement date, in the order of their
// invoices, signed as the statement shows them, with the account's summary.
int StatementRun::ReadItems() {
  items_.clear();
  const records::CustVendRecord& record = params_.recordArea.record;
  CustVendSelectStep(&summary_, &record);
  const int fileNo = params_.openItemFileNo;
  const BtrvHandle handle = params_.openItemHandle;
  const bool keepPaid = GetStatementOptionFlag() != 0;
  const std::string code = TrimField(record.code);
  char key[255] = {};
  std::memcpy(key, record.code, sizeof record.code);
  lines_.clear();
  for (int op = kOpGetGreaterOrEqual;; op = kOpGetNext) {
    records::TagOpenInvoice line{};
    const int status = BtrvGetOp(op, handle, key, &line, sizeof line);
    if (status == kStatusEndOfFile) break;
    if (status != kStatusOk) return MsgRecordError(status, 1, op, fileNo, 0);
    if (oem::CompareText(TrimField(line.code), code) != 0) break;
    lines_.push_back(line);
  }
  const bool ownNets = !keepPaid && InvoiceNets(lines_, fileNo, params_.runDate, &nets_);
  std::string invoice, skipped;
  bool first = true;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const records::TagOpenInvoice& line = lines_[i];
    if (line.invoiceDate > params_.runDate) continue;
    const std::string number = TrimField(line.invoiceNumber);
    if (first || number != invoice) {
      first = false;
      invoice = number;
      // A fully paid invoice is left out whole, its first item with the rest.
      if (!keepPaid) {
        records::TagOpenInvoice aged = line;
        if (ownNets) {
          aged.amount = nets_[i];
        } else {
          const int aging = AgingItemAge(fileNo, handle, params_.runDate, nullptr, &aged);
          if (aging != kStatusOk) return aging;
        }
        skipped = NumIsZero(aged.amount) ? number : std::string();
      }
    }
    if (!skipped.empty() && number == skipped) continue;
    CustVendAccountStep(&summary_, &line, fileNo);
    // The sign the statement prints: what lowers the balance is negative.
    const bool lowers = line.lineType == 'P' || line.lineType == (Customers() ? 'C' : 'D');
    ItemLine shown;
    shown.item.line = line;
    shown.item.line.amount = lowers ? -static_cast<double>(line.amount) : static_cast<double>(line.amount);
    shown.summaryAfter = summary_;
    items_.push_back(shown);
    // A discount taken with a payment prints on a line of its own ('T').
    if (line.lineType == 'P' && !NumIsZero(static_cast<double>(line.discount))) {
      ItemLine discount = shown;
      discount.item.line.lineType = 'T';
      discount.item.line.amount = -static_cast<double>(line.discount);
      discount.item.line.discount = 0.0;
      discount.item.line.orderNumber = 0;
      items_.push_back(discount);
    }
  }
  CustVendAccountStep(&summary_, nullptr, fileNo);
  // Invoices, running balances.
  double running = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    ItemLine& it = items_[i];
    const std::string number = TrimField(it.item.line.invoiceNumber);
    it.firstOfInvoice = i == 0 || TrimField(items_[i - 1].item.line.invoiceNumber) != number;
    it.lastOfInvoice = i + 1 == items_.size() || TrimField(items_[i + 1].item.line.invoiceNumber) != number;
    running = NumRound(running + it.item.line.amount, 2);
    it.item.accountBalance = running;
    it.item.invoiceBalance =
        NumRound((it.firstOfInvoice ? 0.0 : items_[i - 1].item.invoiceBalance) + it.item.line.amount, 2);
  }
  for (std::size_t i = 0; i < items_.size();) {
    std::size_t end = i;
    while (!items_[end].lastOfInvoice) ++end;
    for (std::size_t k = i; k <= end; ++k) items_[k].invoiceItems = static_cast<int>(end - i + 1);
    i = end + 1;
  }
  return kStatusOk;
}

// The message pair of the account's oldest amount past due: lines 8-9 over
// 60 days, 6-7 31-60 days, 4-5 1-30 days, else 2-3.
void StatementRun::ChooseMessages() {
  double over60 = summary_.pastDue3, days60 = summary_.pastDue2, days30 = summary_.pastDue1;
  NumIsZero(&over60);
  NumIsZero(&days60);
  NumIsZero(&days30);
  const int first = over60 > 0 ? 8 : days60 > 0 ? 6 : days30 > 0 ? 4 : 2;
  std::memset(messageBlock_, 0, sizeof messageBlock_);
  std::memcpy(messageBlock_ + 16, params_.statementsRecord.lines[first], 41);
  std::memcpy(messageBlock_ + 57, params_.statementsRecord.lines[first + 1], 41);
}

int StatementRun::PrintStatement() {
  std::vector<Slot> slots;
  for (std::size_t k = 0; k < items_.size(); ++k) {
    for (int j = 0; j < detailLines_; ++j) slots.push_back({false, static_cast<int>(k), j});
    if (items_[k].lastOfInvoice && items_[k].invoiceItems > 1)
      for (int t = 0; t < static_cast<int>(invoiceLines_.size()); ++t) slots.push_back({true, static_cast<int>(k), t});
  }
  statement_.page = 1;
  std::size_t next = 0;
  const PageLayout& l = layout_;
  for (;;) {
    int key = 0;
    if (CheckUserBreak(&key)) {
      ReportNewPage(&info_);
      return 27;
    }
    LineContext heading;
    heading.section = Section::kHeading;
    heading.summary = &summary_;
    heading.messageBlock = reinterpret_cast<const char*>(&params_.statementsRecord);
    for (int t = 0; t < l.firstDetail; ++t) WriteTemplateLine(pageLines_[static_cast<std::size_t>(t)], t + 1, heading);
    int t = l.firstDetail;
    for (; t <= l.lastDetail && next < slots.size(); ++t, ++next) WriteDetail(t, slots[next]);
    const bool done = next >= slots.size();
    for (; done && t <= l.lastDetail; ++t) ReportSkipLines(&info_, 1);
    LineContext footer;
    footer.section = Section::kFooter;
    footer.done = done;
    footer.summary = &summary_;
    footer.messageBlock = done ? messageBlock_ : reinterpret_cast<const char*>(&params_.statementsRecord);
    if (next > 0) footer.item = &items_[static_cast<std::size_t>(slots[next - 1].item)].item;
    // The footer runs to the text's last line: a line of text after the
    // last field (a note, an address to pay to) prints too.
    for (t = l.lastDetail + 1; t < l.total; ++t)
      WriteTemplateLine(pageLines_[static_cast<std::size_t>(t)], t + 1, footer);
    if (done) {
      ReportNewPage(&info_);
      return 0;
    }
    // A text without a footer runs on: its next page follows directly.
    if (!l.noFooter) ReportNewPage(&info_);
    ++statement_.page;
  }
}

void StatementRun::WriteDetail(int templateLine, const Slot& slot) {
  const ItemLine& it = items_[static_cast<std::size_t>(slot.item)];
  if (slot.trailer) {
    const TemplateLine& tpl = invoiceLines_[static_cast<std::size_t>(slot.line)];
    StatementItem invoice = it.item;
    LineContext ctx;
    ctx.section = Section::kDetail;
    ctx.item = &invoice;
    ctx.firstLineOfItem = true;
    ctx.lastOfInvoice = true;
    ctx.summary = &it.summaryAfter;
    ctx.messageBlock = reinterpret_cast<const char*>(&params_.statementsRecord);
    FormLayoutTokenClear(&merge_);
    if (tpl.invoiceAt >= 0) FormLayoutTokenPos(&merge_, tpl.invoiceAt, tpl.merge.text.c_str());
    // Lines of the invoice text are numbered after the page text's.
    WriteTemplateLine(tpl, layout_.total + slot.line + 1, ctx);
    return;
  }
  const TemplateLine& tpl = pageLines_[static_cast<std::size_t>(templateLine)];
  LineContext ctx;
  ctx.section = Section::kDetail;
  ctx.item = &it.item;
  ctx.firstLineOfItem = slot.line == 0;
  ctx.lastOfInvoice = it.lastOfInvoice;
  ctx.summary = &summary_;
  ctx.messageBlock = reinterpret_cast<const char*>(&params_.statementsRecord);
  FormLayoutTokenClear(&merge_);
  if (slot.line == 0 || templateLine == layout_.firstDetail) {
    // Two invoice-number columns: the second takes the invoices that are
    // paid off on their last item (the first when there is no second).
    if (tpl.invoiceAt >= 0) {
      const bool paidOff = it.lastOfInvoice && it.item.invoiceBalance <= 0.005;
      FormLayoutTokenPos(&merge_, paidOff && tpl.secondInvoiceAt >= 0 ? tpl.secondInvoiceAt : tpl.invoiceAt,
                         tpl.merge.text.c_str());
    }
    if (tpl.dateAt >= 0) FormLayoutTokenPos(&merge_, tpl.dateAt, tpl.merge.text.c_str());
  }
  WriteTemplateLine(tpl, templateLine + 1, ctx);
}

void StatementRun::MergeLine(const TemplateLine& tpl, int lineNumber, const LineContext& ctx, MergedLine* out) {
  MergedLine& m = *out;
  m.values.clear();
  m.values.reserve(tpl.merge.fields.size());
  m.columns.clear();
  m.firstKind = 0;
  m.recordValue = m.suppressed = m.endLine = m.sameLine = m.byRow = m.failed = false;
  const bool merged = merge_documents::ForEachField(&merge_, tpl.merge, lineNumber, &m.text, [&](const MergeField& f, char* text) {
    int kind = f.kind;
    const bool total = kind == kMergeComputed && f.id >= kComputedFirstTotal && f.id <= kComputedLastTotal;
    // The totals are the summary's amounts until the items are done.
    if (total && !ctx.done) kind = kMergeAmount;
    if (m.firstKind == 0) m.firstKind = kind;
    const std::size_t size = static_cast<std::size_t>(std::max(f.length, 1)) + 1;
    switch (kind) {
      case kMergeRecord:
        switch (f.id) {
          case kRecordLastPage: m.endLine = true; break;
          case kRecordSameLine: m.sameLine = true; break;
          case kRecordByRow: m.byRow = true; break;
          case kRecordHide: m.suppressed = true; break;
          case kRecordContinued: std::snprintf(text, size, "%s", ctx.done ? "" : kContinued); break;
          case kRecordNoFooter: break;
          default:
            if (MergeFieldFromRecord(&merge_, text, f.length, &f)) m.recordValue = true;
            break;
        }
        break;
      case kMergeStatement: MergeFieldStatement(text, f.length, &statement_, &f); break;
      case kMergeComputed: MergeFieldCompute(text, f.length, &account_, ctx.summary, &f); break;
      case kMergeItem: {
        const bool skip = ctx.done || ctx.item == nullptr || ctx.section == Section::kHeading ||
                          (f.id == kItemTypeField && !ctx.firstLineOfItem) ||
                          (f.id == kItemInvoiceBalance && !(ctx.firstLineOfItem && ctx.lastOfInvoice));
        if (!skip) MergeFieldAmount(text, f.length, ctx.summary, ctx.messageBlock, ctx.item, &f);
        break;
      }
      case kMergeAmount:
        // Heading lines never show the account's totals, and no page but
        // the last shows them.
        if (ctx.done && ctx.section != Section::kHeading) {
          MergeField asked = f;
          if (total) asked.id = f.id - kComputedFirstTotal + kSummaryFirstTotal;
          MergeFieldAmount(text, f.length, ctx.summary, ctx.messageBlock, ctx.item, &asked);
        }
        break;
      default: break;
    }
    if (*text == '\0' || f.length <= 0) return;
    m.values.emplace_back(text);
    // The column of each kind is made once; a field sets its place in it.
    static const TagReportColumn kTextColumn = MakeColumn(kColumnText, "%s", 0, nullptr),
                                 kMergeColumn = MakeColumn(kColumnMerge, "%s", 0, nullptr);
    TagReportColumn& c = m.columns.emplace_back(f.format == kColumnMerge ? kMergeColumn : kTextColumn);
    c.x = static_cast<std::uint16_t>(f.position);
    c.value = m.values.back().c_str();
    c.align = AlignOf(f);
    c.width = f.length;
  });
  if (!merged) {
    m.failed = true;
    m.columns.clear();
    m.text.clear();
  }
}

void StatementRun::Emit(MergedLine* m) {
  if (!m->columns.empty()) {
    m->columns.push_back(TagReportColumn{});
    ReportWriteColumns(&info_, m->columns.data(), 0);
  }
  MergeRecordWrite(&info_, m->text.c_str());
}

void StatementRun::WriteTemplateLine(const TemplateLine& tpl, int lineNumber, const LineContext& ctx) {
  ReportSetFont(&info_, info_.condensed ? kFontFormCondensed : kFontForm);
  if (tpl.blank) {
    ReportSkipLines(&info_, 1);
    return;
  }
  MergedLine& m = merged_;
  MergeLine(tpl, lineNumber, ctx, &m);
  if (m.suppressed) return;
  if (m.failed || (m.endLine && !ctx.done)) {
    ReportSkipLines(&info_, 1);
    return;
  }
  if (ctx.section == Section::kFooter) {
    // A line of the account's record prints when the record gave it a value.
    if (m.firstKind == kMergeRecord && !m.recordValue && m.values.empty()) {
      ReportSkipLines(&info_, 1);
      return;
    }
    if (m.firstKind == kMergeAmount && !ctx.done && transInfo_.statementFooterAmounts == 'N') {
      ReportSkipLines(&info_, 1);
      return;
    }
  }
  if (m.byRow && ctx.section == Section::kHeading) {
    // On the page's line of its own line of the text; the line count stays.
    const int kept = info_.lineCount;
    info_.lineCount = lineNumber - 1;
    Emit(&m);
    info_.lineCount = kept;
    return;
  }
  Emit(&m);
  if (m.sameLine && ctx.section == Section::kHeading) info_.lineCount = std::max(0, info_.lineCount - 1);
}

}  // namespace

int RunCustVendStatementsTo(int commandId, const char* output) {
  return merge_documents::RunDocument<StatementRun>(commandId, output);
}

int RunCustVendStatements(int commandId) { return RunCustVendStatementsTo(commandId, nullptr); }
