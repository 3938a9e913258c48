// The journals' shared printing pieces.
#include "journals/journal_print.h"

#include <cstdio>
#include <vector>

#include "journals/journal_frame.h"
#include "qxabase/posting.h"

namespace journals {

void ShowAllColumns(TagReportColumn* row) {
  for (; row->kind != kColumnEnd; ++row) row->hidden = 0;
}

std::string Filled(const char* format, const char* value) {
  char text[160];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

double RoundCents(double amount) { return NumRound(amount, 2); }

int ReadGLAccount(BtrvHandle accounts, const std::string& code, records::GLAccount* account) {
  char key[255] = {};
  std::memcpy(key, code.data(), std::min<std::size_t>(code.size(), sizeof account->code));
  return BtrvGetOp(kOpGetEqual, accounts, key, account, sizeof *account);
}

void WriteJournalPageHeading(TagRepInfo* report, const JournalContext* context, const char* title,
                             const TagReportColumn* row1, const TagReportColumn* row2) {
  WriteJournalPageHeading(report, title, row1, row2,
                          [context](TagRepInfo* r) { PrintJournalSelectionHeader(context, r); });
}

JournalCommentRows::JournalCommentRows()
    : heading{Column(kColumnText, "%-23s", 1, "Transaction Comments: "),
              Column(kColumnText, "%-20s", 24),  // the transaction
              {}},
      row{Column(kColumnText, "%-132.132s", 1), {}} {
  heading[1].value = title;
  row[0].value = line;
}

JournalStart StartJournalRun(JournalRunResources* resources, int textBlock, std::initializer_list<int> fileNumbers,
                             int commandId, void* header, const char* reportId) {
  if (ScreenTextLoad(textBlock, resources->texts, resources->textCount) != 0) return JournalStart::kNoTexts;
  resources->textsLoaded = true;
  FormBegin(resources->form);
  resources->formBegun = true;
  std::vector<int> list(fileNumbers);
  list.push_back(0);
  if (FileSetOpenList(resources->files, list.data()) != 0) return JournalStart::kNoFiles;
  if (BuildJournalContext(resources->context, header, commandId, resources->files->handle[0]) != 0)
    return JournalStart::kNoContext;
  if (ShowJournalForm(resources->context, resources->form, reportId) == 27) return JournalStart::kLeft;
  return JournalStart::kAccepted;
}

JournalRunResources::~JournalRunResources() {
  CloseJournalFiles(context);
  if (textsLoaded) ScreenTextFree(texts);
  FileSetClose(files);
  if (formBegun) FormEnd(form);
  CommandFinish();
}

}  // namespace journals
