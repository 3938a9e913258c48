// The form settings of statements, letters and labels: the company's
// "0MergeForms", else the installation's defaults; and the F9 window that
// changes them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "merge_internal.h"
#include "qxabase/form_helpers.h"
#include "qxabase/letters.h"
#include "qxabase/messages.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace {

constexpr const char* kRecordKey = "0MergeForms";
constexpr int kMsgSettingsBad = 2605;  // %1 the file, %2 its line, %3 the reason
constexpr int kMsgTextNameBad = 2609;
constexpr int kFormSettingsForm = 334;

// The kinds of the texts, in the order of MergeFormsRecord::texts.
constexpr int kKinds[records::MergeFormsRecord::kTextCount] = {kTextStatementPage, kTextStatementInvoice,
                                                               kTextCustomerLetter, kTextVendorLetter, kTextLabels};

int IndexOfKind(int kind) {
  for (int i = 0; i < records::MergeFormsRecord::kTextCount; ++i)
    if (kKinds[i] == kind) return i;
  return -1;
}

bool IsSet(char c) { return c == 'Y' || c == 'y' || c == 1; }

void CopyName(char (&out)[33], const std::string& name) { std::snprintf(out, sizeof out, "%s", name.c_str()); }

// The installation's defaults (merge/forms.txt).  False after a message.
bool ReadDefaults(FormSettings* out) {
  return qxmerge::ReadDataFile("merge", "forms.txt", kMsgSettingsBad, [&](int, const auto& tokens) {
    if (tokens[0].value == "text" && tokens.size() == 3) {
      const int index = IndexOfKind(std::atoi(tokens[1].value.c_str()));
      if (index < 0 || !TextNameValid(tokens[2].value.c_str())) return std::string("not a text kind and name");
      CopyName(out->texts[index], tokens[2].value);
      return std::string();
    }
    if (tokens[0].value == "switches") {
      for (std::size_t i = 1; i < tokens.size(); ++i) {
        const qxb::Token& t = tokens[i];
        const std::uint8_t on = t.value == "Y" ? 1 : 0;
        if (t.key == "closing-line") out->closingLine = on;
        else if (t.key == "address-bottom") out->addressBottom = on;
        else if (t.key == "address-apart") out->addressApart = on;
        else if (t.key == "letters-same-page") out->lettersSamePage = on;
        else return std::string("not a switch");
      }
      return std::string();
    }
    return std::string("a line must be: text KIND \"name\", or switches ...");
  });
}

// The record over the defaults: what the company set.
void TakeRecord(const records::MergeFormsRecord& r, FormSettings* out) {
  out->closingLine = IsSet(r.closingLine) ? 1 : r.closingLine == 'N' ? 0 : out->closingLine;
  out->addressBottom = IsSet(r.addressBottom) ? 1 : r.addressBottom == 'N' ? 0 : out->addressBottom;
  out->addressApart = IsSet(r.addressApart) ? 1 : r.addressApart == 'N' ? 0 : out->addressApart;
  out->lettersSamePage = IsSet(r.lettersSamePage) ? 1 : r.lettersSamePage == 'N' ? 0 : out->lettersSamePage;
  for (int i = 0; i < records::MergeFormsRecord::kTextCount; ++i) {
    const std::string name = qxb::FieldText(r.texts[i], sizeof r.texts[i]);
    if (TextNameValid(name.c_str())) CopyName(out->texts[i], name);
  }
}

}  // namespace

int LabelsPrintStep(BtrvHandle settings, FormSettings* out) {
  if (out == nullptr) return 1;
  std::memset(out, 0, sizeof *out);
  if (!ReadDefaults(out)) return 1;
  records::MergeFormsRecord record{};
  const int status = SettingsRecordRead(kSettingsRead, settings, sizeof record, kRecordKey, &record);
  if (status == kStatusKeyNotFound) return 0;
  if (status != kStatusOk) return status;
  TakeRecord(record, out);
  return 0;
}

int StatementOptionText(int kind, char* name, const FormSettings* settings) {
  if (name == nullptr) return 1;
  *name = '\0';
  const int index = IndexOfKind(kind);
  if (index < 0 || settings == nullptr) return 1;
  std::snprintf(name, 33, "%s", qxb::FieldText(settings->texts[index], sizeof settings->texts[index]).c_str());
  return *name ? 0 : 1;
}

int StatementOption140(int kind, StatementTextNames* names, const FormSettings* settings) {
  if (names == nullptr) return 1;
  const int page = StatementOptionText(kind, names->page, settings);
  const int invoice = StatementOptionText(kTextStatementInvoice, names->invoice, settings);
  return page == 0 && invoice == 0 ? 0 : 1;
}

// --- The F9 window ------------------------------------------------------------------------

namespace {

enum SettingsField {
  kFieldFirstText = 1,   // 1-5 the texts, in the order of kKinds
  kFieldClosingLine = 6,
  kFieldAddressBottom = 7,
  kFieldAddressApart = 8,
  kFieldSamePage = 9,
};

constexpr const char* kYesNo = "\x01Yes,No";

struct SettingsWindow {
  FormSettings* settings = nullptr;
  BtrvHandle handle = 0;
  FormSettings edited{};
  int stored = -1;  // the store's status once F10 ran
};

void ToScreen(Form* form, const FormSettings& s) {
  for (int i = 0; i < records::MergeFormsRecord::kTextCount; ++i)
    FieldSetText(form, kFieldFirstText + i, qxb::FieldText(s.texts[i], sizeof s.texts[i]).c_str());
  FieldSetChoice(form, kFieldClosingLine, s.closingLine ? 1 : 2);
  FieldSetChoice(form, kFieldAddressBottom, s.addressBottom ? 1 : 2);
  FieldSetChoice(form, kFieldAddressApart, s.addressApart ? 1 : 2);
  FieldSetChoice(form, kFieldSamePage, s.lettersSamePage ? 1 : 2);
}

void StoreChange(void* image, void* context) {
  auto* r = static_cast<records::MergeFormsRecord*>(image);
  const FormSettings& s = *static_cast<const FormSettings*>(context);
  r->closingLine = s.closingLine ? 'Y' : 'N';
  r->addressBottom = s.addressBottom ? 'Y' : 'N';
  r->addressApart = s.addressApart ? 'Y' : 'N';
  r->lettersSamePage = s.lettersSamePage ? 'Y' : 'N';
  for (int i = 0; i < records::MergeFormsRecord::kTextCount; ++i) {
    std::memset(r->texts[i], 0, sizeof r->texts[i]);
    std::memcpy(r->texts[i], s.texts[i], strnlen(s.texts[i], sizeof r->texts[i] - 1));
  }
}

int SettingsStart(Form* form, int) {
  auto* w = static_cast<SettingsWindow*>(form->context);
  ToScreen(form, *w->settings);
  return 0;
}

int SettingsAccept(Form* form, KeyCode) {
  auto* w = static_cast<SettingsWindow*>(form->context);
  FormSettings s = *w->settings;
  for (int i = 0; i < records::MergeFormsRecord::kTextCount; ++i) {
    const std::string name = FieldText(form, kFieldFirstText + i);
    if (!TextNameValid(name.c_str())) {
      MsgShow(kMsgTextNameBad, 1);
      FieldSetFocus(form, kFieldFirstText + i);
      return 0x20;
    }
    CopyName(s.texts[i], name);
  }
  s.closingLine = FieldGetChoice(form, kFieldClosingLine) == 1 ? 1 : 0;
  s.addressBottom = FieldGetChoice(form, kFieldAddressBottom) == 1 ? 1 : 0;
  s.addressApart = FieldGetChoice(form, kFieldAddressApart) == 1 ? 1 : 0;
  s.lettersSamePage = FieldGetChoice(form, kFieldSamePage) == 1 ? 1 : 0;
  w->edited = s;
  w->stored = SettingsRecordRewrite(w->handle, kRecordKey, sizeof(records::MergeFormsRecord), StoreChange, &w->edited);
  if (w->stored != kStatusOk) return 0x20;
  *w->settings = s;
  return 1;
}

}  // namespace

int CustVendKeyStep830(int top, int left, FormSettings* settings, BtrvHandle settingsHandle) {
  if (settings == nullptr) return 1;
  SettingsWindow w;
  w.settings = settings;
  w.handle = settingsHandle;
  qxmerge::SmallForm form;
  form.number = kFormSettingsForm;
  form.top = top;
  form.left = left;
  form.reportId = "RSFormSettings";
  form.context = &w;
  form.start = SettingsStart;
  form.accept = SettingsAccept;
  form.patch = [](std::vector<TagFormField>& fields) {
    for (TagFormField& f : fields)
      if (f.number >= kFieldClosingLine && f.number <= kFieldSamePage) f.choices = kYesNo;
  };
  const int result = qxmerge::RunSmallForm(form);
  if (result == 27 && w.stored > 0) return w.stored;
  return result;
}
