// The check register (command 314): the register entries of one bank
// account over a date range, checks first (written, manual and void), then
// deposits, each section on its own pages with its count and total.  A
// small screen asks for the bank account (the company's cash account by
// default) and the dates (this fiscal period's by default); F10 prints to
// the preview.
//
// Void checks are listed and counted under the void name; their amounts
// stand in the column and in its total, so that the total foots the column.
// Entries not yet posted carry "*" in the last column.
#include "reports/arap/check_register.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "btrvc.h"
#include "oemtext.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_account.h"
#include "qxabase/report.h"
#include "qxabase/settings.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "report_frame.h"
#include "selection_fields.h"

namespace {

constexpr const char* kReportId = "RSChkRegScreen";
constexpr const char* kReportTitle = "Check Register";
constexpr const char* kWindowTitle = " Check Register ";

constexpr int kFormNumber = 59;
constexpr int kFieldAccount = 1, kFieldFrom = 2, kFieldTo = 3;
constexpr int kWindowTop = 5, kWindowLeft = 20, kWindowRows = 11, kWindowCols = 60;
// The account pick list of F5.
constexpr int kPickTop = 4, kPickLeft = 31, kPickRows = 8, kPickCols = 45;

// Screen texts of block 220.
constexpr int kTextBlock = 220;
constexpr int kTextDeposits = 0, kTextChecks = 1, kTextVoidName = 8;
constexpr int kTextCount = 9;

constexpr int kMsgFieldEmpty = 21;

constexpr int kStay = 0x20;
constexpr int kRedisplay = 0x40;
constexpr int kAccept = 1;

// The sections of the register, in the order they print.
enum Pass { kPassChecks = 0, kPassDeposits = 1 };

bool FitsPass(char entryType, int pass) {
  if (pass == kPassDeposits) return entryType == 'D';
  return entryType == 'M' || entryType == 'C' || entryType == 'V';
}

// The ledger an entry came from, by its source letter.
const char* SourceCode(char source) {
  switch (source) {
    case 'A': return "AR";
    case 'B': return "BI";
    case 'D':
    case 'H': return "CH";
    case 'G': return "GL";
    case 'J': return "JC";
    case 'O': return "OE";
    case 'P': return "AP";
    case 'S': return "PS";
    case 'Y': return "PY";
    default: return "NA";
  }
}

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  return std::string(records::Trimmed(field));
}


std::string TypedText(Form* form, int field) {
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  std::string s = text;
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  return s.substr(b);
}

// --- Column layouts ---------------------------------------------------------------------
//
// Every value is bounded to its column, so that no value runs into the next.

enum DetailColumn {
  kBank, kNumber, kCode, kName, kTran, kReference, kDate, kAmount, kStatus, kSource, kPosted, kDetailCount
};
constexpr int kDetailX[kDetailCount] = {0, 11, 22, 37, 68, 81, 94, 104, 117, 125, 129};
constexpr int kDetailWidth[kDetailCount] = {10, 10, 14, 30, 12, 12, 9, 12, 7, 2, 1};

// The two heading rows; row 1 differs between the sections.
// clang-format off
constexpr const char* kCheckHeading1[kDetailCount]   = {"Bank",    "Check",   "",     "",     "Tran.",  "Tran.",     "Check",   "Check",   "Tran.",  "Tran.",  ""};
constexpr const char* kDepositHeading1[kDetailCount] = {"Bank",    "Deposit", "",     "",     "Tran.",  "Tran.",     "Deposit", "Deposit", "Tran.",  "Tran.",  ""};
constexpr const char* kHeading2[kDetailCount]        = {"Account", "Number",  "Code", "Name", "Number", "Reference", "Date",    "Amount",  "Status", "Source", ""};
// clang-format on

// The totals row of a section: its labels end before the figures they name.
enum TotalColumn { kCountLabel, kCountValue, kSumLabel, kSumValue, kTotalCount };
constexpr const char* kCountCaption = "Total number of register entries: ";
constexpr const char* kSumCaption = "Total amount: ";
constexpr int kCountX = 68;

// --- The run -------------------------------------------------------------------------------

class CheckRegisterRun {
 public:
  CheckRegisterRun() = default;
  CheckRegisterRun(const CheckRegisterRun&) = delete;
  CheckRegisterRun& operator=(const CheckRegisterRun&) = delete;
  ~CheckRegisterRun() {
    ScreenTextFree(texts_);
    FormEnd(&form_);
  }

  int Run();

 private:
  // The screen.
  static CheckRegisterRun* Of(Form* form) { return static_cast<CheckRegisterRun*>(form->context); }
  static int StartHook(Form* form, int start);
  static int RestoreDefaults(Form* form, KeyCode key);
  static int AccountExit(Form* form, int field);
  static int DateExit(Form* form, int field);
  static int LookUp(Form* form, KeyCode key);
  static int PrintKey(Form* form, KeyCode key);
  int FillScreen();
  // 0 when the account typed is on file (its code as stored in *code);
  // otherwise the field check's result after its message.
  int CheckAccount(std::string* code);
  // 0 when the date of `field` is valid (and, on the to field, not before
  // the from date); otherwise kStay after the message.
  int CheckDate(int field);

  // The report.
  int Print();
  void BuildLayouts();
  // Prints one section: false when the run is to end (a user break or a
  // record-manager error).
  bool PrintPass(int pass);
  // 0 with the pass's next entry in entry_; 9 when the pass has no more;
  // another status after the error box.
  int ReadEntry(int pass, bool first);
  void SetDetail();
  void PageHeading(int pass);
  void PageCheck(int pass);
  void WriteTotals(int pass);

  const char* texts_[kTextCount] = {};
  records::InterfaceRecord interface_{};
  records::FiscalPeriodInfo period_{};
  FormDef def_;
  std::vector<TagFormField> fields_;
  // Released in the reverse order: the window, then the files, then the
  // form and the texts (the destructor).
  Form form_{};
  FileSet files_;
  BtrvHandle register_ = 0, accounts_ = 0;
  Window window_{};
  WindowGuard windowGuard_{&window_};

  // The selection of the run being printed.
  std::string bank_;
  std::int32_t from_ = 0, to_ = 0;
  std::string selection_;

  TagRepInfo info_{};
  records::TagCheckRegister entry_{};
  char key_[255] = {};
  bool printed_ = false;   // something has been printed on the current section's pages
  bool anyPrinted_ = false;
  bool stopped_ = false, failed_ = false;
  int count_ = 0;
  std::int64_t cents_ = 0;

  std::vector<TagReportColumn> checkHeading1_, depositHeading1_, heading2_, detail_, totals_;
  char bankText_[11] = {}, number_[10] = {}, code_[15] = {}, name_[41] = {}, tran_[16] = {}, reference_[12] = {};
  std::int32_t date_ = 0;
  double amount_ = 0;
  char status_[7] = {}, source_[3] = {}, posted_[2] = {};
  std::int32_t totalCountValue_ = 0;
  double totalSumValue_ = 0;
};

int CheckRegisterRun::Run() {
  if (ScreenTextLoad(kTextBlock, texts_, kTextCount) != 0) return 0;
  // A company without its interface accounts opens on a blank bank account.
  if (SettingsRecordRead(kSettingsRead, 0, sizeof interface_, "0Interface", &interface_) != kStatusOk)
    interface_ = records::InterfaceRecord{};
  if (FormDefLoad(&def_, kFormNumber) != 0) return 0;
  fields_ = def_.fields;
  for (TagFormField& f : fields_) {
    if (f.number == kFieldAccount) f.exitCallback = AccountExit;
    if (f.number == kFieldFrom || f.number == kFieldTo) f.exitCallback = DateExit;
  }
  FiscalPeriodOfDate(kPeriodFillOnly, DateToday(), &period_);

  FormBegin(&form_);
  if (FileSetOpen(&files_, records::kFileCheckRegister, records::kFileGLAccounts) != kStatusOk) return 0;
  register_ = files_.handle[0];
  accounts_ = files_.handle[1];
  if (!FormFieldsCreate(&form_, fields_.data(), 1)) return 0;
  FormDefUse(&form_, &def_);
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', kWindowTitle) != 0) return 0;

  SetUpScreenForm(&form_, &window_, kReportId, this, StartHook);
  FormOnKey(&form_, kKeyShiftF9, RestoreDefaults, "Defaults");
  FormOnKey(&form_, kKeyF5, LookUp, "Look up");
  FormOnKey(&form_, kKeyF10, PrintKey, "Print");
  FormKeyRemove(&form_, kKeyF2);
  FormRun(&form_, 0);
  return 0;
}

// --- The screen ----------------------------------------------------------------------------

int CheckRegisterRun::FillScreen() {
  FieldSetText(&form_, kFieldAccount, Trimmed(interface_.cashAccount).c_str());
  char date[16] = {};
  FieldSetText(&form_, kFieldFrom, DateToText(date, period_.startDate));
  FieldSetText(&form_, kFieldTo, DateToText(date, period_.endDate));
  FormRedraw(&form_);
  return 0;
}

int CheckRegisterRun::StartHook(Form* form, int) { return Of(form)->FillScreen(); }

int CheckRegisterRun::RestoreDefaults(Form* form, KeyCode) {
  Of(form)->FillScreen();
  FieldSetFocus(form, kFieldAccount);
  return 0x80;
}

int CheckRegisterRun::CheckAccount(std::string* code) {
  const std::string typed = TypedText(&form_, kFieldAccount);
  if (typed.empty()) {
    MsgShow(kMsgFieldEmpty, 1);
    return kStay;
  }
  records::GLAccount account{};
  if (const int check = CheckAccountOnFile(accounts_, typed, &account)) return check;
  // The account is looked up without regard to case; the register keeps
  // the code as the chart does.
  if (code) *code = Trimmed(account.code);
  return 0;
}

int CheckRegisterRun::CheckDate(int field) { return CheckRangeDate(&form_, field, kFieldFrom, kFieldTo); }

int CheckRegisterRun::AccountExit(Form* form, int) { return Of(form)->CheckAccount(nullptr); }

int CheckRegisterRun::DateExit(Form* form, int field) { return Of(form)->CheckDate(field); }

int CheckRegisterRun::LookUp(Form* form, KeyCode) {
  CheckRegisterRun* run = Of(form);
  if (FormCurrentField(form) != kFieldAccount) return 0;
  char code[64] = {};
  SetRowText(code, TypedText(form, kFieldAccount));
  records::GLAccount account{};
  if (!PickAccount(code, run->accounts_, &account, kPickTop, kPickLeft, kPickRows, kPickCols, 0)) return kStay;
  FieldSetText(form, kFieldAccount, Trimmed(account.code).c_str());
  FieldRedraw(form, kFieldAccount);
  return kRedisplay;
}

// F10: every field is checked again (a field left by F10 alone was checked
// on its own), then the register prints and the screen closes.
int CheckRegisterRun::PrintKey(Form* form, KeyCode) {
  CheckRegisterRun* run = Of(form);
  if (run->CheckAccount(&run->bank_) != 0) {
    FieldSetFocus(form, kFieldAccount);
    return kStay;
  }
  for (int field : {kFieldFrom, kFieldTo}) {
    if (run->CheckDate(field) != 0) {
      FieldSetFocus(form, field);
      return kStay;
    }
  }
  char text[32] = {};
  FieldGetText(form, kFieldFrom, text, sizeof text);
  run->from_ = DateFromText(text);
  FieldGetText(form, kFieldTo, text, sizeof text);
  run->to_ = DateFromText(text);
  run->Print();
  return kAccept;
}

// --- The report ----------------------------------------------------------------------------

int CheckRegisterRun::Print() {
  char key[255] = {};
  if (BtrvGetOp(kOpGetFirst, register_, key, &entry_, sizeof entry_) != kStatusOk) {
    MsgShow(kMsgNothingSelected, 1);
    return 1;
  }
  SetReportDestination(static_cast<const char*>(nullptr), &info_);
  if (!ReportOpen(&info_, kReportTitle)) return 1;
  ReportRunGuard guard(&info_);

  char from[16] = {}, to[16] = {};
  DateToText(from, from_);
  DateToText(to, to_);
  // At most 99 characters, as the heading line holds them.
  selection_ = std::string("From: ") + from + " " + "To: " + to;
  if (selection_.size() > 99) selection_.resize(99);

  BuildLayouts();
  printed_ = anyPrinted_ = stopped_ = failed_ = false;
  count_ = 0;
  cents_ = 0;
  for (int pass : {kPassChecks, kPassDeposits})
    if (!PrintPass(pass)) break;

  if (failed_) {
    EndIncompleteReport(&info_);
  } else if (stopped_) {
    ReportNewPage(&info_);
  } else if (!anyPrinted_) {
    MsgShow(kMsgNothingSelected, 1);
    info_.discard = 1;
  } else {
    CommandDone();
  }
  guard.Close();
  return 1;
}

void CheckRegisterRun::BuildLayouts() {
  checkHeading1_ = HeadingRow(kCheckHeading1, kDetailX, kDetailWidth, kDetailCount, 1u << kAmount);
  depositHeading1_ = HeadingRow(kDepositHeading1, kDetailX, kDetailWidth, kDetailCount, 1u << kAmount);
  heading2_ = HeadingRow(kHeading2, kDetailX, kDetailWidth, kDetailCount, 1u << kAmount);

  detail_.assign(kDetailCount + 1, TagReportColumn{});
  detail_[kBank] = MakeColumn(kColumnText, "%-10.10s", kDetailX[kBank], bankText_);
  detail_[kNumber] = MakeColumn(kColumnText, "%-10.10s", kDetailX[kNumber], number_);
  detail_[kCode] = MakeColumn(kColumnText, "%-14.14s", kDetailX[kCode], code_);
  detail_[kName] = MakeColumn(kColumnText, "%-30.30s", kDetailX[kName], name_);
  detail_[kTran] = MakeColumn(kColumnText, "%-12.12s", kDetailX[kTran], tran_);
  detail_[kReference] = MakeColumn(kColumnText, "%-12.12s", kDetailX[kReference], reference_);
  detail_[kDate] = MakeColumn(kColumnDate, "%-9s", kDetailX[kDate], &date_);
  detail_[kAmount] = MakeColumn(kColumnAmount, "%12.2f", kDetailX[kAmount], &amount_);
  detail_[kStatus] = MakeColumn(kColumnText, "%-7.7s", kDetailX[kStatus], status_);
  detail_[kSource] = MakeColumn(kColumnText, "%-2.2s", kDetailX[kSource], source_);
  detail_[kPosted] = MakeColumn(kColumnText, "%-1.1s", kDetailX[kPosted], posted_);

  const int countLabelX = kCountX - static_cast<int>(std::strlen(kCountCaption));
  const int sumLabelX = kDetailX[kAmount] - static_cast<int>(std::strlen(kSumCaption));
  totals_.assign(kTotalCount + 1, TagReportColumn{});
  totals_[kCountLabel] = MakeColumn(kColumnText, "%s", countLabelX, kCountCaption);
  totals_[kCountValue] = MakeColumn(kColumnLong, "%-5d", kCountX, &totalCountValue_);
  totals_[kSumLabel] = MakeColumn(kColumnText, "%s", sumLabelX, kSumCaption);
  totals_[kSumValue] = MakeColumn(kColumnAmount, "%12.2f", kDetailX[kAmount], &totalSumValue_);
}

bool CheckRegisterRun::PrintPass(int pass) {
  int status = ReadEntry(pass, true);
  if (status != kStatusOk) {
    if (status == kStatusEndOfFile) return true;
    failed_ = true;
    return false;
  }
  // The deposits start on a page of their own.
  if (pass == kPassDeposits && printed_) {
    ReportNewPage(&info_);
    printed_ = false;
  }
  PageHeading(pass);
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) {
      stopped_ = true;
      return false;
    }
    ++count_;
    cents_ += AmountCents(entry_.amount);
    SetDetail();
    ReportWriteColumns(&info_, detail_.data(), 1);
    PageCheck(pass);
    status = ReadEntry(pass, false);
  }
  if (status != kStatusEndOfFile) {
    failed_ = true;
    return false;
  }
  WriteTotals(pass);
  return true;
}

int CheckRegisterRun::ReadEntry(int pass, bool first) {
  int op = kOpGetNext;
  if (first) {
    std::memset(key_, 0, sizeof key_);
    std::memcpy(key_, bank_.data(), std::min(bank_.size(), sizeof entry_.bankAccount - 1));
    op = kOpGetGreaterOrEqual;
  }
  for (;; op = kOpGetNext) {
    const int status = RecordRead(records::kFileCheckRegister, op, register_, key_, &entry_, sizeof entry_);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusEndOfFile;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFileCheckRegister, 0);
      return status;
    }
    // The first entry of another bank account ends the pass.
    if (oem::CompareText(Trimmed(entry_.bankAccount), bank_) != 0) return kStatusEndOfFile;
    if (entry_.date >= from_ && entry_.date <= to_ && FitsPass(entry_.entrySide, pass)) return kStatusOk;
  }
}

void CheckRegisterRun::SetDetail() {
  const records::TagCheckRegister& e = entry_;
  SetRowText(bankText_, Trimmed(e.bankAccount));
  SetRowText(number_, Trimmed(e.checkNumber));
  SetRowText(code_, Trimmed(e.code));
  SetRowText(name_, e.entrySide == 'V' ? std::string(texts_[kTextVoidName]) : Trimmed(e.name));
  SetRowText(tran_, Trimmed(e.transactionNumber));
  SetRowText(reference_, Trimmed(e.reference));
  date_ = e.date;
  amount_ = NumRound(e.amount, 2);
  // The status letter stands in the fourth place of six.
  std::snprintf(status_, sizeof status_, "   %c  ", e.status ? e.status : ' ');
  SetRowText(source_, SourceCode(e.kind));
  SetRowText(posted_, e.IsOpen() ? "*" : "");
}

void CheckRegisterRun::PageHeading(int pass) {
  ReportPageStart(&info_, 0, 1);
  const TagRepFont font = info_.font;
  ReportBlockBegin(&info_, kFontTitle);
  ReportWriteText(&info_, texts_[pass == kPassChecks ? kTextChecks : kTextDeposits], kReportCentred, 1);
  ReportSetFont(&info_, kFontHeading);
  ReportWriteText(&info_, selection_.c_str(), kReportCentred, 1);
  ReportSetFont(&info_, kFontNote);
  ReportWriteText(&info_, "* Not Posted", kReportCentred, 1);
  ReportBlockEnd(&info_);
  ReportSkipLines(&info_, 1);
  ReportBlockBegin(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, (pass == kPassChecks ? checkHeading1_ : depositHeading1_).data(), 1);
  ReportWriteColumns(&info_, heading2_.data(), 1);
  ReportBlockEnd(&info_);
  ReportWriteRule(&info_, detail_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) {
    ReportSetColumnLayout(&info_, detail_.data(), 2);
    ReportSetHeadingEnd(&info_, info_.lineCount);
  }
  printed_ = anyPrinted_ = true;
}

// A full page is ended and the section's heading starts the next.
void CheckRegisterRun::PageCheck(int pass) {
  if (printed_ && !ReportPageFull(&info_, 0)) return;
  if (printed_) ReportNewPage(&info_);
  PageHeading(pass);
}

void CheckRegisterRun::WriteTotals(int pass) {
  ReportSkipLines(&info_, 2);
  PageCheck(pass);
  totalCountValue_ = count_;
  totalSumValue_ = static_cast<double>(cents_) / 100.0;
  ReportWriteColumns(&info_, totals_.data(), 1);
  count_ = 0;
  cents_ = 0;
}

}  // namespace

int RunCheckRegister() {
  try {
    CheckRegisterRun run;
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
