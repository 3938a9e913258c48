// The report run frame: the pieces every report entry of the library runs
// its report through, around the base library's report writer.
//
// A report run, in order:
//   1. the entry sets its parameter record's defaults and parses a preset
//      (ParsePreset: strictly, saved runs alone leniently; a string that
//      cannot be read is refused with a message naming the fault, and the
//      report does not run);
//   2. it opens its files as one set (FileSet closes itself), runs its
//      selection screen when the input asks for one (IsScreenOutput);
//   3. SetReportDestination, ReportOpen (ReportRunGuard closes the run on
//      every way out: end, Esc, user break, record-manager error);
//   4. OfferSavedRun writes the saved run at the top, so the preview and
//      the HTML file can run the report again;
//   5. WritePageHeading before the first line and after each new page;
//      ReportPageFull before each line;
//   6. ReportCheckUserBreak once per record (27 ends the run);
//   7. message 197 when nothing was selected or printed; CommandDone once
//      the report's last line is written (a run that says neither did not
//      do its work);
//   8. links on rows: ClearLinks, then LinkColumns, while the run takes
//      links (TagRepInfo::links).
// Everything the entry owns is released by destructors, so every way out
// releases it: the report first, then a temporary index, the files and the
// window (declare the guards in the reverse order).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "qxabase/report.h"
#include "ravadodo/text.h"
#include "report_param_string.h"

struct Window;
struct CustVendReportParams;

// Report writer codes of ReportWriteText's x.
inline constexpr int kReportCentred = -4;

inline constexpr int kMsgNothingSelected = 197;
// "The report's parameters cannot be used: %1" (the report is not run).
inline constexpr int kMsgBadParameters = 2001;

// --- Destination ------------------------------------------------------------------

// The file an "output" text names, as a run writes it: a relative name is
// taken in the folder the user started the program in (StartFolderGet, when
// the program keeps one) and may not leave it ("../x.htm", "a/../../x.htm");
// an absolute name is the user's own choice.  False, with `why` (English, a
// phrase for message 2001), for a name that leaves the folder, holds a
// control character or is longer than the run's file path holds.
bool ResolveReportOutput(const char* output, std::string* path, std::string* why);

// Fills the destination of a run from an "output" text: the whole record
// zeroed; the report page on, the progress shown; a blank output the
// preview; a text naming an HTML file (IsHtmlOutput) that file
// (ResolveReportOutput), with links; any other text the preview.  False,
// with `why` and nothing shown, when the file cannot be used, or when a text
// that names neither an HTML file nor the screen would show the preview with
// no terminal to show it (why then says which names are written).
bool FillReportDestination(const char* output, TagRepInfo* info, std::string* why);

// FillReportDestination.  Returns 0; 1 after message 2001 when the file
// cannot be used (the report then does not run).
int SetReportDestination(const char* output, TagRepInfo* info);
// The customer/vendor reports' twin, from params->output.
int SetReportDestination(const CustVendReportParams* params, TagRepInfo* info);

// --- Presets -----------------------------------------------------------------------

// The "input" value of a parameter string (lower-cased; "" when it has none
// or cannot be read).
std::string ParamStringInput(const char* text);

// True when a parameter string is a saved run ("input" is "usersel"): its
// "output" is not the user's choice and is ignored.
bool IsSavedRunInput(const char* input);

// Parses a preset into `record` with the report's parameter class.  A key
// the report does not know is refused like any other fault (a misspelt key
// of a scheduled job's "default" run must not widen what the report
// selects), except in a saved run ("usersel"): the run a report printed at
// its top, which may come from a report written by an earlier version of the
// program, skips a key this one no longer has.  On a failure shows message
// 2001 with the reason (naming the key) and returns false; pairs before the
// fault are stored (the caller does not run the report).  A null or blank
// text is true and changes nothing.
template <class Record>
bool ParsePreset(CParamStringFor<Record>* parser, const char* text, Record* record);

// Applies the preset `text` to `record` when it is not null or blank
// (ParsePreset); a saved run's output is then cleared, since what a saved
// run carries there is not the user's choice of a file to write, and any
// other output must name a file the run may write (ResolveReportOutput), so
// that a bad one is refused before anything is read, whatever the run
// finds.  False when the preset was refused (message 2001 shown; the report
// does not run).  `Record` has the NUL-ended texts `input` and `output`.
template <class Record>
bool ApplyReportPreset(CParamStringFor<Record>* parser, const char* text, Record* record);

// Shows message 2001 with `reason` (code page 437); the command did not do
// its work (CommandNotDone).
void ShowBadParameters(const std::string& reason);

// Shows message `number` (205 a range from after its to, 13 a date that is
// not one) for a run that ends on it: the command did not do its work
// (CommandNotDone).  A screen that lets the user correct the field shows the
// message itself and goes on.
void RefuseReportRun(int number);

// --- Release on every way out ---------------------------------------------------

// Closes the run (ReportClose) when it is still open.
class ReportRunGuard {
 public:
  explicit ReportRunGuard(TagRepInfo* info) : info_(info) {}
  ~ReportRunGuard() { Close(); }
  ReportRunGuard(const ReportRunGuard&) = delete;
  ReportRunGuard& operator=(const ReportRunGuard&) = delete;
  // Closes now; returns ReportClose's result (0 when nothing was open).
  int Close();
  // Drops the run when it is closed: nothing worth keeping was written (no
  // preview is shown, no file is left).
  void Discard();

 private:
  TagRepInfo* info_;
};

// Closes a window opened by the entry when it is still open.
class WindowGuard {
 public:
  explicit WindowGuard(Window* window) : window_(window) {}
  ~WindowGuard();
  WindowGuard(const WindowGuard&) = delete;
  WindowGuard& operator=(const WindowGuard&) = delete;

 private:
  Window* window_;
};

// Runs `f` when it goes out of scope (a temporary index to drop).
template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ~ScopeExit() { f_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  F f_;
};

// --- Rows ------------------------------------------------------------------------------

// A column of a row layout: its kind, its format (cut to what the column
// holds), its x, the value it points at (a heading's caption), its
// alignment and its width (0: the format's).
TagReportColumn MakeColumn(ReportColumnKind kind, const char* format, int x, const void* value,
                           std::int32_t align = kAlignAsFormatted, std::int32_t width = 0);

// A heading row: the `count` captions at the print columns `x`, each in a
// field of `width` characters, left-aligned, or right-aligned for a column
// whose bit is set in `rightAligned` (bit i: column i), ended by the closing
// entry.  The captions must outlive the row.
std::vector<TagReportColumn> HeadingRow(const char* const* captions, const int* x, const int* width, int count,
                                        std::uint32_t rightAligned = 0);

// --- Text of stored fields ---------------------------------------------------------------

// `text` without its leading blanks and its trailing blanks and NULs.
std::string TrimText(std::string_view text);

// A stored field's characters up to its first NUL, trimmed as TrimText.
template <std::size_t N>
std::string TrimField(const char (&field)[N]) {
  return TrimText(std::string_view(field, strnlen(field, N)));
}

// --- Values a row points at -----------------------------------------------------------

// Writes `text` into a row's value buffer, cut to the N - 1 characters it
// holds.
template <std::size_t N>
void SetRowText(char (&out)[N], std::string_view text) {
  std::snprintf(out, N, "%.*s", static_cast<int>(text.size()), text.data());
}

// An amount in whole cents, rounded to two decimals as the system rounds
// money: totals kept in cents foot to the amounts printed.  0 for an amount
// that is not sound (records/amounts.h), which a record read through
// RecordRead (tables.h) never carries.
std::int64_t AmountCents(double amount);

// --- Saved run ----------------------------------------------------------------------

// When the destination keeps a saved run (ReportTestMode 4): fills a saved
// run of `commandId` with `write` (a callable taking CReportParamString*
// and answering whether the whole selection was written) and hands it to
// the writer; a selection that did not fit is not offered.  Then hides the
// selection window when one is shown (null: none).
template <class Record>
bool ApplyReportPreset(CParamStringFor<Record>* parser, const char* text, Record* record) {
  if (text == nullptr || StrIsBlank(text)) return true;
  if (!ParsePreset(parser, text, record)) return false;
  if (IsSavedRunInput(record->input)) record->output[0] = '\0';
  std::string path, why;
  if (IsHtmlOutput(record->output) && !ResolveReportOutput(record->output, &path, &why)) {
    ShowBadParameters(why);
    return false;
  }
  return true;
}

//
// `describe` (a callable answering std::string) gives the selection in words
// (SelectionWords), which the report shows in place of the string.
template <class Write, class Describe>
void OfferSavedRun(TagRepInfo* info, int commandId, Window* selectionWindow, Write write, Describe describe);

// Hides the selection window while the report runs (null: nothing).
void HideSelectionWindow(Window* window);

// --- Pages ---------------------------------------------------------------------------

// True when `lines` more lines would reach the page length: the report then
// starts a new page and writes its heading first.
bool ReportPageFull(const TagRepInfo* info, int lines);

// Writes the selection lines of a page heading, "Sorted by: " and the sort
// field's caption, then "Ranked by: " and the rank field's, at x
// (kReportCentred: centred) in the font in use.
void WriteSortRankLines(TagRepInfo* info, const char* sortCaption, const char* rankCaption, int x);

// Writes a page heading: a new page is started, the heading block (font 9;
// `heading` writes its lines) and, beside it, the title block (font 8;
// `title` writes its lines), the line count then moved past the taller of
// the two and one more line; then the column headings (font 13) of
// `columnHeadings` with a rule of '-' under them (null: none).  The font in
// use before is put back.
template <class Heading, class Title>
void WritePageHeading(TagRepInfo* info, Heading heading, Title title, const TagReportColumn* columnHeadings);

// --- Ending ----------------------------------------------------------------------------

// Ends a run whose company files could not be read to the end: a line says
// the report is incomplete, so that what was printed is shown for what it
// is, and a run written to a file is dropped (never left looking like a
// finished report); the preview keeps what was printed.  The command did not
// do its work (CommandNotDone).
void EndIncompleteReport(TagRepInfo* info);

// Ends a run after its last record by how the walk ended: `failed` (a
// record-manager error, shown already) ends it incomplete
// (EndIncompleteReport); `stopped` by the user ends its page; a run that
// printed nothing shows message 197 and is dropped.  True when the walk
// came to its end and printed something: the command has done its work
// (CommandDone), and the caller writes its totals.
bool EndReportRun(TagRepInfo* info, bool failed, bool stopped, bool printed);

// --- Links ------------------------------------------------------------------------------

// A drill-down descriptor of `kind` to `commandId` with an empty string.
TagDrillDownInfo MakeDrillDown(std::uint8_t kind, int commandId);

// Clears the link of every column of a row layout.
void ClearLinks(TagReportColumn* table);

// Hangs `link` on the columns of `table` at the given indexes.
void LinkColumns(TagReportColumn* table, std::initializer_list<int> columns, const TagDrillDownInfo* link);

// ---- Template definitions ----------------------------------------------------------

template <class Record>
bool ParsePreset(CParamStringFor<Record>* parser, const char* text, Record* record) {
  if (text == nullptr || *text == '\0') return true;
  const std::string input = ParamStringInput(text);
  const ParseMode mode = IsSavedRunInput(input.c_str()) ? ParseMode::kLenient : ParseMode::kStrict;
  parser->Attach(text, static_cast<int>(std::char_traits<char>::length(text)) + 1);
  if (parser->ParseInto(record, mode)) return true;
  ShowBadParameters(parser->LastErrorText());
  return false;
}

template <class Write, class Describe>
void OfferSavedRun(TagRepInfo* info, int commandId, Window* selectionWindow, Write write, Describe describe) {
  if (ReportTestMode(info, 4)) {
    TagSavedRunInfo savedRun{};
    savedRun.kind = kDrillRunReport;
    savedRun.one = 1;
    savedRun.commandId = static_cast<std::uint16_t>(commandId);
    CReportParamString text(savedRun.params, kSavedRunParamCapacity);
    if (write(&text)) {
      const std::string words = describe();
      std::snprintf(savedRun.words, sizeof savedRun.words, "%s", words.c_str());
      ReportWriteSelParams(info, &savedRun);
    }
  }
  HideSelectionWindow(selectionWindow);
}

template <class Heading, class Title>
void WritePageHeading(TagRepInfo* info, Heading heading, Title title, const TagReportColumn* columnHeadings) {
  ReportPageStart(info, 0, 1);
  const TagRepFont font = info->font;
  const int kept = info->lineCount;
  ReportBlockBegin(info, kFontHeading);
  heading(info);
  const int headingLines = ReportBlockEnd(info);
  info->lineCount = kept;
  ReportBlockBegin(info, kFontTitle);
  title(info);
  const int titleLines = ReportBlockEnd(info);
  info->lineCount = kept + 1 + (headingLines > titleLines ? headingLines : titleLines);
  if (columnHeadings) {
    ReportBlockBegin(info, kFontColumnHeading);
    ReportWriteColumns(info, columnHeadings, 1);
    ReportBlockEnd(info);
    ReportWriteRule(info, columnHeadings, 1, '-');
  }
  ReportSetFont(info, &font);
}
