// The report writer: every journal, listing and report of the system writes
// its pages through it.
//
// A report run is one `TagRepInfo`, zeroed by the caller, opened with
// `ReportOpen` and closed with `ReportClose` on every way out.  Between the
// two the report places text on numbered lines of pages: text at print
// columns (`ReportWriteText`), lines laid out by column tables
// (`ReportWriteColumns`, `ReportWriteRule`), fonts and blocks (title 8,
// heading 9, column headings 13), empty lines and new pages.  The report
// builds its own page headings and decides its own page breaks: it compares
// `TagRepInfo::lineCount` with `TagRepInfo::pageLength` and calls
// `ReportNewPage`; both are plain fields the report may read and set.
//
// The writer keeps the run as a page model and renders it when the run is
// closed, to the destination the run names.  Only the page being written is
// held in memory: each page before it is kept in a temporary file of the
// run's own (under $TMPDIR), and the renderers and the preview read the
// pages back one at a time, so a report of any length takes about the
// memory of one page.  The destinations:
//   - the preview, a viewer on the screen (scroll, page, search, follow a
//     cell's drill-down link, run the report again from its saved run,
//     print); under a key script its text goes to the transcript;
//   - an HTML file: one self-contained UTF-8 page with its own CSS, columns
//     aligned as on paper, links as `qxa:` URLs; a run that holds one
//     document per account (statements) gives each account a file of its
//     own;
//   - a plain-text file, or the printer through `lp`.
// The caller names the destination (a report parameter string's "output",
// or a form's printer); a run that names none goes to the preview, from
// which the user prints it or saves it as an HTML file, or, in a command
// run alone from the command line, to the file the command line names
// (ReportOutputSet).
// Text is code page 437 inside; the HTML file, the transcript and the printer
// get UTF-8.
//
// Results are ints; nothing here throws.  Every function accepts a run that
// is not open (never opened, closed, or a null pointer) and then does
// nothing and answers 0 (or the failure its contract names).  Everything
// runs on the UI thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "qxabase/drilldown.h"

struct Form;

// --- Fonts ---------------------------------------------------------------------
// Fonts by number.  They change the look of the text (weight, slant, the
// printer's pitch), never its width: every renderer keeps one character per
// print column, so that columns line up in every font.
enum ReportFontNumber : std::int32_t {
  kFontDetail = 0,          // the body of the report (also 0 in a zeroed run)
  kFontTitle = 8,           // report titles
  kFontHeading = 9,         // heading lines: dates, ranges, sort orders
  kFontNote = 11,           // notes such as "* Not Posted"
  kFontSubheading = 12,     // small headings of a table
  kFontColumnHeading = 13,  // column headings
  kFontForm = 16,           // text of forms and statements
  kFontFormCondensed = 17,  // the same, condensed
};

// Style bits of a font.
inline constexpr std::int32_t kFontBold = 1;
inline constexpr std::int32_t kFontItalic = 2;
inline constexpr std::int32_t kFontUnderline = 4;

// A font as the run holds it; reports keep a copy (`TagRepInfo::font`) at the
// start of a page heading and give it back with ReportSetFont at its end.
struct TagRepFont {
  std::int32_t number = 0;  // ReportFontNumber
  std::int32_t size = 0;    // tenths of a point on paper (100 = 10 pt)
  std::int32_t style = 0;   // kFontBold | kFontItalic | kFontUnderline
};

// --- Column tables -------------------------------------------------------------
// A line layout is an array of TagReportColumn ended by an entry of kind 0.
// Reports keep static layouts, copy or patch them per run so that the value
// pointers address the run's record buffers, and set the per-line fields
// (hidden, link) before each line.

// What a column's value is, and how it is read through `value`.
enum ReportColumnKind : std::uint8_t {
  kColumnEnd = 0,         // ends the table
  kColumnChar = 1,        // const char*: one character, format "%c"
  kColumnText = 2,        // const char*: a NUL-terminated text (a precision bounds the read)
  kColumnDate = 3,        // const int32*: a day number, shown as mm/dd/yy ("" for 0)
  kColumnLong = 5,        // const int32*: a whole number by the format ("%5d", "%ld")
  kColumnLongTrim = 7,    // const int32*: the same, blanks around the result removed
  kColumnFloat = 9,       // const float*: a number by the format
  kColumnAmount = 10,     // const double*: an amount by the format ("%12.2f")
  kColumnDouble = 11,     // const double*: a number by the format ("%11.4f")
  kColumnTime = 13,       // const int32*: seconds since midnight, shown as hh:mm:ss
  kColumnMerge = 21,      // const char*: a mail-merge field's text; its hard blanks
                          // (bytes 0xFF and 0xB7) print as blanks
};

// How a column's text sits in its field (`TagReportColumn::align`).  The
// field is `width` characters from x when width is set, else the text as the
// format made it.
enum ReportColumnAlign : std::int32_t {
  kAlignAsFormatted = 0,  // as the format lays it out
  kAlignNumber = -1,      // numbers and heading captions: as formatted
  kAlignLeft = -2,        // text: from the left of the field
  kAlignRight = -3,       // amounts: against the right of the field
  kAlignCentre = -4,      // centred in the field
};

struct TagReportColumn {
  std::uint8_t kind = kColumnEnd;  // ReportColumnKind; 0 ends the table
  // 1 leaves the column out of the line being written: nothing is printed in
  // its place and a rule drawn by the table skips it.  Reports set it per line.
  std::uint8_t hidden = 0;
  char format[20] = {};            // printf-like: "%-14s", "%c", "%11.2f", "%11.4fF", "%5d"
  std::uint16_t x = 0;             // print column of the field (0 = the first)
  const void* value = nullptr;     // a heading layout: the caption; a row layout: the value's address
  std::int32_t align = kAlignAsFormatted;  // ReportColumnAlign
  std::int32_t width = 0;          // field width for the alignment; 0 = the format's
  // The cell's drill-down link, or null.  The writer copies the descriptor's
  // content when the line is written, so one descriptor serves every row.
  const TagDrillDownInfo* link = nullptr;
};

// --- The run ----------------------------------------------------------------------

// Where the run goes (`TagRepInfo::destination`).
enum ReportDestination : std::uint8_t {
  kDestPreview = 1,      // the preview on the screen (also what 0 means)
  kDestPrinter = 2,      // straight to the printer through `lp`
  kDestTextFile = 3,     // a plain-text file, `TagRepInfo::filePath`
  kDestHtmlFile = 4,     // an HTML file, `TagRepInfo::filePath`
  kDestHtmlPerAccount = 5,  // an HTML file per account, named from `TagRepInfo::filePath` and the
                            // account (AgingRecordTest): ReportOpen makes an HTML file destination
                            // this one for a run that asks for it (`perAccount`)
};

// What `TagRepInfo::alignmentSample` holds for the sample forms of an
// alignment test.
inline constexpr std::uint8_t kAlignmentSample = 2;

// The printer settings a run carries, and hands to its alignment callback.
struct TagPrinterSettings {
  char printerName[128] = {};  // the `lp` destination; "" the system's default printer
  char title[81] = {};         // the title of the run they belong to
};

// An alignment test: the writer calls it when the user asks for one before
// printing forms.  It prints sample forms (a run of its own, usually to
// kDestPrinter) with `settings`, and returns 0.
using ReportAlignmentCallback = int (*)(void* context, const TagPrinterSettings* settings);

struct ReportRun;  // the writer's own state of an open run

// The state of one report run.  Callers zero it, set the fields they need,
// and open it; the writer fills the rest.  Sizes and layout are not binding.
struct TagRepInfo {
  // Destination.
  std::uint8_t destinationGiven = 0;  // 1: `destination` holds the caller's choice; 0: the preview, or
                                      // the file of a command run alone (ReportOutputSet)
  std::uint8_t destination = 0;       // ReportDestination
  std::uint8_t fileKind = 0;          // kind of the file a file destination writes: 3 text, 4 HTML;
                                      // ReportOpen makes it the destination's
  std::uint32_t fileAppend = 0;       // 0: the file is replaced, the only mode of this writer
  char filePath[260] = {};            // the file of a file destination, as the "output" parameter named it;
                                      // a relative name is taken in the folder the user started the
                                      // program in (StartFolderGet), else in the current folder

  // Page.
  std::uint8_t reportPage = 0;        // 1: a report page, which the writer ends with a footer
                                      // (run date, "Page n of m"); 0: a form, printed exactly as
                                      // written and nothing added
  std::uint8_t autoPageBreak = 0;     // 1: a line written at the page length starts a new page by
                                      // itself (no report heading is repeated); 0: the report
                                      // breaks its own pages
  std::uint8_t condensed = 0;         // 1: printed condensed (17 characters an inch)
  std::uint8_t landscape = 0;         // 1: printed across the long side of the paper
  std::uint8_t linesPerInch = 0;      // 0 = 6
  std::int32_t marginLeft = 0;        // margins in hundredths of an inch; all four 0: the
  std::int32_t marginTop = 0;         //   writer's (half an inch on report pages, none on forms)
  std::int32_t marginRight = 0;
  std::int32_t marginBottom = 0;
  std::int32_t pageLength = 0;        // lines a page takes; 0 at ReportOpen: from the paper,
                                      // the margins and the lines per inch (60 on a report page)
  std::int32_t lineWidth = 0;         // print columns of a line (136 for wide reports); 0: as wide
                                      // as the widest line written, at least 80
  std::int32_t lineCount = 0;         // the line of the page the next text goes on (lines used)
  std::int32_t mergeRow = 0;          // the row of a mail-merge text being written (statements)

  // Printing.
  std::int32_t copies = 0;            // copies when printed; 0 = 1
  std::int32_t firstPage = 0;         // pages printed: firstPage .. lastPage; 0 = from the first
  std::int32_t lastPage = 0;          //   / to the last
  TagPrinterSettings printerSettings; // printer and title (an alignment test copies it in)
  ReportAlignmentCallback alignmentCallback = nullptr;  // set by reports that print forms
  void* alignmentContext = nullptr;   // handed to the callback
  std::uint8_t alignmentSample = 0;   // kAlignmentSample while sample forms are printed

  // Behaviour.
  std::uint8_t links = 0;             // 1: the destination takes drill-down links (the preview
                                      // and HTML); ReportOpen sets it; reports write links only then
  std::uint8_t showProgress = 0;      // 1: a progress window ("Esc stops it") shows while the run
  std::uint8_t quiet = 0;             //   is written, unless `quiet`: the caller shows its own,
                                      //   or nobody is watching
  std::uint8_t discard = 0;           // 1: nothing worth showing was written; ReportClose drops
                                      // the run (no preview, no file, no printing)
  std::uint8_t markBlanksVisibly = 0; // 1: the destination loses blank cells, so a one-character
                                      // mark shows "_" for a blank; 0 for every destination here
  std::uint8_t userBreak = 0;         // 1 once the user stopped the run (set by the writer)
  std::uint8_t perAccount = 0;        // 1: the run is one document per account (statements), each
                                      // begun with AgingRecordTest; written to HTML, each account's
                                      // is a file of its own

  // The current font (ReportSetFont); kept and given back by page headings.
  TagRepFont font;

  char title[81] = {};                // the run's title (ReportOpen)

  // One report per account (kDestHtmlPerAccount): the account the report
  // opened next is for (AgingRecordTest keeps it); its file is named after it.
  char recipient[260] = {};

  ReportRun* run = nullptr;           // the writer's; null while the run is not open
};

// Callers zero these records with memset and copy them as they stand.
static_assert(std::is_trivially_copyable_v<TagRepInfo> && std::is_standard_layout_v<TagRepInfo>);
static_assert(std::is_trivially_copyable_v<TagReportColumn> && std::is_standard_layout_v<TagReportColumn>);

// --- Opening and closing -----------------------------------------------------------

// Opens the run with `title` (null keeps TagRepInfo::title).  Fills what the
// caller left 0: the destination (unless destinationGiven: the command's
// file of ReportOutputSet when one is named, else the preview), page
// length, copies, lines per inch, font; sets `links` for the preview and
// HTML.  An HTML file of a run per account (`perAccount`) becomes
// kDestHtmlPerAccount, its file named after TagRepInfo::recipient.
// A file destination is checked at once: a folder that does not exist or
// cannot be written shows a message naming the file and the reason, and the
// run is not opened.  Returns 1 when the run is open, 0 when it was not
// opened (the report then ends without output).  Opening a run whose
// TagRepInfo still names an open run starts a new run; the old one stays open
// under its own handle until it is closed.
int ReportOpen(TagRepInfo* info, const char* title);

// Ends the run and delivers it: the preview runs until the user closes it,
// the file is written (atomically: a temporary file renamed into place; a
// failure shows a message and leaves any earlier file as it was), or the
// pages go to the printer.  A run with no line at all opens no preview; a
// file destination still gets its file.  Returns 0, or −1 when the output
// could not be delivered (after a message), among them a run whose pages
// could not be kept in their temporary file (see ReportTestReady).
int ReportClose(TagRepInfo* info);

// The files this process's report runs wrote and completed, in order, each
// as its full path (what a file destination names, relative names taken
// where ReportOpen says; the files saved from the preview too).  The main
// program prints them when a run of one command ends, so that a job knows
// what it got.
const std::vector<std::string>& ReportFilesWritten();

// --- The file of a command run alone ------------------------------------------------
// A command run alone from the command line names the file its reports are
// written to (qxa15 ... /only /output:FILE): every run that names no
// destination of its own (destinationGiven 0, which would be the preview)
// writes that file instead, as HTML when its name holds ".htm" (with
// links), as plain text otherwise.  The command's first report takes the
// name itself, each later one (the 1096 that the 1099 run opens) the name
// with "-2", "-3" before its extension; a report per account names its
// files after the accounts (AgingRecordTest).  A relative name is taken in
// the folder the user started the program in (StartFolderGet).  ReportOpen
// then names the file in TagRepInfo::filePath and marks the destination as
// given.  Null or "" names none (every run goes where its caller says).
// Returns 0.
int ReportOutputSet(const char* path);

// --- One report per account -----------------------------------------------------------
// A run of one document per account (`perAccount`: the statements) calls
// AgingRecordTest with the account's code before it writes the account:
//   - in the preview the account's pages are marked, so that the preview's
//     "Save as HTML" gives each account a file of its own;
//   - written to HTML (kDestHtmlPerAccount) the account gets a report of its
//     own: AgingRecordTest answers non-zero, the report closes the run (the
//     file of the account before is written; a run that holds nothing
//     writes none) and opens it again, and ReportOpen names the new run's
//     file after the account.
// An account's file is the run's file with "-" and the account's code
// before its extension ("statements.htm" gives "statements-C100.htm");
// characters other than letters, digits, '-' and '_' become '_', and a
// name met twice in the run gets "-2", "-3" added.  Returns 0 for a run
// that is not open.
int AgingRecordTest(TagRepInfo* info, const char* account);

// True (non-zero) for the properties asked by `mode`: 1 the run goes to the
// preview, 2 to the printer, 4 the destination keeps a saved run (the preview
// and HTML: the report should hand one to ReportWriteSelParams).
int ReportTestMode(const TagRepInfo* info, int mode);

// 0 when the run is open and takes lines; 1 when it is not open; 27 when the
// user has stopped it (a page heading is then left out), or when its pages
// could not be kept in their temporary file (a full disk): the run then
// takes no more lines, ReportCheckUserBreak answers as after a break, so
// that the report ends, and ReportClose says why nothing was delivered.
int ReportTestReady(const TagRepInfo* info);

// The saved run of the report: shown above the first page ("Selection: ..."),
// offered by the preview as "Run again", and written into the HTML file as a
// "Run again" link.  The descriptor's content is copied.  Returns 0.
int ReportWriteSelParams(TagRepInfo* info, const TagSavedRunInfo* savedRun);
int ReportWriteSelParams(TagRepInfo* info, const TagDrillDownInfo* savedRun);

// A report parameter string without its "output" pairs, the other pairs as
// they stand: what a link or a saved run hands its command, since what such
// a string says there is not the user's choice of a file to write.  Nullopt
// when the text is not a well-formed parameter string.
std::optional<std::string> ParamTextWithoutOutput(const std::string& params);

// --- Pages and lines ------------------------------------------------------------------

// Starts the heading of a page: when the current page holds anything, a new
// page begins (as ReportNewPage).  `pageNumber` non-zero renumbers the page
// (the footer counts on from it); `mode` (1 at a page heading, 2 after a
// forced new page) is kept for the callers: both start a fresh page the same
// way.  Returns 0.
int ReportPageStart(TagRepInfo* info, int pageNumber, int mode);

// Ends the current page; the next line goes on line 0 of a new page.  A page
// on which nothing was written is not ended again, so a report that ends with
// ReportNewPage leaves no empty page.  Returns 0.
int ReportNewPage(TagRepInfo* info);

// Moves down `count` lines (count empty lines after a finished line).  Returns 0.
int ReportSkipLines(TagRepInfo* info, int count);

// Places `text` on the current line and then moves down `lineFeeds` lines (0
// stays on the line, so that more text can follow).  `x` is the print column,
// or one of these codes:
//   −1  right after the text already on the line (column 0 on an empty line);
//   −2  flush left (column 0);
//   −3  flush right (ending in the last column of the line width);
//   −4  centred on the line width;
//   −5  centred in the left half of the line;
//   −6  centred in the right half of the line (with −5: two captions side by side).
// Positions by code are taken when the run is rendered, against the line
// width of the whole report.  Null text writes nothing but the line feeds.
// Returns 0.
int ReportWriteText(TagRepInfo* info, const char* text, int x, int lineFeeds);

// Writes one line laid out by `table` (ended by kind 0): every column that
// is not hidden, with its value formatted by its kind and format, its link
// (when the run takes links) and the current font; then `lineFeeds` line
// feeds (0 stays on the line: a row written in parts; 1 a detail or heading
// line; 2 a totals line followed by an empty line).  Blanks of a field never
// erase text already on the line; its other characters replace it.  A
// number is never shown rounded or cut to fit its field (the format's
// width): on a page of fixed width (the preview, the printer, a text file)
// one too wide fills its field with '*' (1000000000.00 in "%11.2f" prints
// "***********"), and a line after the report's last says how many did; an
// HTML file of report pages shows it whole, its column widened on every
// line and the columns after it moved right.  Returns 0, or −1 for a null
// table.
int ReportWriteColumns(TagRepInfo* info, const TagReportColumn* table, int lineFeeds);

// Draws a rule of `fill` ('-', '=', '_') under each column of `table` that is
// not hidden, as wide as the column's field, then `lineFeeds` line feeds.
// Returns 0, or −1 for a null table.
int ReportWriteRule(TagRepInfo* info, const TagReportColumn* table, int lineFeeds, int fill);

// --- Fonts and blocks ---------------------------------------------------------------

// Sets the current font by number (ReportFontNumber) or to a kept font.
// Returns 0.
int ReportSetFont(TagRepInfo* info, int fontNumber);
int ReportSetFont(TagRepInfo* info, const TagRepFont* font);

// A block of lines in one font: 9 heading, 8 title, 13 column headings (any
// font number is accepted).  Begin sets the block's font; End gives back the
// font in use before and returns the lines the block used (a line that holds
// text but was not ended counts).  Blocks nest.
int ReportBlockBegin(TagRepInfo* info, int kind);
int ReportBlockEnd(TagRepInfo* info);

// --- Column layouts -------------------------------------------------------------------

// Non-zero when the destination keeps the column layout of the pages (the
// preview and HTML): the preview freezes a page's heading lines when the page
// is scrolled, and steps sideways from column to column.
int ReportColumnsActive(const TagRepInfo* info);

// The layout of the current page's lines (`kind` 2: the detail line), kept
// for the page: the columns' positions and widths.  Returns 0.
int ReportSetColumnLayout(TagRepInfo* info, const TagReportColumn* table, int kind);

// The first line after the current page's heading.  Returns 0.
int ReportSetHeadingEnd(TagRepInfo* info, int line);

// The layout of the run's detail lines, for every page that sets none.  The
// form without a run applies to the run opened last.  Returns 0.
int ReportSelectionSet(TagRepInfo* info, const TagReportColumn* table);
int ReportSelectionSet(const TagReportColumn* table);

// --- Mail-merge lines -----------------------------------------------------------------

// Writes a merged text line: the line's text from column 0, under the
// columns already placed on the line (they stay on top), hard blanks (0xFF,
// 0xB7) as blanks, then one line feed.  Returns 0.
int MergeRecordWrite(TagRepInfo* info, const char* line);

// Sets the title of a form run before it opens (ReportOpen with a null
// title then keeps it) and the copies it prints.  Returns 0.
int Report1096Title(TagRepInfo* info, const char* title, int copies);

// --- User break ---------------------------------------------------------------------
// While a report runs, the user stops it with Esc (on the terminal, or a
// `Break` token of a key script).  The check looks at the keys without
// waiting; other keys typed meanwhile are dropped.  Closing the window (or a
// key script that runs out) does not stop a running report: it runs to its
// end and the program ends afterwards.  A stopped run ends with the line
// "*** Report stopped by the user ***", takes no more lines, and is delivered
// like any other when it is closed.

// Non-zero when the user stopped the run (at this check or before); sets
// *lastKey to 27 then.  Also steps the run's progress window.
int ReportCheckUserBreak(TagRepInfo* info, int* lastKey);

// The same for the run opened last (or, with no run open, only the key
// check).  `key` may be null.
int CheckUserBreak(int* key);

// --- Forms of reports -------------------------------------------------------------------

// The event hook of report selection screens (Form::eventHook): keeps the
// form's window shown when a report run had hidden it, so that a screen that
// stays open after F10 can be used again.  Returns 0.
int StandardReportCallback(Form* form, int event, int field);

// --- Text of a run ---------------------------------------------------------------------

// The pages of the open run as plain UTF-8 text, as the printer gets them:
// the saved run's selection line above the first page, each page's lines
// with trailing blanks removed, the footer of report pages, and
// `pageSeparator` between pages.  "" when the run is not open.
std::string ReportText(const TagRepInfo* info, const char* pageSeparator = "\f\n");
