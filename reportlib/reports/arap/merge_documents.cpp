// What the statements and the letters and labels share.
#include "reports/arap/merge_documents.h"

#include <cctype>
#include <cstring>

#include "address_lines.h"
#include "qxabase/messages.h"
#include "records/dictionary.h"
#include "report_frame.h"
#include "report_param_string.h"

namespace merge_documents {
namespace {

constexpr int kMsgNoMemory = 1;
constexpr int kMsgTextNotOpened = 827;


}  // namespace

int SetDestination(const char* output, TagRepInfo* info) {
  const std::string name = output ? output : "";
  if (StrIsBlank(name.c_str()) || IsHtmlOutput(name.c_str())) return SetReportDestination(output, info);
  // A text file: the report page of the preview's twin, as the printer gets it.
  if (SetReportDestination(static_cast<const char*>(nullptr), info) != 0) return 1;
  if (name.size() >= sizeof info->filePath) {
    ShowBadParameters("the output file name is too long.");
    return 1;
  }
  info->destinationGiven = 1;
  info->destination = kDestTextFile;
  info->fileKind = kDestTextFile;
  info->quiet = 1;
  std::memcpy(info->filePath, name.c_str(), name.size() + 1);
  return 0;
}

bool OpenText(const char* name, TextFileBlock* text, MergeRun* merge, const int* kinds) {
  if (TextFileOpen(-1, 512, 4096, name, text) != 0) {
    MsgShow(text->status == kTextStatusNoMemory ? kMsgNoMemory : kMsgTextNotOpened, 1);
    return false;
  }
  if (merge == nullptr) return true;
  if (!MergeBegin(merge, name)) {
    TextFileClose(text);
    MsgShow(kMsgNoMemory, 1);
    return false;
  }
  if (MergeSourcesOpenList(merge, 1, kinds) != 0) {
    MergeEnd(merge);
    TextFileClose(text);
    return false;
  }
  return true;
}

void CloseText(TextFileBlock* text, MergeRun* merge) {
  if (merge) MergeEnd(merge);
  if (text) TextFileClose(text);
}

void Preset(CustVendOutputParams* p, int menuId, char optionFlag, Window* window) {
  p->optionFlag = optionFlag;
  p->selectionMode = 'R';
  p->copies = 1;
  p->menuId = menuId;
  p->runDate = DateToday();
  p->window = window;
  p->stockEntryIndex = kLabelStockEntryIndex;
}

int OpenFiles(FileSet* files, CustVendOutputParams* p, bool customers) {
  const int accounts = customers ? records::kFileCustomers : records::kFileVendors;
  const int items = customers ? records::kFileReceivablesOpenInvoices : records::kFilePayablesOpenInvoices;
  const int status = FileSetOpen(files, accounts, items, records::kFileSettings, records::kFileSalespersons);
  if (status != kStatusOk) return status;
  p->custVendHandle = files->handle[0];
  p->openItemHandle = files->handle[1];
  p->settingsHandle = files->handle[2];
  p->fourthHandle = files->handle[3];
  p->custVendFileNo = static_cast<std::int16_t>(accounts);
  p->openItemFileNo = static_cast<std::int16_t>(items);
  return kStatusOk;
}

TextLine ParseLine(MergeRun* merge, const std::string& tpl) {
  TextLine line;
  line.text = tpl;
  line.blanked.assign(tpl.c_str());
  // The first pass finds every field, placed or not; its tokens are blanked
  // here as the fill blanks them.
  std::vector<char> scan(line.blanked.begin(), line.blanked.end());
  scan.push_back('\0');
  MergeField f;
  while (MergeFieldNext(merge, kMergeFirstPass, scan.data(), &f)) {
    line.blanked.replace(static_cast<std::size_t>(f.position), static_cast<std::size_t>(f.tokenLength),
                         static_cast<std::size_t>(f.tokenLength), ' ');
    line.fields.push_back(f);
    if (f.error) break;
  }
  return line;
}

void PrepareAccount(const CustVendOutputParams& p, bool closingLine, bool apart, bool bottom, MergeAccount* account) {
  account->record = p.recordArea.record;
  std::memset(account->closingLine, 0, sizeof account->closingLine);
  if (closingLine) FormatAddressLine(&account->record, account->closingLine);
  // Only a closing line that prints can take its line out of the block.
  const int takeOut = apart && closingLine ? 1 : 0;
  if (p.optionFlag == 'Y') {
    AddressFormatBegin(&account->record, takeOut);
    if (bottom) AddressFormatEnd(&account->record, takeOut);
  }
}

}  // namespace merge_documents
