// The texts statements, letters and labels are merged from, and the merge
// of their fields.
//
// Texts.  A text is a plain file of lines, named by the form settings
// (qxabase/letters.h): "statement.txt", "customer-letter.txt", ...  Each
// company may keep its own in its folder (<company>/templates/<name>); a
// company that has none uses the installation's (<base data>/templates/<name>).
// Files are UTF-8; lines are code page 437 once read.  The user edits a
// company's texts in the text window of the options screens (F3); a saved
// text replaces the file whole (a temporary file renamed into place), so a
// text is never left half written.
//
// The template language.  A text's lines are the lines of the page.  A
// field is written {NAME} or {NAME:wA}: w is its width in print columns (1
// to 255; without it the field's own width), A its alignment in that width:
// L left, R right, C centred, N right for amounts and left for texts.  The
// value fills the columns from the "{" on; the token itself never prints.
// A "{" that is not followed by a letter is printed as it stands.  The names,
// their kinds and ids are a table of the base data (merge/fields.txt):
//   kind 1   fields of the customer or vendor record (and a few line controls)
//   kind 2   fields of the statement: the company, the statement date, the page
//   kind 4   computed fields: the closing address line, today, the totals
//   kind 9   fields of an open item: date, invoice number, type, amount, ...
//   kind 10  amounts of the account's summary and the statement messages
// A text may use only the kinds its merge has opened (MergeSourcesOpen):
// statements 1, 2, 4, 9 and 10; letters and labels 1 and 4.
//
// Everything runs on the UI thread; nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "qxabase/aging.h"
#include "records/masters.h"

struct TagRepInfo;

// --- Texts --------------------------------------------------------------------------------

inline constexpr int kTextStatusEnd = 26;        // TextFileRead: no line is left
inline constexpr int kTextStatusNoMemory = -2;   // the text does not fit in memory
inline constexpr int kTextStatusNotFound = 12;   // neither the company nor the installation has it
inline constexpr int kTextStatusUnreadable = 2;  // the file cannot be read, or it is too large
inline constexpr int kTextStatusNotOpen = 3;

// A text's longest line and most lines; a longer line is cut.
inline constexpr int kTextMaxLineLength = 511;
inline constexpr int kTextMaxLines = 2000;

// An open text, read line by line.
struct TextFileBlock {
  int status = 0;            // of the last call (kTextStatus..., 0 ok)
  int lineSize = 512;        // bytes of the caller's line buffer, its NUL included
  std::string name;          // the text's name
  std::string path;          // the file it was read from
  bool companyText = false;  // the company's own text (else the installation's)
  std::vector<std::string> lines;
  std::size_t next = 0;      // the line TextFileRead gives next
  bool open = false;
};

// Prepares the text services for a run.  Returns 0.
int TextFileInit();

// Opens text `name` for reading (`mode` −1), lines of at most `lineSize` − 1
// characters (a longer line is cut), read through a buffer of `bufferSize`
// bytes (kept for the callers).  Returns 0; otherwise non-zero with
// block->status telling why (kTextStatusNoMemory, kTextStatusNotFound,
// kTextStatusUnreadable; a name that is not a plain file name is not found).
int TextFileOpen(int mode, int lineSize, int bufferSize, const char* name, TextFileBlock* block);

// Copies the next line into `line` (block->lineSize bytes).  Returns 0,
// kTextStatusEnd when no line is left (the line is then ""), or
// kTextStatusNotOpen.
int TextFileRead(TextFileBlock* block, char* line);

// The next TextFileRead gives the first line again.  Returns 0.
int TextFileRewind(TextFileBlock* block);

// The number of lines of the open text (0 when closed).
int TextFileLineCount(const TextFileBlock* block);

// Closes the text.  Safe to call twice.
void TextFileClose(TextFileBlock* block);

// True when the line holds nothing but blanks (or nothing).
bool TextIsBlank(const char* line);

// True when `name` can name a text: a plain file name of 1 to 32
// characters (letters, digits, '-', '_' and '.'), not starting with '.'.
bool TextNameValid(const char* name);

// The company's file of text `name`, and the installation's.  "" for a name
// that is not valid.
std::string TextFileCompanyPath(const char* name);
std::string TextFileDefaultPath(const char* name);

// The lines of text `name` (the company's, else the installation's) into
// `lines`; *fromCompany (may be null) tells which.  Returns 0 or a
// kTextStatus... value (nothing shown).
int TextFileLoad(const char* name, std::vector<std::string>* lines, bool* fromCompany);

// Writes `lines` as the company's text `name` (the folder is made when it
// is missing), whole or not at all.  Returns 0; otherwise a message naming
// the file and the reason has been shown and non-zero is returned.
int TextFileSave(const char* name, const std::vector<std::string>& lines);

// --- Merge runs ----------------------------------------------------------------------------

// Kinds of fields (the sources a merge opens).
enum MergeKind : int {
  kMergeRecord = 1,     // the customer or vendor record
  kMergeStatement = 2,  // the statement: company, date, page
  kMergeComputed = 4,   // computed from the record and the account's summary
  kMergeItem = 9,       // the open item being printed
  kMergeAmount = 10,    // the account's summary amounts and the statement messages
};

// Error codes of a field (MergeField::error).
inline constexpr int kMergeErrorUnknown = 1;   // no field of that name
inline constexpr int kMergeErrorNotHere = 2;   // a field of a kind this text cannot print
inline constexpr int kMergeErrorBadToken = 3;  // "{" and a letter, but no well-formed field

// Modes of MergeFieldNext.
inline constexpr int kMergeFirstPass = 0;  // the line is only read
inline constexpr int kMergeFill = 1;       // each field's token is blanked in the line

// The widest a field may be written ({NAME:255}): its value takes at most
// this many columns.
inline constexpr int kMergeMaxWidth = 255;

// One field of a line, as MergeFieldNext finds it.
struct MergeField {
  int kind = 0;
  int id = 0;
  int position = 0;     // the print column of its "{"
  int length = 0;       // the columns its value fills: the width written, else its own
  int tokenLength = 0;  // the characters of the token in the line
  char align = 'L';     // 'L', 'R', 'C' or 'N'
  int format = 2;       // the value's kind: 2 text, 3 date, 10 amount, 21 a merged text
  bool placed = false;  // a field that prints only where the line's placement puts it
  int place = 0;        // where the search goes on: the column after the token
  int error = 0;        // kMergeError..., 0 none
  char text[64] = {};   // the token as written (for messages)
};

// The account a document is merged for: the run's copy of the customer or
// vendor record (its address closed up as the document wants it; never
// written back) and its closing address line.
struct MergeAccount {
  records::CustVendRecord record{};
  char closingLine[61] = {};
};

// The state of one merge: the text's name (for messages), the kinds its
// fields may have, the account, and the placements of the current line.
struct MergeRun {
  bool begun = false;
  unsigned sources = 0;               // bit k: kind k may be used
  std::string textName;
  const MergeAccount* account = nullptr;
  std::vector<int> placed;            // columns placed on the current line
  std::vector<int> spoiltLines;       // lines whose error has been shown this run
};

// Starts a merge of text `textName`: loads the field table of the base
// data.  False when it cannot be loaded (after a message naming the file).
bool MergeBegin(MergeRun* run, const char* textName);

// Opens the kinds of the −1-ended list (MergeSourcesOpen(&run, 0, 1, 4, −1)).
// `mode` is kept for the callers (0 letters, 1 statements).  Returns 0; 1
// for a run not begun or a kind the merge does not know.
int MergeSourcesOpenList(MergeRun* run, int mode, const int* kinds);
template <class... Kinds>
int MergeSourcesOpen(MergeRun* run, int mode, Kinds... kinds) {
  static_assert(((std::is_integral_v<Kinds> || std::is_enum_v<Kinds>) && ...), "kinds are ints");
  const int list[] = {static_cast<int>(kinds)..., -1};
  return MergeSourcesOpenList(run, mode, list);
}

// Ends the merge.  Safe to call twice.
void MergeEnd(MergeRun* run);

// Finds the next field of `line` from field->place (0: the line's start;
// a zeroed MergeField starts there) and fills `field`; in kMergeFill mode
// its token is blanked in the line.  A placed field (the invoice number and
// the item date) at a column the line's placement did not name is blanked
// and passed over.  Returns 1 when a field was found (field->error tells
// whether it can be merged), 0 when the line holds no more.
int MergeFieldNext(MergeRun* run, int mode, char* line, MergeField* field);

// True when `field` prints on the current line: every field but a placed
// one at a column the line's placement did not name.
bool MergeFieldShown(const MergeRun* run, const MergeField* field);

// Shows why a field cannot be merged: the text, its line (from 1), the
// field as written and the reason.  Each line's error is shown once per
// run.  Returns `error`.
int MergeLineEnd(MergeRun* run, int style, int error, int lineNumber, int place, const char* fieldText);

// --- Placements ---------------------------------------------------------------------------
// The invoice number ({INV_NO...}) and the item date ({DS...}) print only on
// the lines, and in the columns, that the statement places them: a line may
// hold two invoice-number columns, of which one is placed.

// Looks for `token` ("{INV_NO", "{DS") in `line` from *place on.  Returns 1
// and sets *place to its column, or 0.
int FormLayoutTokenFind(const char* token, const char* line, int* place);

// Places the field whose "{" stands at column `place` of `line`.  Returns 0.
int FormLayoutTokenPos(MergeRun* run, int place, const char* line);

// Forgets the current line's placements.
void FormLayoutTokenClear(MergeRun* run);

// --- Values -------------------------------------------------------------------------------
// Each writes the field's value into `text` (at most `length` characters and
// a NUL; `length` is the field's width) and, where it names a result, says
// whether the field had a value.  Amounts are formatted with two decimals
// ("-1250.00"); one too wide for its field is filled with '*'.

// The statement's own fields (kind 2).
struct StatementBlock {
  char company[41] = {};
  char address1[41] = {};
  char address2[41] = {};
  char cityLine[41] = {};
  char phone[16] = {};
  std::int32_t date = 0;  // the statement date
  std::int32_t page = 0;  // the page of the account's statement
};

// An open item as a statement prints it: the line with its amount signed
// (negative: it lowers what the account owes), and the running figures.
struct StatementItem {
  records::TagOpenInvoice line{};
  double invoiceBalance = 0;  // the invoice's balance after this line
  double accountBalance = 0;  // the account's balance after this line
};

// Kind 1: the account record's field.  False (and "") when it has no value.
bool MergeFieldFromRecord(const MergeRun* run, char* text, int length, const MergeField* field);

// Kind 2.  Returns 0.
int MergeFieldStatement(char* text, int length, const StatementBlock* statement, const MergeField* field);

// Kind 4: from the account (its record and closing line) and its summary.
// Returns 0.
int MergeFieldCompute(char* text, int length, const MergeAccount* account, const CustVendAccountBlock* summary,
                      const MergeField* field);

// Kinds 9 and 10: from the summary, the message block (two 41-byte message
// lines at bytes 16 and 57: the "0Statements" record, or the pair a footer
// chose) and the item (may be null).  Returns 0.
int MergeFieldAmount(char* text, int length, const CustVendAccountBlock* summary, const char* messageBlock,
                     const StatementItem* item, const MergeField* field);

// A letter's value: every blank becomes the hard blank 183, so that the
// blanks of a value survive where a line closes up (they print as blanks).
void MergeHardBlanks(char* text);

// For tests and after a new base-data folder: forgets the loaded field table.
void MergeFieldTableReset();
