// The 1096 summary (command 375): the form that transmits one 1099 batch,
// with the payer, the contact person, the number of forms and their total.
// The screen names the batch (or the 1099 run names it, and it cannot be
// changed), takes the contact person, kept with the batch, and the payer's
// city, state and ZIP as split from the company's address line; F10 stores
// the contact person and prints the form to the preview, four copies when
// printed.  Once the form is out, the batch is marked as transmitted (its
// 1096 mark, which the 1099 run then keeps).
//
// The batch is read again at F10: one that cannot be read, or whose
// contact person cannot be stored, prints nothing and is not marked.
#include "reports/arap/form_1096.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "btrvc.h"
#include "qxabase/batch_1099.h"
#include "qxabase/commands.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"
#include "records/support.h"
#include "report_frame.h"
#include "reports/arap/tax_forms.h"
#include "selection_fields.h"

namespace {

constexpr const char* kReportId = "RSPrint1096";
constexpr const char* kReportTitle = "1096 Report";
constexpr int kCopies = 4;

constexpr int kFormNumber = 375;
constexpr int kFieldBatch = 1, kFieldContactName = 2, kFieldContactPhone = 3, kFieldContactLine2 = 4, kFieldCity = 5,
              kFieldState = 6, kFieldZip = 7;
constexpr int kWindowTop = 3, kWindowLeft = 10, kWindowRows = 22, kWindowCols = 65;
constexpr int kPickTop = 4, kPickLeft = 20, kPickRows = 13, kPickCols = 38;

constexpr int kMsgNoSuchBatch = 1903;
constexpr int kMsgNoBatchName = 1905;

constexpr int kStay = 0x20;
constexpr int kRedraw = 0x80;
constexpr int kAccept = 1;

// The margins of the stock, in hundredths of an inch.
constexpr taxforms::FormMargins kMargins{25, 32, 25, 25};

// What the city, state and ZIP fields of the company record hold.
constexpr std::size_t kCityChars = sizeof records::CompanyRecord::city - 1;
constexpr std::size_t kStateChars = sizeof records::CompanyRecord::state - 1;
constexpr std::size_t kZipChars = sizeof records::CompanyRecord::zip - 1;

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  return TrimField(field);
}

// The city line of the form: "City, ST ZIP".  A state of three characters
// keeps two; a ZIP that ends in a dash (a ZIP+4 left unfinished) drops it.
std::string Format1096CityLine(std::string city, std::string state, std::string zip) {
  city = TrimText(city);
  state = TrimText(state);
  if (state.size() == 3) state = TrimText(state.substr(0, 2));
  std::string line = TrimText(city + ", " + state);
  zip = TrimText(zip);
  if (!zip.empty() && zip.back() == '-') zip = TrimText(zip.substr(0, zip.size() - 1));
  return line + " " + zip;
}

// The company's city/state/ZIP line in words split at commas and blanks:
// the first word is the city, the second the state, the third the ZIP,
// each cut to what its field holds.  A city of two words splits too: the
// user corrects the fields on the screen.
void SplitCityLine(const std::string& line, records::CompanyRecord* company) {
  std::vector<std::string> words;
  std::string word;
  for (char c : line + " ") {
    if (c == ',' || c == ' ' || c == '\0') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  auto put = [&](std::size_t i, char* out, std::size_t size, std::size_t chars) {
    std::memset(out, 0, size);
    if (i < words.size()) std::memcpy(out, words[i].data(), std::min(words[i].size(), chars));
  };
  put(0, company->city, sizeof company->city, kCityChars);
  put(1, company->state, sizeof company->state, kStateChars);
  put(2, company->zip, sizeof company->zip, kZipChars);
}

// The contact person kept with the batch.
struct Contact {
  std::string name, phone, line2;
};

// One form from the current line.
void Print1096Form(TagRepInfo* info, const records::CompanyRecord& c, const Contact& contact,
                   const records::TagBatchForm1099& batch) {
  using taxforms::FormLine;
  ReportSkipLines(info, 7);
  FormLine(info).Text(5, "%-32.32s", Trimmed(c.name)).Write();
  ReportSkipLines(info, 2);
  FormLine(info).Text(5, "%-32.32s", Trimmed(c.addressLine1)).Write();
  FormLine(info).Text(5, "%-32.32s", Trimmed(c.addressLine2)).Write();
  ReportSkipLines(info, 1);
  FormLine(info).Text(5, "%-40.40s", Format1096CityLine(Trimmed(c.city), Trimmed(c.state), Trimmed(c.zip))).Write();
  ReportSkipLines(info, 1);
  // The name stops short of the telephone's box.
  FormLine(info).Text(4, "%-26.26s", contact.name).Text(31, "%-15.15s", contact.phone).Write();
  ReportSkipLines(info, 1);
  FormLine(info).Text(4, "%-76.76s", contact.line2).Write();
  ReportSkipLines(info, 1);
  char total[32];
  std::snprintf(total, sizeof total, "%11.2f", static_cast<double>(batch.totalAmount));
  FormLine(info)
      .Text(4, "%11.11s", Trimmed(c.federalId))
      .Text(21, "%11s", "")
      .Text(31, "%10s", std::to_string(static_cast<int>(batch.formCount)))
      .Text(44, "%11s", "")
      .Text(58, "%15s", TrimText(total))
      .Write();
  ReportSkipLines(info, 7);
  FormLine(info).Text(5, "%s", "X").Write();
}

// The alignment test: two blank forms, each on a sheet of its own, printed
// straight to the printer as a run of their own.
int Print1096AlignmentTest(void*, const TagPrinterSettings* settings) {
  TagRepInfo info{};
  taxforms::SetUpAlignmentRun(&info, kMargins, settings);
  if (!ReportOpen(&info, nullptr)) return 0;
  const records::CompanyRecord company{};
  const records::TagBatchForm1099 batch{};
  for (int form = 0; form < 2; ++form) {
    if (form > 0) ReportNewPage(&info);
    Print1096Form(&info, company, Contact{}, batch);
  }
  ReportClose(&info);
  return 0;
}

// --- The run -------------------------------------------------------------------------------

class Form1096Run {
 public:
  explicit Form1096Run(const char* batchName) : given_(batchName ? TrimText(batchName) : std::string()) {}
  Form1096Run(const Form1096Run&) = delete;
  Form1096Run& operator=(const Form1096Run&) = delete;
  ~Form1096Run() { FormEnd(&form_); }

  int Run();

 private:
  static Form1096Run* Of(Form* form) { return static_cast<Form1096Run*>(form->context); }
  static int Start(Form* form, int start);
  static int BatchExit(Form* form, int field);
  static int PickBatch(Form* form, KeyCode key);
  static int PrintKey(Form* form, KeyCode key);
  std::string Text(int field) { return TrimText(FieldText(&form_, field)); }
  // The batch named in field 1 into batch_ and its contact person onto the
  // screen: 0, or kStay after the message (no name, no such batch, the
  // record-manager box).
  int CheckBatch(bool fillContact);
  int Process();

  const std::string given_;  // the batch the 1099 run made; "" the user names one
  FormDef def_;
  std::vector<TagFormField> fields_;
  // Released in the reverse order: the window, then the files, then the
  // form (the destructor).
  Form form_{};
  taxforms::TaxFormFiles files_;
  Window window_{};
  WindowGuard windowGuard_{&window_};

  records::CompanyRecord company_{};
  records::TagBatchForm1099 batch_{};
};

int Form1096Run::Run() {
  if (FormDefLoad(&def_, kFormNumber) != 0) return 0;
  fields_ = def_.fields;
  for (TagFormField& f : fields_)
    if (f.number == kFieldBatch) f.exitCallback = BatchExit;
  FormBegin(&form_);
  if (!FormFieldsCreate(&form_, fields_.data(), 1)) return 0;
  FormDefUse(&form_, &def_);
  if (files_.Open() != kStatusOk) return 0;
  // The title of the form definition: the 1096 also opens from the 1099 run.
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', def_.title.c_str()) != 0)
    return 0;
  WinSetup(&window_);

  SetUpScreenForm(&form_, &window_, kReportId, this, Start);
  if (given_.empty()) FormOnKey(&form_, kKeyF5, PickBatch, "Batches");
  FormOnKey(&form_, kKeyShiftF2, FormShiftF2Handler, "Screen id");
  FormOnKey(&form_, kKeyF10, PrintKey, "Print");
  FormRun(&form_, 0);
  return 0;
}

// --- The screen ----------------------------------------------------------------------------

// The batch the 1099 run names is shown, fixed, with its contact person;
// the payer's city, state and ZIP come from the company's address line.  A
// company record that cannot be read closes the screen.
int Form1096Run::Start(Form* form, int) {
  Form1096Run* run = Of(form);
  if (!run->given_.empty()) {
    FieldSetText(form, kFieldBatch, run->given_.c_str());
    FieldSetProtect(form, kFieldBatch, 1);
    FieldSetFocus(form, kFieldContactName);
    // The contact person kept with the batch, so that F10 does not store
    // blanks over it.
    run->CheckBatch(true);
  } else {
    FieldSetFocus(form, kFieldBatch);
  }
  if (taxforms::ReadCompanyRecord(&run->company_, run->files_.settings) != kStatusOk) return kAccept;
  SplitCityLine(Trimmed(run->company_.cityStateZip), &run->company_);
  FieldSetText(form, kFieldCity, Trimmed(run->company_.city).c_str());
  FieldSetText(form, kFieldState, Trimmed(run->company_.state).c_str());
  FieldSetText(form, kFieldZip, Trimmed(run->company_.zip).c_str());
  FormRedraw(form);
  return kRedraw;
}

int Form1096Run::CheckBatch(bool fillContact) {
  const std::string name = Text(kFieldBatch);
  if (name.empty()) {
    MsgShow(kMsgNoBatchName, 1);
    return kStay;
  }
  QxaBatchFileForm1099 batches(files_.batches);
  const int status = batches.TableRead(name.c_str(), kOpGetEqual);
  if (status == kStatusKeyNotFound) {
    MsgShow(kMsgNoSuchBatch, 1);
    return kStay;
  }
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFile1099Batches, 0);
    return kStay;
  }
  batches.CopyData(&batch_);
  if (fillContact) {
    FieldSetText(&form_, kFieldContactName, Trimmed(batch_.contactName).c_str());
    FieldSetText(&form_, kFieldContactPhone, Trimmed(batch_.contactPhone).c_str());
    FieldSetText(&form_, kFieldContactLine2, Trimmed(batch_.contactLine2).c_str());
  }
  return 0;
}

int Form1096Run::BatchExit(Form* form, int) { return Of(form)->CheckBatch(true); }

int Form1096Run::PickBatch(Form* form, KeyCode) {
  Form1096Run* run = Of(form);
  if (FormCurrentField(form) != kFieldBatch) return 0;
  records::TagBatchForm1099 chosen{};
  const std::string typed = run->Text(kFieldBatch);
  if (!PickBatchFile1099(typed.c_str(), 0, 1, run->files_.batches, &chosen, kPickTop, kPickLeft, kPickRows,
                         kPickCols, 0))
    return kStay;
  chosen.name[sizeof chosen.name - 1] = 0;
  FieldSetText(form, kFieldBatch, Trimmed(chosen.name).c_str());
  run->CheckBatch(true);
  FormRedraw(form);
  return 0;
}

int Form1096Run::PrintKey(Form* form, KeyCode) {
  Form1096Run* run = Of(form);
  if (run->Process() != 0) {
    if (run->given_.empty()) FieldSetFocus(form, kFieldBatch);
    return kStay;
  }
  return kAccept;
}

// F10: the batch is read again and takes the contact person; then the form
// prints.  0 when the screen is done (printed, or the company record
// could not be read); kStay when the batch could not be read or written
// (nothing printed).
int Form1096Run::Process() {
  if (taxforms::ReadCompanyRecord(&company_, files_.settings) != kStatusOk) return 0;
  const Contact contact{Text(kFieldContactName), Text(kFieldContactPhone), Text(kFieldContactLine2)};
  if (CheckBatch(false) != 0) return kStay;
  SetRowText(batch_.contactName, contact.name);
  SetRowText(batch_.contactPhone, contact.phone);
  SetRowText(batch_.contactLine2, contact.line2);
  QxaBatchFileForm1099 batches(files_.batches);
  const int status = batches.TableWrite(&batch_, 0);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpUpdate, records::kFile1099Batches, 0);
    return kStay;
  }
  SetRowText(company_.city, Text(kFieldCity));
  SetRowText(company_.state, Text(kFieldState));
  SetRowText(company_.zip, Text(kFieldZip));

  TagRepInfo info{};
  taxforms::SetUpFormRun(&info, kMargins, Print1096AlignmentTest, this);
  Report1096Title(&info, kReportTitle, kCopies);
  if (!ReportOpen(&info, kReportTitle)) return 0;
  Print1096Form(&info, company_, contact, batch_);
  if (ReportClose(&info) != 0) return 0;
  CommandDone();
  if (batch_.form1096 == 'Y') return 0;
  batch_.form1096 = 'Y';
  const int marked = batches.TableWrite(&batch_, 0);
  if (marked != kStatusOk) MsgRecordError(marked, 1, kOpUpdate, records::kFile1099Batches, 0);
  return 0;
}

}  // namespace

int RunPrint1096(const char* batchName) {
  try {
    Form1096Run run(batchName);
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
