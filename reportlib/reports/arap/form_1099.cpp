// The 1099 forms (command 348): one form for each 1099 vendor whose 1099
// amount of the tax year reaches the minimum, on two-up preprinted stock
// (two forms of 33 lines to a page of 66), recorded as a named batch that
// the 1096 summary then transmits.  A small screen takes the payer's
// numbers, the year, the minimum, whether the 1096 follows and the batch
// name (remembered per user); F10 prints the forms to the preview, where the
// user prints them or first runs an alignment test.
//
// A batch is written only for a run that came to its end: a run stopped by
// the user or by a record-manager error prints nothing and records nothing,
// so that the 1096 never transmits a partial count.  A batch that exists
// already prints nothing again.  With "Print 1096" the run then opens the
// 1096 of its batch; the batch is marked as transmitted by the 1096 once
// that has printed, never before.
#include "reports/arap/form_1099.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "address_lines.h"
#include "btrvc.h"
#include "qxabase/app_block.h"
#include "qxabase/batch_1099.h"
#include "qxabase/commands.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "qxabase/settings.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/support.h"
#include "report_frame.h"
#include "reports/arap/form_1096.h"
#include "reports/arap/tax_forms.h"
#include "selection_fields.h"

namespace {

constexpr const char* kReportId = "RSPrint1099";
constexpr const char* kReportTitle = "1099s";
constexpr const char* kMruKey = "Vend1099";

constexpr int kFormNumber = 348;
constexpr int kFieldFederalId = 1, kFieldStateNumber = 2, kFieldTaxYear = 3, kFieldMinimum = 4, kField1096 = 5,
              kFieldBatch = 6;
constexpr int kMruRecords = 7;  // fields 1-6 and the closing record
constexpr int kWindowTop = 5, kWindowLeft = 24, kWindowRows = 10, kWindowCols = 55;
// The batch pick list of F5.
constexpr int kPickTop = 4, kPickLeft = 20, kPickRows = 13, kPickCols = 38;
constexpr int kChoiceYes = 1, kChoiceNo = 2;

constexpr int kMsgNoBatchName = 1905;
constexpr int kMsgBadTaxYear = 1907;

constexpr int kStay = 0x20;
constexpr int kRedisplay = 0x40;
constexpr int kRedraw = 0x80;
constexpr int kAccept = 1;

// Two forms of 33 lines to a page; the void mark goes on the page's line 32.
constexpr int kFormLines = 33;
constexpr int kVoidLine = 32, kVoidColumn = 22;
// The columns of the stock's boxes.
constexpr int kLeftX = 4, kRecipientIdX = 21, kBox1X = 38, kBox2X = 51, kBox3X = 64;
// The text that fits left of the first box.
constexpr const char* kLeftText = "%-33.33s";

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  return TrimField(field);
}

// --- Remembered fields ------------------------------------------------------------------------

std::uint32_t MruKindOf(int field) {
  switch (field) {
    case kFieldTaxYear:
    case kFieldMinimum: return kMruKindNumber;
    case kField1096: return kMruKindChoice;
    default: return kMruKindText;
  }
}
const MruFieldTable<kMruRecords> kMruTable(MruKindOf);

class Vend1099MruParam final : public CQxRepMRUParam {};

// --- One form ------------------------------------------------------------------------------------

// What a form prints: the payer (the company record and the screen's two
// numbers) and the recipient (a vendor and its amount).
struct FormData {
  const records::CompanyRecord* company;
  const records::CustVendRecord* vendor;
  double amount;
  std::string federalId, stateNumber;
};

// Prints one form from the current line: 33 lines, every text in its box.
void Print1099Form(TagRepInfo* info, const FormData& d) {
  using taxforms::FormLine;
  const records::CompanyRecord& c = *d.company;
  const records::CustVendRecord& v = *d.vendor;
  const std::vector<std::string> street = AddressStreetLines(v);
  auto streetLine = [&](std::size_t i) { return i < street.size() ? street[i] : std::string(); };

  ReportSkipLines(info, 1);                                                           // 1
  FormLine(info).Text(kLeftX, "%-31.31s", Trimmed(c.name)).Write();                   // 2
  FormLine(info).Zero(kBox1X).Write();                                                // 3
  FormLine(info).Text(kLeftX, kLeftText, Trimmed(c.addressLine1)).Write();            // 4
  FormLine(info).Text(kLeftX, kLeftText, Trimmed(c.addressLine2)).Write();            // 5
  FormLine(info).Text(kLeftX, kLeftText, Trimmed(c.cityStateZip)).Zero(kBox1X).Write();  // 6
  FormLine(info).Text(kLeftX, kLeftText, Trimmed(c.phone)).Write();                   // 7
  FormLine(info).Zero(kBox1X).Write();                                                // 8
  ReportSkipLines(info, 3);                                                           // 9-11
  FormLine(info)                                                                      // 12
      .Text(kLeftX, "%-16.16s", d.federalId)
      .Text(kRecipientIdX, "%-14.14s", Trimmed(v.idNumber))
      .Zero(kBox1X)
      .Zero(kBox2X)
      .Write();
  ReportSkipLines(info, 1);                                                           // 13
  FormLine(info).Text(kLeftX, kLeftText, Trimmed(v.name)).Write();                    // 14
  ReportSkipLines(info, 1);                                                           // 15
  FormLine(info).Amount(kBox1X, "%11.2f", d.amount).Zero(kBox2X).Write();             // 16
  ReportSkipLines(info, 1);                                                           // 17
  FormLine(info).Text(kLeftX, kLeftText, streetLine(0)).Write();                      // 18
  FormLine(info).Text(kLeftX, kLeftText, streetLine(1)).Zero(kBox2X).Write();         // 19
  ReportSkipLines(info, 1);                                                           // 20
  FormLine(info).Text(kLeftX, kLeftText, FormatAddressLine(v)).Write();               // 21
  ReportSkipLines(info, 4);                                                           // 22-25
  FormLine(info).Zero(kBox1X).Text(kBox2X, "%13.13s", d.stateNumber).Zero(kBox3X).Write();  // 26
  ReportSkipLines(info, kFormLines - 26);                                             // 27-33
}

// The void mark of the page's second form, written on the page's line 32
// without moving on.
void PrintVoidMark(TagRepInfo* info) {
  const int kept = info->lineCount;
  info->lineCount = kVoidLine;
  ReportWriteText(info, "X", kVoidColumn, 1);
  info->lineCount = kept;
}

// The alignment test: two blank forms (zero boxes, and the void mark),
// printed straight to the printer as a run of their own.
int Print1099AlignmentTest(void*, const TagPrinterSettings* settings) {
  TagRepInfo info{};
  taxforms::SetUpAlignmentRun(&info, taxforms::FormMargins{}, settings);
  if (!ReportOpen(&info, nullptr)) return 0;
  const records::CompanyRecord company{};
  const records::CustVendRecord vendor{};
  PrintVoidMark(&info);
  for (int form = 0; form < 2; ++form) Print1099Form(&info, FormData{&company, &vendor, 0.0, "", ""});
  ReportClose(&info);
  return 0;
}

// --- The run -------------------------------------------------------------------------------

class Form1099Run {
 public:
  Form1099Run() = default;
  Form1099Run(const Form1099Run&) = delete;
  Form1099Run& operator=(const Form1099Run&) = delete;
  ~Form1099Run() {
    FormEnd(&form_);
    CQxBaseRepParam::ReportDefAndMRUFree(copy_, collection_, mru_);
  }

  int Run();

 private:
  // The screen.
  static Form1099Run* Of(Form* form) { return static_cast<Form1099Run*>(form->context); }
  static int Defaults(Form* form, int start);
  static int RestoreDefaults(Form* form, KeyCode key);
  static int BatchExit(Form* form, int field);
  static int TaxYearExit(Form* form, int field);
  static int PickBatch(Form* form, KeyCode key);
  static int PrintKey(Form* form, KeyCode key);
  std::string Text(int field) { return TrimText(FieldText(&form_, field)); }
  // Reads the batch named on the screen: 0 when it exists (batch_, exists_),
  // 4 when it does not (a new batch), another status after the error box.
  int CheckBatch();
  // 0 with the year of field 3 in taxYear_; kStay after the message.
  int CheckTaxYear();

  // The run.
  int Process();
  // Prints the forms: false when the run did not come to its end (a user
  // break, a record-manager error, the writer's open cancelled).
  bool PrintForms(const records::CompanyRecord& company);
  // The next vendor that gets a form (op 12 the first): 0, 9 past the
  // last, another status after the error box.
  int NextVendor(int op);
  // 0 with the vendor's amount of the year in amount_ (0 without a record);
  // another status after the error box.
  int ReadAmount();
  int WriteBatch();

  FormDef def_;
  std::vector<TagFormField> fields_;
  CQxDataCopy* copy_ = nullptr;
  CQxDataCopyCollection* collection_ = nullptr;
  CQxRepMRUParam* mru_ = nullptr;
  // Released in the reverse order: the window, then the files, then the
  // form and the remembered values (the destructor).
  Form form_{};
  taxforms::TaxFormFiles files_;
  Window window_{};
  WindowGuard windowGuard_{&window_};

  records::TagBatchForm1099 batch_{};
  bool exists_ = false;
  std::int32_t taxYear_ = 0;
  std::int64_t minimumCents_ = 0;

  TagRepInfo info_{};
  records::CustVendRecord vendor_{};
  double amount_ = 0;
  int count_ = 0;
  std::int64_t totalCents_ = 0;
};

int Form1099Run::Run() {
  if (FormDefLoad(&def_, kFormNumber) != 0) return 0;
  fields_ = def_.fields;
  for (TagFormField& f : fields_) {
    if (f.number == kFieldBatch) f.exitCallback = BatchExit;
    if (f.number == kFieldTaxYear) f.exitCallback = TaxYearExit;
  }
  FormBegin(&form_);
  if (files_.Open() != kStatusOk) return 0;
  if (!FormFieldsCreate(&form_, fields_.data(), 1)) return 0;
  FormDefUse(&form_, &def_);
  // The title of the form definition: the 1096 also opens from the 1099 run.
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', def_.title.c_str()) != 0)
    return 0;

  SetUpScreenForm(&form_, &window_, kReportId, this, Defaults);
  FormOnKey(&form_, kKeyF5, PickBatch, "Batches");
  FormOnKey(&form_, kKeyShiftF9, RestoreDefaults, "Defaults");
  FormOnKey(&form_, kKeyF10, PrintKey, "Print");
  CQxBaseRepParam::RunRemembered(copy_, collection_, mru_, &form_, kMruRecords);
  return 0;
}

// --- The screen ----------------------------------------------------------------------------

// The payer's numbers from the company record and this year; at the start
// the user's remembered values then replace them.  A company record that
// cannot be read leaves the screen as it is.
int Form1099Run::Defaults(Form* form, int start) {
  Form1099Run* run = Of(form);
  records::CompanyRecord company{};
  if (SettingsRecordRead(kSettingsRead, 0, sizeof company, "0Company", &company) != kStatusOk) return 0;
  FieldSetText(form, kFieldFederalId, Trimmed(company.federalId).c_str());
  FieldSetText(form, kFieldStateNumber, Trimmed(company.stateNumber).c_str());
  FieldSetText(form, kFieldTaxYear, std::to_string(DateYear(DateToday())).c_str());
  if (start) {
    FieldSetChoice(form, kField1096, kChoiceNo);
    ShowRememberedValues<Vend1099MruParam>(form, run->collection_, &run->mru_, kMruKey, kMruTable.fields);
  } else {
    if (run->collection_) run->collection_->RestoreAll();
    FieldSetFocus(form, kFieldFederalId);
  }
  FieldSetProtect(form, kField1096, 0);
  FormRedraw(form);
  return start ? 0 : kRedraw;
}

int Form1099Run::RestoreDefaults(Form* form, KeyCode) { return Defaults(form, 0); }

int Form1099Run::CheckBatch() {
  const std::string name = Text(kFieldBatch);
  exists_ = false;
  if (name.empty()) {
    FieldSetProtect(&form_, kField1096, 0);
    return kStatusKeyNotFound;
  }
  QxaBatchFileForm1099 batches(files_.batches);
  const int status = batches.TableRead(name.c_str(), kOpGetEqual);
  if (status == kStatusOk) {
    batches.CopyData(&batch_);
    exists_ = true;
    // A batch whose 1096 was asked for keeps its mark.
    const bool transmitted = batch_.form1096 == 'Y';
    if (transmitted) FieldSetChoice(&form_, kField1096, kChoiceYes);
    FieldSetProtect(&form_, kField1096, transmitted ? 1 : 0);
    return kStatusOk;
  }
  if (status == kStatusKeyNotFound) {
    batch_ = records::TagBatchForm1099{};
    SetRowText(batch_.name, name);
    FieldSetProtect(&form_, kField1096, 0);
    return status;
  }
  MsgRecordError(status, 1, kOpGetEqual, records::kFile1099Batches, 0);
  return status;
}

int Form1099Run::BatchExit(Form* form, int) {
  Form1099Run* run = Of(form);
  const int status = run->CheckBatch();
  return status == kStatusOk || status == kStatusKeyNotFound ? 0 : kStay;
}

int Form1099Run::CheckTaxYear() {
  const std::string text = Text(kFieldTaxYear);
  const int year = text.size() == 4 && text.find_first_not_of("0123456789") == std::string::npos ? std::stoi(text) : 0;
  if (year < 1900) {
    MsgShow(kMsgBadTaxYear, 1);
    return kStay;
  }
  taxYear_ = year;
  return 0;
}

int Form1099Run::TaxYearExit(Form* form, int) { return Of(form)->CheckTaxYear(); }

int Form1099Run::PickBatch(Form* form, KeyCode) {
  Form1099Run* run = Of(form);
  if (FormCurrentField(form) != kFieldBatch) return kRedisplay;
  records::TagBatchForm1099 chosen{};
  const std::string typed = run->Text(kFieldBatch);
  if (!PickBatchFile1099(typed.c_str(), 0, 1, run->files_.batches, &chosen, kPickTop, kPickLeft, kPickRows,
                         kPickCols, 0))
    return kStay;
  chosen.name[sizeof chosen.name - 1] = 0;
  FieldSetText(form, kFieldBatch, Trimmed(chosen.name).c_str());
  run->CheckBatch();
  FormRedraw(form);
  return kRedisplay;
}

// F10: the batch and the year are checked again (F10 alone leaves no field
// that was not changed), then the run prints and the screen closes.
int Form1099Run::PrintKey(Form* form, KeyCode) {
  Form1099Run* run = Of(form);
  if (run->Text(kFieldBatch).empty()) {
    MsgShow(kMsgNoBatchName, 1);
    FieldSetFocus(form, kFieldBatch);
    return kStay;
  }
  const int batch = run->CheckBatch();
  if (batch != kStatusOk && batch != kStatusKeyNotFound) return kStay;
  if (run->CheckTaxYear() != 0) {
    FieldSetFocus(form, kFieldTaxYear);
    return kStay;
  }
  run->Process();
  return kAccept;
}

// --- The run -------------------------------------------------------------------------------

int Form1099Run::Process() {
  const bool wants1096 = FieldGetChoice(&form_, kField1096) == kChoiceYes;
  if (!exists_) {
    records::CompanyRecord company{};
    if (taxforms::ReadCompanyRecord(&company, files_.settings) != kStatusOk) return 1;
    minimumCents_ = AmountCents(std::strtod(Text(kFieldMinimum).c_str(), nullptr));
    info_ = TagRepInfo{};
    taxforms::SetUpFormRun(&info_, taxforms::FormMargins{}, Print1099AlignmentTest, nullptr);
    if (!ReportOpen(&info_, kReportTitle)) return 1;
    ReportRunGuard guard(&info_);
    if (!PrintForms(company)) {
      // Nothing of a run that did not come to its end is printed or kept.
      guard.Discard();
      return 1;
    }
    if (count_ == 0) {
      MsgShow(kMsgNothingSelected, 1);
      guard.Discard();
      return 1;
    }
    batch_ = records::TagBatchForm1099{};
    SetRowText(batch_.name, Text(kFieldBatch));
    batch_.createdStamp = static_cast<std::uint32_t>(DateTimeStamp());
    batch_.formCount = count_;
    batch_.totalAmount = static_cast<double>(totalCents_) / 100.0;
    // Not transmitted yet: the 1096 marks the batch when it prints.
    batch_.form1096 = 'N';
    if (WriteBatch() != kStatusOk) {
      guard.Discard();
      return 1;
    }
    guard.Close();
    CommandDone();
  } else {
    // A batch printed before is not printed again: there is nothing to do
    // but its 1096 summary.
    CommandDone();
  }
  if (wants1096) RunPrint1096(Text(kFieldBatch).c_str());
  return 1;
}

int Form1099Run::WriteBatch() {
  QxaBatchFileForm1099 batches(files_.batches);
  const int status = batches.TableWrite(&batch_, 1);
  if (status != kStatusOk) MsgRecordError(status, 1, kOpInsert, records::kFile1099Batches, 0);
  return status;
}

bool Form1099Run::PrintForms(const records::CompanyRecord& company) {
  count_ = 0;
  totalCents_ = 0;
  const std::string federalId = Text(kFieldFederalId), stateNumber = Text(kFieldStateNumber);
  int status = NextVendor(kOpGetFirst);
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) return false;
    Print1099Form(&info_, FormData{&company, &vendor_, amount_, federalId, stateNumber});
    ++count_;
    totalCents_ += AmountCents(amount_);
    if (count_ % 2 == 0) ReportNewPage(&info_);
    status = NextVendor(kOpGetNext);
  }
  if (status != kStatusEndOfFile) return false;
  // The second form of the last page is voided.
  if (count_ % 2 == 1) {
    PrintVoidMark(&info_);
    ReportNewPage(&info_);
  }
  return true;
}

int Form1099Run::NextVendor(int op) {
  CDbTblActiveCustVend vendors(files_.vendors, records::kFileVendors);
  char key[255] = {};
  for (;; op = kOpGetNext) {
    const int status = vendors.Read(op, key, &vendor_, sizeof vendor_);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusEndOfFile;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFileVendors, 0);
      return status;
    }
    if (vendor_.form1099 != 'Y') continue;
    const int amount = ReadAmount();
    if (amount != kStatusOk) return amount;
    if (AmountCents(amount_) >= minimumCents_) return kStatusOk;
  }
}

int Form1099Run::ReadAmount() {
  records::Vendor1099AmountRecord key{};
  std::memcpy(key.vendorCode, vendor_.code, sizeof key.vendorCode);
  key.taxYear = taxYear_;
  char keyBuffer[255] = {};
  std::memcpy(keyBuffer, &key, sizeof key);
  records::Vendor1099AmountRecord found{};
  const int status = BtrvGetOp(kOpGetEqual, files_.amounts, keyBuffer, &found, sizeof found);
  amount_ = 0;
  if (status == kStatusKeyNotFound) return kStatusOk;  // no amount this year: 0
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileVendor1099Amounts, 0);
    return status;
  }
  amount_ = NumRound(found.amount, 2);
  return kStatusOk;
}

}  // namespace

int RunPrint1099() {
  try {
    Form1099Run run;
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
