// The options screen of the posting commands.
#include "posting/posting_frame.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "qxabase.h"
#include "qxabase/posting.h"
#include "ravadodo.h"

namespace posting {
namespace {

constexpr int kDateField = 1;
constexpr int kPeriodField = 2;
constexpr int kCommandBackupRestore = 602;
constexpr int kHelpTopic = 344;
// The delete-after-posting choice: entry 1 No, entry 2 Yes.
constexpr char kNoYes[] = "\x01No,Yes";

constexpr int kMsgOutOfMemory = 1;  // "... could not be kept in memory. The run is stopped."

// How long a posting waits for files that another program holds before it
// gives up on them: two postings started together (the general-ledger files
// are every posting's) take turns instead of one of them failing, while a
// program that keeps them (its options screen left open) is reported soon.
constexpr int kWaitForFilesMillis = 10000;

PostingFrame* FrameOf(Form* form) { return static_cast<PostingFrame*>(form->context); }

// Runs a callback of the screen so that no exception goes back into the
// form loop: memory running out stops what was under way, and the user is
// told so.  `failed` is the callback's result then.
template <class F>
int Guarded(int failed, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    CommandFinish();
    MsgShow(kMsgOutOfMemory, 1);
    return failed;
  }
}

void ShowPeriod(PostingFrame* f) {
  char text[16] = "";
  // A date in no period shows no number.
  if (f->period.period > 0) std::snprintf(text, sizeof text, "%d", static_cast<int>(f->period.period));
  FieldSetText(&f->form, kPeriodField, text);
}

int FormStart(Form* form, int) {
  return Guarded(0, [&]() -> int {
    PostingFrame* f = FrameOf(form);
    SharedAppBlock* app = SharedAppBlockGet();
    // A date carried across the Backup/Restore detour is used once.
    std::int32_t date = app->carriedPostDate;
    app->carriedPostDate = 0;
    if (date == 0) date = DateToday();
    char text[16];
    FiscalPeriodOfDate(kPeriodFillOnly, date, &f->period);
    const records::FiscalPeriodInfo& p = f->period;
    if (f->screen->startsOnPendingPeriod && p.pendingPeriod > 0 && p.pendingDate != 0 &&
        p.pendingPeriod != p.period) {
      date = p.pendingDate;
      FiscalPeriodOfDate(kPeriodFillOnly, date, &f->period);
    }
    FieldSetText(form, kDateField, DateToText(text, date));
    ShowPeriod(f);
    FieldSetChoice(form, f->screen->deleteField, PostLedgerOption(f->screen->ledger) ? 2 : 1);
    FormRedraw(form);
    return 0;
  });
}

int DateExit(Form* form, int) {
  return Guarded(0x20, [&]() -> int {
    PostingFrame* f = FrameOf(form);
    std::int32_t date = 0;
    if (!f->date.Take(form, kDateField, nullptr, &f->period, &date)) return 0x20;
    ShowPeriod(f);
    FormRedraw(form);
    return 0;
  });
}

// F9: Backup/Restore first.  The main loop runs 602 and then this command
// again, whose screen starts from the date carried here.
int BackupKey(Form* form, KeyCode) {
  return Guarded(0, [&]() -> int {
    PostingFrame* f = FrameOf(form);
    FileSetClose(&f->files);
    SharedAppBlock* app = SharedAppBlockGet();
    CommandAccess(0, app->currentCommand);
    app->nextCommand = app->currentCommand;
    app->currentCommand = kCommandBackupRestore;
    char text[32] = "";
    FieldGetText(form, kDateField, text, sizeof text);
    app->carriedPostDate = DateFromText(text);
    return 1;
  });
}

int RunKey(Form* form, KeyCode) {
  return Guarded(1, [&]() -> int {
    PostingFrame* f = FrameOf(form);
    return f->screen->run(f);
  });
}

}  // namespace

int RunPostingScreen(const PostingScreen& screen, void* unit) {
  const int openMode = SysFlagGet(kSysFlagSharedPosting) ? kFileModeShared : kFileModeExclusive;
  FormDef def;
  if (FormDefLoad(&def, screen.formNumber) != 0) return 0;
  std::vector<TagFormField> fields = def.fields;
  for (TagFormField& field : fields) {
    if (field.number == kDateField) field.exitCallback = DateExit;
    if (field.number == screen.deleteField) field.choices = kNoYes;
  }
  std::vector<int> files;
  for (const int* id = screen.files; *id != 0; ++id)
    files.push_back((*id & kPostingMode) ? (*id & ~kPostingMode) | openMode : *id);
  files.push_back(0);

  PostingFrame frame;
  frame.screen = &screen;
  frame.unit = unit;
  FormBegin(&frame.form);
  if (FileSetOpenListWaiting(&frame.files, files.data(), kWaitForFilesMillis) != 0) {
    FormEnd(&frame.form);
    return 0;
  }
  if (!FormFieldsCreate(&frame.form, fields.data(), 1)) {
    FileSetClose(&frame.files);
    FormEnd(&frame.form);
    return 0;
  }
  char title[81];
  GetCaption(title, kCaptionWindow);
  if (WinOpen(&frame.window, 5, 12, 17, 66, 1, 1, 32, title) != 0) {
    FormEnd(&frame.form);
    FileSetClose(&frame.files);
    return 0;
  }
  std::snprintf(frame.form.reportId, sizeof frame.form.reportId, "%s", screen.reportId);
  FormDefUse(&frame.form, &def);
  FieldSetProtect(&frame.form, kPeriodField, 1);
  frame.form.context = &frame;
  FormSetup(&frame.form, 0, kHelpTopic);
  FormOnKey(&frame.form, kKeyF9, BackupKey, "How to back up");
  FormOnKey(&frame.form, kKeyF10, RunKey, "Post");
  frame.form.startHook = FormStart;
  frame.form.defaultHandler = FormDefaultHandler;
  FormAttachWindow(&frame.window, &frame.form, 1);
  if (screen.prepare == nullptr || screen.prepare(&frame) == 0) FormRun(&frame.form, 0);
  WinClose(&frame.window, 1);
  FormEnd(&frame.form);
  // F9 closed the set already; closing it again does nothing.
  FileSetClose(&frame.files);
  return 0;
}

std::int32_t PostingDateChecked(PostingFrame* frame) {
  std::int32_t date = 0;
  if (!frame->date.Take(&frame->form, kDateField, nullptr, &frame->period, &date)) return 0;
  ShowPeriod(frame);
  return date;
}

}  // namespace posting
