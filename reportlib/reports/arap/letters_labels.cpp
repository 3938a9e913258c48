// Customer and vendor mailing labels (commands 339, 346) and form letters
// (341, 349): for each chosen customer or vendor, the company's label or
// letter text merged with the account's record, as many copies as asked.
//
// Labels go on the chosen stock's places: across a row, then row by row
// down the page (qxabase/letters.h); a label text shorter than the label is
// padded, a line whose record field is empty is left out.  A letter's lines
// close up around their fields, so that a value takes just its own room;
// the blanks inside a value stay as they are.  A line whose record field is
// empty prints as text without it.  Each copy of a letter starts a new page
// unless the form settings say the copies follow one another.
//
// The texts, their fields and the template language: qxabase/text_merge.h.
#include "reports/arap/letters_labels.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cv_output.h"
#include "qxabase/commands.h"
#include "qxabase/letters.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/text_merge.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "report_frame.h"
#include "reports/arap/merge_documents.h"

namespace {

constexpr int kLayoutRefused = 32;
constexpr int kRecordHide = 9;
constexpr int kLineSize = 512;
constexpr unsigned char kHardBlank = 0xB7;
constexpr const int kLetterKinds[] = {kMergeRecord, kMergeComputed, -1};

// A field of a line with its value.
struct PlacedValue {
  int position = 0;
  int tokenLength = 0;
  std::string value;
};

// A line merged: its fields' values and whether it can be written.
struct LetterLine {
  std::vector<PlacedValue> values;
  bool missing = false;    // a record field had no value
  bool failed = false;     // a field that cannot be merged
  bool suppressed = false; // {HIDE}
};

class LettersLabelsRun {
 public:
  explicit LettersLabelsRun(int menuId) : menuId_(menuId) {}
  LettersLabelsRun(const LettersLabelsRun&) = delete;
  LettersLabelsRun& operator=(const LettersLabelsRun&) = delete;

  int Run(const char* output);

 private:
  bool Labels() const { return menuId_ == kMenuCustomerLabels || menuId_ == kMenuVendorLabels; }
  bool Customers() const { return menuId_ == kMenuCustomerLabels || menuId_ == kMenuCustomerLetters; }
  LabelStockEntry& Stock() { return params_.stockEntries[params_.stockEntryIndex]; }
  bool Prepare();
  int Print(const char* output);
  LetterLine MergeFields(const std::string& tpl, int lineNumber);
  int OneLabel();
  void LabelLine(const std::string& tpl, int lineNumber, int* labelLine);
  int OneLetterCopy();
  void LetterLineOut(const std::string& tpl, int lineNumber);

  const int menuId_;
  CustVendOutputParams params_{};

  // Released in the reverse order: the report, the text, the selection,
  // the files, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  CustVendSelectionGuard selectionGuard_{&params_};
  TextFileBlock text_;
  MergeRun merge_;
  struct TextGuard {
    LettersLabelsRun* run;
    ~TextGuard() {
      merge_documents::CloseText(&run->text_, &run->merge_);
      LettersRunEnd();
    }
  } textGuard_{this};
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  MergeAccount account_;
  bool stopped_ = false;
  // A line of the text could not be merged: the user was told, and the
  // letters or labels went out without it, so the command is not done.
  bool unmerged_ = false;
};

int LettersLabelsRun::Run(const char* output) {
  if (!Prepare()) return 0;
  return Print(output);
}

bool LettersLabelsRun::Prepare() {
  LettersKindSet(kLettersKindLetters);
  TextFileInit();
  merge_documents::Preset(&params_, menuId_, 'Y', &window_);
  if (merge_documents::OpenFiles(&files_, &params_, Customers()) != kStatusOk) return false;
  if (LettersLayoutStep(params_.settingsHandle, &params_.layoutBlock) == 1) return false;
  if (Labels()) {
    params_.stockChoices = params_.layoutBlock.choices;
    CustVendOptionsStep(&Stock(), 0, &params_.layoutBlock);
  }
  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", Labels() ? "RSCVLabels" : "RSCVLetters");
  const char* title = Labels() ? (Customers() ? " Customer Labels " : " Vendor Labels ")
                               : (Customers() ? " Customer Letters " : " Vendor Letters ");
  if (WinOpen(&window_, 2, 5, Labels() ? 17 : 15, 75, 1, 1, ' ', title) != 0) return false;
  CustVendSelectInit(&params_.recordArea.block, params_.runDate, 30, 3);
  if (CustVendOutputOptions(&params_) != 0) return false;
  const int kind = Labels() ? kTextLabels : Customers() ? kTextCustomerLetter : kTextVendorLetter;
  char name[33] = {};
  StatementOptionText(kind, name, &params_.formSettings);
  return merge_documents::OpenText(name, &text_, &merge_, kLetterKinds);
}

int LettersLabelsRun::Print(const char* output) {
  if (merge_documents::SetDestination(output, &info_) != 0) return 0;
  if (Labels()) {
    if (!LettersLayoutTest(&Stock())) return kLayoutRefused;
    const std::string title = std::string(Customers() ? "Customer Labels " : "Vendor Labels ") +
                              params_.layoutBlock.titles[static_cast<int>(Stock().stock)];
    LabelAdd(&info_, title.c_str(), &Stock());
  } else {
    info_.reportPage = 0;
    info_.linesPerInch = kLinesPerInch;
    info_.pageLength = kLabelPageLines;
    // A letter longer than a page goes on to the next.
    info_.autoPageBreak = 1;
    info_.font.number = kFontForm;
    std::snprintf(info_.title, sizeof info_.title, "%s", Customers() ? "Customer Letter" : "Vendor Letter");
  }
  if (!ReportOpen(&info_, nullptr)) return 0;
  HideSelectionWindow(&window_);
  LettersPrepare613();
  if (Labels()) {
    Stock().position = 1;
    Stock().row = 1;
    ReportSkipLines(&info_, Stock().top - 1);
  }
  merge_.account = &account_;
  const FormSettings& s = params_.formSettings;
  int status = kStatusOk;
  while (status == kStatusOk && !stopped_) {
    merge_documents::PrepareAccount(params_, s.closingLine != 0, s.addressApart != 0, s.addressBottom != 0, &account_);
    if (Labels()) {
      for (int copy = 0; copy < std::max(1, static_cast<int>(params_.copies)) && !stopped_; ++copy)
        if (OneLabel() == 27) stopped_ = true;
      LabelRowFlush(&info_, &Stock());
    } else {
      for (int copy = 0; copy < std::max(1, static_cast<int>(params_.copies)) && !stopped_; ++copy)
        if (OneLetterCopy() == 27) stopped_ = true;
    }
    if (!stopped_) status = ReadSelectedCustVend(kOpGetNext, &params_);
  }
  if (Labels()) LabelRowFlush(&info_, &Stock());
  if (status != kStatusOk && status != kStatusEndOfFile) EndIncompleteReport(&info_);
  else if (unmerged_) CommandNotDone();
  else if (!stopped_) CommandDone();
  reportGuard_.Close();
  return 0;
}

// The values of a line's fields, in their order.
LetterLine LettersLabelsRun::MergeFields(const std::string& tpl, int lineNumber) {
  LetterLine out;
  out.failed = !merge_documents::ForEachField(&merge_, tpl, lineNumber, nullptr, [&](const MergeField& f, char* value) {
    if (f.kind == kMergeRecord) {
      if (f.id == kRecordHide) out.suppressed = true;
      if (!MergeFieldFromRecord(&merge_, value, f.length, &f)) out.missing = true;
    } else if (f.kind == kMergeComputed) {
      MergeFieldCompute(value, f.length, &account_, &params_.recordArea.block, &f);
    }
    out.values.push_back({f.position, f.tokenLength, value});
  });
  unmerged_ = unmerged_ || out.failed;
  return out;
}

// --- Labels --------------------------------------------------------------------------------

int LettersLabelsRun::OneLabel() {
  TextFileRewind(&text_);
  info_.mergeRow = 1;
  const LabelStockEntry& stock = Stock();
  int labelLine = 1, result = 0, lineNumber = 0;
  bool textEnded = false;
  while (labelLine <= stock.lines) {
    int key = 0;
    if (CheckUserBreak(&key)) {
      result = 27;
      break;
    }
    char line[kLineSize] = {};
    if (!textEnded) {
      const int status = TextFileRead(&text_, line);
      if (status == kTextStatusEnd) textEnded = true;
      else if (status != 0) {
        result = 27;
        break;
      }
      else ++lineNumber;
    }
    // The end of the text, and an empty line, pad the label with a blank line.
    if (textEnded || line[0] == '\0') std::snprintf(line, sizeof line, " ");
    if (!TextIsBlank(line)) {
      LabelLine(line, lineNumber, &labelLine);
      continue;
    }
    params_.formSettings.labelLineWritten = 1;
    MergeRowWrite(&info_, line, LetterLineStart(&stock), (stock.row - 1) * stock.height + labelLine, &stock);
    ++labelLine;
  }
  Stock().position = Stock().position + 1;
  if (Stock().position > Stock().across) LayoutRowWrap(&info_, &Stock());
  if (result == 27) ReportNewPage(&info_);
  return result;
}

// A label line with its fields: the values in the columns of their fields;
// a line whose record field is empty, or that cannot be merged, is left out.
void LettersLabelsRun::LabelLine(const std::string& tpl, int lineNumber, int* labelLine) {
  const LetterLine m = MergeFields(tpl, lineNumber);
  if (m.failed || m.missing || m.suppressed) return;
  std::string line = tpl;
  for (const PlacedValue& v : m.values) std::fill_n(line.begin() + v.position, v.tokenLength, ' ');
  for (const PlacedValue& v : m.values) {
    if (line.size() < v.position + v.value.size()) line.resize(v.position + v.value.size(), ' ');
    line.replace(static_cast<std::size_t>(v.position), v.value.size(), v.value);
  }
  if (line.size() >= kLineSize) line.resize(kLineSize - 1);
  LetterBodyStep(&info_, line.c_str(), *labelLine, &Stock());
  ++*labelLine;
}

// --- Letters ------------------------------------------------------------------------------

int LettersLabelsRun::OneLetterCopy() {
  TextFileRewind(&text_);
  info_.mergeRow = 1;
  int lineNumber = 0;
  for (;;) {
    int key = 0;
    if (CheckUserBreak(&key)) break;
    char line[kLineSize] = {};
    const int status = TextFileRead(&text_, line);
    if (status == kTextStatusEnd) {
      if (!params_.formSettings.lettersSamePage) ReportNewPage(&info_);
      info_.mergeRow = 1;
      return 0;
    }
    if (status != 0) break;
    ++lineNumber;
    if (line[0] == '\0') {
      ReportSkipLines(&info_, 1);
      continue;
    }
    LetterLineOut(line, lineNumber);
  }
  ReportNewPage(&info_);
  return 27;
}

// A letter line closes up around its fields: each token gives way to its
// value, whose blanks are hard blanks (printed as blanks).
void LettersLabelsRun::LetterLineOut(const std::string& tpl, int lineNumber) {
  const LetterLine m = MergeFields(tpl, lineNumber);
  if (m.failed || m.suppressed) return;
  std::string line;
  std::size_t at = 0;
  for (const PlacedValue& v : m.values) {
    line += tpl.substr(at, static_cast<std::size_t>(v.position) - at);
    std::vector<char> value(v.value.begin(), v.value.end());
    value.push_back('\0');
    MergeHardBlanks(value.data());
    line += value.data();
    at = static_cast<std::size_t>(v.position + v.tokenLength);
  }
  line += tpl.substr(std::min(at, tpl.size()));
  if (line.size() >= kLineSize) line.resize(kLineSize - 1);
  if (!m.missing) {
    MergeRecordWrite(&info_, line.c_str());
    return;
  }
  // A line without one of its values prints as text, when anything is left.
  for (char& c : line)
    if (static_cast<unsigned char>(c) == kHardBlank) c = ' ';
  if (!TextIsBlank(line.c_str())) ReportWriteText(&info_, line.c_str(), 0, 1);
}

}  // namespace

int RunCustVendLettersLabelsTo(int commandId, const char* output) {
  return merge_documents::RunDocument<LettersLabelsRun>(commandId, output);
}

int RunCustVendLettersLabels(int commandId, int) { return RunCustVendLettersLabelsTo(commandId, nullptr); }
