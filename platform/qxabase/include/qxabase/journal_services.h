// Services of the base library that the journals' selection screens and
// print runs call: the journals' column dictionary and its pick window, the
// pick windows over a journal's transaction headers, the unposted-header
// count of the billing and purchasing journals, the completion of a service
// line, and the open ends of a listing's range bounds.
//
// The column dictionary WQXACCOL.DB (file 94, in the data-dictionary folder)
// lists, per journal table ("Apth", "Arth", "Pohd", "Inhd", "Asth", "Chth"),
// the header columns a journal may select on: the column number (a field
// number of the header file's table in the data dictionary, dictionary.h)
// and its caption.  Key 0 is the table name (12 characters, blank-padded)
// followed by the column number as a 32-bit integer.  DictionaryFilesWrite
// writes it at installation.
//
// Pick windows are search lists of the screen library: Up, Down, PgUp, PgDn
// move, typing searches, Enter chooses, Esc leaves.  They read through the
// caller's handle and put its key back afterwards.  Everything runs on the
// UI thread; nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include "btrvc.h"
#include "records/masters.h"
#include "records/transactions.h"

#pragma pack(push, 1)
// A record of the column dictionary, 130 bytes.
struct JournalColumnRecord {
  char table[12];            // the journal table, blank-padded ("Apth")
  char caption[16];          // the column's caption, NUL-ended ("Transaction No.")
  std::int16_t column;       // the column number
  std::uint8_t rest[100];    // zero; bytes 0-1 complete the key's 32-bit column number
};
#pragma pack(pop)
static_assert(sizeof(JournalColumnRecord) == 130);
static_assert(offsetof(JournalColumnRecord, caption) == 12);
static_assert(offsetof(JournalColumnRecord, column) == 28);

// The key of a column dictionary record: the table name blank-padded to 12
// characters, then the column number as a 32-bit integer, into `key` (at
// least 16 bytes; the caller's 255-byte key buffer).
void JournalColumnKey(char* key, const char* table, int column);

// The label of the from and to fields of a column: its caption without
// trailing blanks, into `out` (64 bytes: at most 63 characters and a NUL).
// An empty text for a null record.  Returns out.
char* JournalHeadingText(char* out, const JournalColumnRecord* column);

// The column pick window: the columns of journal table `table` (a name of
// up to 12 characters; blanks after it ignored) read through `columnFile`
// (the caller's open WQXACCOL.DB), one per line with its caption, the
// `current` column highlighted first (null: the first).  The window stands at
// screen row `top`, column `left`, `rows` by `cols`.  Returns 1 with the
// chosen record in *out, or 0 when the user left with Esc or the table has
// no columns (*out unchanged).
int JournalColumnPick(const char* table, JournalColumnRecord* out, BtrvHandle columnFile,
                      const JournalColumnRecord* current, int top, int left, int rows, int cols);

// Pick windows over a journal's transaction headers, read in key 0 order
// through the caller's open `header` handle; `text` (may be null or blank)
// is the search text the list starts from.  Each returns 1 with the chosen
// header in `record` (a buffer of the header file's record length), or 0 when
// nothing was chosen (the record is then as the last read left it).
//   A  receivables (file 7) or payables (file 4) headers: transaction number,
//      customer or vendor, invoice, date, reference; the search text is a
//      transaction number.
//   B  assembly headers (file 11): transaction number, product, date,
//      reference, quantity.
//   C  cash headers (file 18): journal, transaction number, bank account,
//      date, reference, amount; the search text is a journal code.
//   D  billing (32) or purchasing (41) headers: type, number, customer or
//      vendor, date, name; the search text is an invoice or purchase number
//      (of type 'I').
// `reserved` is kept for the callers (0).
int JournalPickA(char* text, BtrvHandle header, void* record, int fileNo, int top, int left, int rows,
                 int cols);
int JournalPickB(char* text, int reserved, BtrvHandle header, void* record, int top, int left, int rows,
                 int cols);
int JournalPickC(char* text, int reserved, BtrvHandle header, void* record, int top, int left, int rows,
                 int cols);
int JournalPickD(char* text, BtrvHandle header, int fileNo, void* record, int top, int left, int rows,
                 int cols);

// Counts the unposted billing (`billing` non-zero, file 32) or purchasing
// (file 41) headers dated from `fromDate` to `toDate` (both included): the
// posted flag 'N', 'n' or zero, and for purchasing not a header whose first
// byte is 'O'.  Reads `header` (the caller's open handle) by date and puts its
// key back.  Returns true with the number in *count; false after the
// record-manager error box when the file could not be read (*count is then
// what was counted).  `reserved` is kept for the callers (0).
bool JournalSelectRun(BtrvHandle header, int reserved, int billing, long* count, std::int32_t fromDate,
                      std::int32_t toDate);

// Completes a service line (kind 6) of a billing or purchasing transaction
// from its service record (file 52): a blank description takes the
// service's, a blank department the service's account segment.  Returns 0;
// 1 (nothing changed) for a null argument.
int JournalFieldDefault(records::BiPoLine* line, const records::ServiceRecord* service);

// A listing's range bound as typed ("FIRST", "LAST ", a value): the open
// ends "FIRST" and "LAST" (letter case and blanks around them ignored)
// become the empty text, which bounds nothing; any other text is left as it
// is.  Returns text (null stays null).
char* RangeBoundConvert(char* text);
