// Statements, form letters and mailing labels: their settings, the label
// stocks and how labels are laid out on a page, the text window of their
// options screen, and the set-up of a statement run.
//
// Form settings: which texts (qxabase/text_merge.h) the statements, letters
// and labels are merged from, and the address switches of letters and
// labels.  They are the company's settings record "0MergeForms"
// (records::MergeFormsRecord), or the installation's defaults
// (<base data>/merge/forms.txt) while the company has none; the F9 window of
// the options screen changes them.
//
// Label stocks: the seven stocks of the labels' options screen ("Standard
// Label", "Avery 4010 Dot Matrix", ...), their published sizes in the base
// data (merge/label-stocks.txt), corrected per company in the settings
// record "0LabelLayouts" (the F7 window).  A label run lays its labels on
// pages of 11 inches at 6 lines an inch: a label's lines start on the line
// of its row (top margin, then a row every label pitch) and in the column
// of its place across (left margin, then a place every label pitch), in
// print columns of the chosen font: 10 an inch (large fonts) or 17 (small,
// condensed).
//
// Everything runs on the UI thread; nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include "btrvc.h"
#include "qxabase/text_merge.h"
#include "records/settings.h"
#include "records/unaligned.h"

struct TagRepInfo;

// Text kinds: the texts of the statements, letters and labels.
enum MergeTextKind : int {
  kTextStatementPage = 6,      // a statement's page: heading, detail area, footer
  kTextStatementInvoice = 7,   // the lines after an invoice of which several items printed
  kTextCustomerLetter = 11,
  kTextVendorLetter = 12,
  kTextLabels = 13,
};

// The kind of the merge run (LettersKindSet): 3 statements, 5 letters and labels.
inline constexpr int kLettersKindStatements = 3;
inline constexpr int kLettersKindLetters = 5;

// --- Form settings ------------------------------------------------------------------------

#pragma pack(push, 1)
// The form settings as the options screen and the runs hold them.
struct FormSettings {
  std::uint8_t reserved0[2];
  std::uint8_t closingLine;       // 2: build the closing address line (FormatAddressLine)
  std::uint8_t addressBottom;     // 3: AddressFormatEnd after AddressFormatBegin
  std::uint8_t addressApart;      // 4: the flag handed to both: the closing line prints apart
  std::uint8_t lettersSamePage;   // 5: a letter's copies follow one another on a page
  std::uint8_t reserved6[8];
  std::uint8_t labelLineWritten;  // 14: set once a label line went out
  std::uint8_t reserved15;
  char texts[records::MergeFormsRecord::kTextCount][33];  // by kind: 6, 7, 11, 12, 13
};
#pragma pack(pop)
static_assert(offsetof(FormSettings, closingLine) == 2);
static_assert(offsetof(FormSettings, addressBottom) == 3);
static_assert(offsetof(FormSettings, addressApart) == 4);
static_assert(offsetof(FormSettings, lettersSamePage) == 5);
static_assert(offsetof(FormSettings, labelLineWritten) == 14);

// Reads the company's form settings (through the settings file `settings`,
// or opened for the read when 0) into `out`; a company without the record
// gets the defaults.  Returns 0; the record-manager status after the error
// box (the defaults are then in `out`); 1 after a message when the defaults
// cannot be read.
int LabelsPrintStep(BtrvHandle settings, FormSettings* out);

// The name of the text of `kind` (33 bytes).  Returns 0; 1 for an unknown
// kind or an empty name (`name` is then "").
int StatementOptionText(int kind, char* name, const FormSettings* settings);

// The statement's two texts: the page and the invoice lines.
struct StatementTextNames {
  char page[33] = {};
  char invoice[33] = {};
};
// Fills both names (`kind` is the page's, 6).  Returns 0, or 1 when either
// is empty.
int StatementOption140(int kind, StatementTextNames* names, const FormSettings* settings);

// The F9 window of the options screen: the texts and the switches, at
// screen row `top`, column `left`.  F10 stores them in "0MergeForms"
// (through `settingsHandle`) and in `settings`; Esc leaves both as they
// were.  Returns 0 when stored, 27 when left, the record-manager status of a
// failed store (after the error box).
int CustVendKeyStep830(int top, int left, FormSettings* settings, BtrvHandle settingsHandle);

// --- Label stocks ---------------------------------------------------------------------------

inline constexpr int kLabelStockCount = records::LabelLayoutsRecord::kStockCount;
inline constexpr int kLabelPageLines = 66;  // 11 inches at 6 lines an inch
inline constexpr int kLinesPerInch = 6;
inline constexpr int kLargeFontPitch = 10;  // print columns an inch
inline constexpr int kSmallFontPitch = 17;

// The stocks and their layouts, as LettersLayoutStep reads them.
struct LabelLayoutBlock {
  records::LabelLayout published[kLabelStockCount] = {};  // the base data's sizes
  records::LabelLayout layouts[kLabelStockCount] = {};    // in use: the company's correction, else published
  char names[kLabelStockCount][32] = {};                  // "Avery 5160 Laser"
  char titles[kLabelStockCount][16] = {};                 // "5160": the report title's end
  char choices[256] = {};                                 // field 56's choice list (the byte 1, then the names)
  int count = 0;
};

#pragma pack(push, 1)
// The label run's place on the page and the chosen stock's layout in lines
// and print columns, 29 bytes.
struct LabelStockEntry {
  std::uint8_t smallFonts;    // 0: 0 large fonts, non-zero small fonts
  records::I16 position;      // 1: the label's place across, 1 = leftmost
  records::I16 row;           // 3: the label row on the page, from 1
  records::I16 stock;         // 5: stock number 0-6
  records::I16 across;        // 7: labels across
  records::I16 width;         // 9: a label's width in print columns
  records::I16 top;           // 11: top margin in lines
  records::I16 height;        // 13: lines from a label row to the next
  records::I16 left;          // 15: left margin, hundredths of an inch
  records::I16 pitchAcross;   // 17: hundredths of an inch from a label to the next across
  records::I16 pitch;         // 19: print columns an inch
  records::I16 rows;          // 21: label rows on a page
  records::I16 lines;         // 23: lines a label prints (its height in lines)
  std::uint8_t reserved[4];
};
#pragma pack(pop)
static_assert(sizeof(LabelStockEntry) == 29);
static_assert(offsetof(LabelStockEntry, position) == 1);
static_assert(offsetof(LabelStockEntry, row) == 3);
static_assert(offsetof(LabelStockEntry, stock) == 5);
static_assert(offsetof(LabelStockEntry, across) == 7);
static_assert(offsetof(LabelStockEntry, top) == 11);
static_assert(offsetof(LabelStockEntry, height) == 13);

// Reads the stocks: the published sizes and the company's corrections
// (through `settings`, or opened for the read when 0).  Returns 0; 1 after
// a message when the base data's stocks cannot be read; a record-manager
// status after the error box (the published sizes are then in use).
int LettersLayoutStep(BtrvHandle settings, LabelLayoutBlock* block);

// Takes stock `stockNumber` (0-6) of `block` into the entry, in the
// entry's font.  Returns 0; 1 for a stock number the block does not hold.
int CustVendOptionsStep(LabelStockEntry* entry, int stockNumber, const LabelLayoutBlock* block);

// Non-zero when the entry's layout can be printed: at least one label
// across, each at least a line high and a column wide, the labels within
// the page's width and the rows within its length.
int LettersLayoutTest(const LabelStockEntry* entry);

// Takes the font of `fontChoice` (1 large, 2 small) into the entry and lays
// its stock out again; checks that the layout can be printed.  Returns 0;
// otherwise non-zero after a message saying what does not fit.
int CustVendOptionsStep2(BtrvHandle settings, int fontChoice, LabelStockEntry* entry, const LabelLayoutBlock* block);

// The F7 window of the labels' options screen: the layout of the entry's
// stock in inches.  F10 stores it in "0LabelLayouts" (through `settings`)
// and in `block`, and lays the entry out again; Shift+F9 shows the
// published sizes; Esc leaves everything as it was.  Returns 0 when stored,
// 27 when left, the record-manager status of a failed store (after the
// error box).
int CustVendKeyStep1420(BtrvHandle settings, LabelStockEntry* entry, LabelLayoutBlock* block);

// --- Label pages ----------------------------------------------------------------------------

// Prepares the report run for labels of the entry's stock before it opens:
// a form page (nothing added), 6 lines an inch, no margins, the page of
// kLabelPageLines lines, the font's pitch, and `title`.  The entry starts at
// place 1 of row 1.  Returns 0.
int LabelAdd(TagRepInfo* info, const char* title, LabelStockEntry* entry);

// The print column of the entry's current place across.
int LetterLineStart(const LabelStockEntry* entry);

// Writes `line` at print column `place` on line `rowLine` (from 1) of the
// current label row area: the page line top margin − 1 + rowLine (the
// report's line count is set there, as a page heading sets it).  Returns 0.
int MergeRowWrite(TagRepInfo* info, const char* line, int place, int rowLine, const LabelStockEntry* entry);

// Writes line `labelLine` (from 1) of the current label: cut to the label's
// width, at its place across and on its row.  Returns 0.
int LetterBodyStep(TagRepInfo* info, const char* line, int labelLine, const LabelStockEntry* entry);

// The labels across are full: the next label goes to place 1 of the next
// row; past the page's last row a new page starts.  Returns 0.
int LayoutRowWrap(TagRepInfo* info, LabelStockEntry* entry);

// After a record's labels: when the row is complete (the next label starts
// a new row), the report's line count moves to that row.  A row that is not
// full is never ended early.  Returns 0.
int LabelRowFlush(TagRepInfo* info, const LabelStockEntry* entry);

// --- Statement runs ----------------------------------------------------------------------

// Prepares a statement run before its report opens: a form page (printed
// as written, nothing added) of 6 lines an inch without margins, the title
// of command `menuId` ("Customer Statements", "Vendor Statements"), the
// form font.  `kind` (6) and `reserved` are kept for the callers.  Returns
// 1; 0 when a text name is missing (the run does not start).
int StatementSetup160(int menuId, int kind, int reserved, const StatementTextNames* names,
                      const records::TransInfoRecord* transInfo, TagRepInfo* info);

// Fills the statement's own fields from the company record and the
// statement date.  Returns 0.
int StatementSetup187(StatementBlock* block, const records::CompanyRecord* company, std::int32_t date);

// Ends a statement run: the font is given back.  Returns 0.
int StatementRunEnd(TagRepInfo* info, const StatementTextNames* names);

// The detail lines a statement writes per open item ("0TransInfo"; 1 when
// it says none), at most 9.
int StatementDetailLines(const records::TransInfoRecord* transInfo);

// --- Runs ---------------------------------------------------------------------------------

// The kind of the merge run that starts (kLettersKind...); LettersPrepare613
// readies it once the texts are open, LettersRunEnd ends it.  Return 0.
int LettersKindSet(int kind);
int LettersPrepare613();
int LettersRunEnd();
// The kind set last.
int LettersKind();

// The F3 window: edits the company's text `name` (starting from the
// installation's when the company has none yet) in a text window at screen
// row `top`, column `left`, `rows` by `cols`, lines of at most `maxLine`
// characters.  F10 saves it (the company's text from then on); Esc drops
// the edit.  *state (may be null) receives the result.  The trailing
// arguments are kept for the callers.  Returns 0 saved, 27 left, 1 when the
// text could not be read or saved (after a message).
int CustVendF3Window(int top, int left, int rows, int cols, int maxLine, int* state, const char* name, int = 1,
                     int = 0);
