// The printing pieces the journals share: the builders of their column
// tables, the helpers that turn stored fields into printable text, the page
// heading of a journal page, a transaction's comments between two rules, and
// what a journal run of the frame holds, how it starts and how its
// resources are released.
//
// Everything here writes through the base library's report writer on the
// caller's open report; nothing throws.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "btrvc.h"
#include "journals/journal_frame.h"
#include "qxabase/files.h"
#include "qxabase/report.h"
#include "qxabase/tran_comments.h"
#include "ravadodo.h"
#include "records/masters.h"
#include "report_frame.h"

namespace journals {

// ---- Column tables ----------------------------------------------------------------------

// A column of a report row: its kind, its format (at most 19 characters
// kept), its x, its value (a caption for a heading) and its alignment.
constexpr TagReportColumn Column(ReportColumnKind kind, const char* format, std::uint16_t x,
                                 const char* caption = nullptr, std::int32_t align = kAlignAsFormatted) {
  TagReportColumn c{};
  c.kind = kind;
  for (int i = 0; format[i] != '\0' && i < 19; ++i) c.format[i] = format[i];
  c.x = x;
  c.value = caption;
  c.align = align;
  return c;
}
// A heading caption, left-aligned.
constexpr TagReportColumn Heading(const char* caption, const char* format, std::uint16_t x) {
  return Column(kColumnText, format, x, caption, kAlignLeft);
}
// The heading of an amount column: it stands over the right of its field.
constexpr TagReportColumn AmountHeading(const char* caption, const char* format, std::uint16_t x) {
  return Column(kColumnText, format, x, caption, kAlignRight);
}
// An amount, right-aligned.
constexpr TagReportColumn Amount(const char* format, std::uint16_t x) {
  return Column(kColumnAmount, format, x, nullptr, kAlignRight);
}

// Shows every column of a row up to its end entry.
void ShowAllColumns(TagReportColumn* row);

// ---- Text of stored fields ----------------------------------------------------------------

// A stored field as a NUL-ended text of at most `n` of its characters (and
// at most what `out` holds).
template <std::size_t N, std::size_t M>
void CopyField(char (&out)[N], const char (&field)[M], std::size_t n = M) {
  const std::size_t length = std::min({strnlen(field, M), n, N - 1});
  std::memcpy(out, field, length);
  out[length] = '\0';
}

// A text without its leading blanks and its trailing blanks and NULs.
inline std::string Trim(std::string_view text) { return TrimText(text); }

// A stored field, trimmed (its characters up to the first NUL).
template <std::size_t N>
std::string Trim(const char (&field)[N]) {
  return TrimField(field);
}

// `format` (one "%s") filled with `value`, cut at 159 characters.
std::string Filled(const char* format, const char* value);

// An amount rounded to the cent, as the journals add money.
double RoundCents(double amount);

// Reads G/L account `code` (trimmed; cut to the code's width) with get-equal
// on key 0 of the open account file `accounts` into *account.  Returns the
// record-manager status; no message is shown.
int ReadGLAccount(BtrvHandle accounts, const std::string& code, records::GLAccount* account);

// ---- Pages ---------------------------------------------------------------------------------

// Writes a journal page heading on a new page: the title centred (title
// font), the selection lines `selection(report)` writes, then the two
// heading rows (column-heading font) with a rule of '-' under the second.
// The font in use before is put back.  When the report keeps columns (an
// HTML file) the second row is the column layout and the heading ends after
// the rule.
template <class Selection>
void WriteJournalPageHeading(TagRepInfo* report, const char* title, const TagReportColumn* row1,
                             const TagReportColumn* row2, Selection selection) {
  const TagRepFont kept = report->font;
  if (ReportColumnsActive(report)) ReportSetColumnLayout(report, row2, 2);
  ReportPageStart(report, 0, 1);
  ReportBlockBegin(report, kFontTitle);
  ReportWriteText(report, title, -4, 1);
  ReportBlockEnd(report);
  selection(report);
  ReportBlockBegin(report, kFontColumnHeading);
  ReportWriteColumns(report, row1, 1);
  ReportWriteColumns(report, row2, 1);
  ReportWriteRule(report, row2, 1, '-');
  ReportBlockEnd(report);
  ReportSetFont(report, &kept);
  if (ReportColumnsActive(report)) ReportSetHeadingEnd(report, report->lineCount + 1);
}

// The same with the "Select:" lines of a journal of the frame (two lines in
// either mode).
void WriteJournalPageHeading(TagRepInfo* report, const JournalContext* context, const char* title,
                             const TagReportColumn* row1, const TagReportColumn* row2);

// ---- Comments --------------------------------------------------------------------------------

// A rule over the page's width, drawn above and below a transaction's comments.
inline constexpr TagReportColumn kCommentRule[] = {Column(kColumnText, "%-132s", 1, ""), {}};

// The rows of a transaction's comments, bound to their own values: the
// heading ("Transaction Comments: " and the transaction) and one row a
// comment line.  Not copyable: the rows point into it.
struct JournalCommentRows {
  JournalCommentRows();
  JournalCommentRows(const JournalCommentRows&) = delete;
  JournalCommentRows& operator=(const JournalCommentRows&) = delete;

  TagReportColumn heading[3];
  TagReportColumn row[2];
  char title[32] = {};
  char line[256] = {};
};

// Writes the comments `comments` names (NoteExist true) between two rules:
// the heading row with `title`, then each comment line, `afterLine()`
// called after each (the caller's page check).  A file that cannot be
// opened prints "Cannot open comment file" in place of the lines.
template <class AfterLine>
void PrintJournalComments(TagRepInfo* report, CBaseTranComments* comments, JournalCommentRows* rows,
                          const std::string& title, AfterLine afterLine) {
  ReportWriteRule(report, kCommentRule, 1, '-');
  if (comments->NoteOpen()) {
    std::snprintf(rows->title, sizeof rows->title, "%s", title.c_str());
    ReportWriteColumns(report, rows->heading, 2);
    for (bool more = comments->NoteReadFirst(); more; more = comments->NoteReadNext()) {
      std::snprintf(rows->line, sizeof rows->line, "%s", comments->NoteLine());
      ReportWriteColumns(report, rows->row, 1);
      afterLine();
    }
    comments->NoteClose();
  } else {
    ReportWriteText(report, "Cannot open comment file", 10, 1);
  }
  ReportWriteRule(report, kCommentRule, 1, '-');
}

// ---- Resources ---------------------------------------------------------------------------------

// What every journal run of the frame holds besides its own rows and
// records: its `TextCount` screen texts, its files (the header file first),
// its selection form, the frame's context and the report it writes.  A
// journal's run derives from it and adds its header record and its rows.
template <int TextCount>
struct FrameJournalRun {
  const char* texts[TextCount] = {};
  FileSet files;
  Form form{};
  JournalContext context;
  TagRepInfo report{};

  // Screen text `n`, or "" when the block has none.
  const char* Text(int n) const { return texts[n] ? texts[n] : ""; }
  bool Listing() const { return context.Listing(); }
};

// Releases what a journal run of the frame holds, on every way out, in the
// order the journal took it: the frame's files and window, the screen texts
// (when loaded), the journal's files, the form (when begun); then the
// command is finished.
struct JournalRunResources {
  template <int TextCount>
  explicit JournalRunResources(FrameJournalRun<TextCount>& run)
      : context(&run.context), texts(run.texts), textCount(TextCount), files(&run.files), form(&run.form) {}
  JournalRunResources(const JournalRunResources&) = delete;
  JournalRunResources& operator=(const JournalRunResources&) = delete;
  ~JournalRunResources();

  JournalContext* context;
  const char** texts;
  int textCount;
  FileSet* files;
  Form* form;
  bool textsLoaded = false;
  bool formBegun = false;
};

// How the start of a journal run of the frame ended.
enum class JournalStart {
  kAccepted,   // the selection window was accepted with F10: the journal prints
  kLeft,       // the window was left with Esc (or could not be built)
  kNoTexts,    // the screen texts could not be loaded
  kNoFiles,    // a file could not be opened (the error box named it)
  kNoContext,  // the frame's context could not be built (the cause was shown)
};

// Starts the run `resources` holds, in the order the frame needs: loads the
// screen texts of block `textBlock`, begins the form, opens `fileNumbers`
// (the journal's header file first) into the run's files, builds the
// context of journal `commandId` over the header record buffer `header`, and
// runs the selection window with the journal's `reportId`.  Stops at the
// first step that fails; what was taken is marked in `resources`, which
// releases it on every way out.
JournalStart StartJournalRun(JournalRunResources* resources, int textBlock, std::initializer_list<int> fileNumbers,
                             int commandId, void* header, const char* reportId);

}  // namespace journals
