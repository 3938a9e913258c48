// The posting services: what every posting run (general ledger, receivables
// and payables, billing and purchasing, assembly, inventory, physical
// inventory, finance charges) calls to walk its unposted transactions, read
// the records a transaction needs, write and post general-ledger
// transactions, keep the check register and the transaction numbers, and tell
// the user how the run went.
//
// The work record.  Every service takes the caller's TagPostWork.  A service
// that looks a record up finds the key it looked for in `key`; a service that
// fails leaves the file, operation and status of the failing step in it; a
// service that asked the user leaves the answer in `result` (1 stop the run,
// 2 skip this transaction).  A non-zero status or a result of 1 stops the run.
//
// Posting units.  Each transaction a run posts is one unit: its header mark
// (or its deletion) and every effect it has (accounts, check register,
// sequence numbers, its lines of a batch G/L transaction) are kept or lost
// together through the record manager's transactions, so a crash or a kill
// leaves every transaction wholly posted or wholly unposted and a rerun
// never posts anything twice.
//
// Groups.  A run's units are committed to disk in groups (the record
// manager's grouped commits): a group is committed once it holds 1000 units
// or has been open 200 ms, and always when the run ends (PostSummary, a
// stop, CommandFinish, PostingLeave), before the screen waits for the user
// (every message box, question or form: the services hook the screen
// library's key wait), and so before a detour or another program starts.  A
// crash or a kill takes back at most the last group, whole; a rerun posts
// it, once.  A group commit that fails is answered by the next service that
// commits (operation 20, result stop), or shown when the run ends, and the
// summary is never shown over it, so what a summary counts is on disk.
// The services draw the unit's bounds themselves:
//   - PostTranRead hands out a header inside a new unit, and commits the
//     previous header's unit before it reads the next one (a caller asks
//     for the next header only once the one in hand is done, marked or
//     skipped);
//   - PostSummary commits the unit still open: the run is complete;
//   - CommandFinish (and PostOutOfBalance) abandon the unit still open: the
//     run stopped in the middle of a transaction, which is left as it was;
//   - a service that writes several records while no unit is open (the batch
//     G/L posting at the end of a run) makes them one unit of its own.
// Runs that walk their files without PostTranRead bracket each transaction
// with PostUnitBegin and PostUnitCommit.  A stop keeps every unit committed
// before it.  A group holds the company folder's write lock from its first
// write until it commits, so another program's writes wait meanwhile (at
// most a group's 200 ms, or while the transaction in hand waits for the
// user; they fail with 84 after a few seconds).
//
// Amounts are doubles rounded with NumRound to cents and compared at cents.
// A G/L account keeps its balance and period amounts in its natural sign:
// kinds 1, 5 and 7 are debit-balance accounts (a debit raises them), every
// other kind a credit-balance account (a credit raises it).
//
// Everything runs on the UI thread; nothing here throws.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "btrvc.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

// --- The work record --------------------------------------------------------------

struct TagPostWork {
  char key[255] = {};          // the key or code looked for (NUL-ended text or key image)
  std::int32_t fileNo = 0;     // RecordFileNo of the last failing step
  std::int32_t operation = 0;  // its RecordOp (19/20/21 for a unit's begin, commit, abandon)
  std::int32_t status = 0;     // its RecordStatus, or a kPostStatus... below; 0 = ok
  std::int32_t reserved = 0;   // the base library's
  std::int32_t result = 0;     // kPostGoOn, kPostStop, kPostSkip
};

inline constexpr int kPostGoOn = 0;
inline constexpr int kPostStop = 1;
inline constexpr int kPostSkip = 2;

// Statuses of the posting services beyond the record manager's.
inline constexpr int kPostStatusOutOfBalance = 1001;  // debits and credits differ at cents
inline constexpr int kPostStatusNoPeriod = 1002;      // the period record names no period entry
inline constexpr int kPostStatusSummaryAccount = 1003;  // a summary account ('G') where postings need a detail one

// Ledgers of the posting options.
inline constexpr int kLedgerGeneral = 0;
inline constexpr int kLedgerReceivables = 1;
inline constexpr int kLedgerPayables = 2;
inline constexpr int kLedgerBilling = 4;
inline constexpr int kLedgerPurchasing = 5;
inline constexpr int kLedgerAssembly = 6;
inline constexpr int kLedgerPhysicalInventory = 7;
inline constexpr int kLedgerCount = 8;

// --- The run ----------------------------------------------------------------------

// Starts a posting run: forgets what an earlier run left (a unit still open
// is abandoned).
void PostRunStart();

// True the first time it is asked after PostRunStart, false after: gates a
// check a run makes once.
bool PostTranNext();

// Ends the work of a command: a posting unit still open is abandoned (the
// transaction it belongs to stays as it was before the run reached it), the
// units ended before it are committed (a failure is shown), and the run's
// state and the system settings read so far are forgotten.  Every posting
// and journal run calls it on each way out.  Returns 0.
int CommandFinish();

// The posting bracket of the runs that post a ledger outside the posting
// frame's walk (billing and purchasing 4/5, finance charges 1): PostingEnter
// starts a run for `ledger` (PostRunStart); PostingLeave, on every way out
// after the files are closed, abandons a unit still open and commits the
// units ended before it (a failure is shown).  The dispatcher calls
// PostingLeave when a command ends.  PostingEnter returns 0.
int PostingEnter(int ledger);
void PostingLeave();

// Units of runs that walk their files themselves.  PostUnitBegin opens a unit
// (joining a record-manager transaction the caller opened itself);
// PostUnitCommit commits the open unit.  Both return 0, or the
// record-manager status with the work record filled (operation 19 or 20); a
// failed commit leaves nothing of the unit.  PostUnitAbandon drops the open
// unit; with no unit open each does nothing.
int PostUnitBegin(TagPostWork* work);
int PostUnitCommit(TagPostWork* work);
void PostUnitAbandon();

// Commits the units ended so far to disk now, without waiting for their
// group to fill: for a run that tells something outside the books that a
// transaction is posted (the time-billing link).  0, or the status of the
// failed commit with the work record filled (operation 20), after which
// none of the group's units is kept.
int PostGroupCommit(TagPostWork* work);

// --- Walking the headers ---------------------------------------------------------------

// Reads the next unposted-candidate header of a posting run into `header`
// (the file's record length) through `handle`, in the order of the handle's
// current key.  `op` 6 reads the next one; any other op (the callers pass 9)
// reads the first: when the handle's key is the header file's key in date
// order (records::HeaderTraits), the walk starts at the first header dated on
// or after the period's first day (period->startDate), else from the key in
// `key`.  `key` (255 bytes) receives the record's key.  Headers come in key
// order whatever they hold; telling posted, deleted or out-of-period ones
// apart is the caller's.  `deleteFlag` is kept for the callers: the walk goes
// on after a header deleted by the remove services either way.
// Before reading, the unit of the header handed out last is committed.
// Returns 0 (the header is handed out in a new unit), 9 when there is no
// further header, or another status with the work record filled: the failing
// read, or a failed commit (operation 20, result stop), after which nothing
// of the previous header's unit is kept.  A caller treats any status but 0
// and 9 as a failure to show, not as the end of the walk.
int PostTranRead(int deleteFlag, int op, BtrvHandle handle, int headerFileNo, void* key, void* header,
                 const records::FiscalPeriodInfo* period, TagPostWork* work);

// --- Looking records up ------------------------------------------------------------

// Reads the G/L account `account` (its code, up to 10 characters; NUL or
// blanks end it) from the open accounts file into `accountRecord` (569
// bytes).  The code goes into work->key.  Returns the status (0, 4 not
// found, ...), also left in the work record with file 1 and operation 5.
// Nothing is shown; `mode` (1 in the check passes, 0 when posting) is kept
// for the callers.
int PostReadAccount(int mode, BtrvHandle accounts, const char* account, void* accountRecord,
                    TagPostWork* work);

// Reads the record of file `fileNo` whose key 0 is `code` (customers,
// vendors, products, services, tax codes, ...) into `record`.  The code goes
// into work->key.  Returns the status, also left in the work record with
// `fileNo` and operation 5.  Nothing is shown.
int PostReadRecordWork(BtrvHandle handle, int fileNo, const char* code, void* record, TagPostWork* work);

// Rewrites the master record that PostReadRecordWork last read through
// `handle` (a product of file 43, a service of file 52, a customer or
// vendor) with the caller's changed `record`: every byte the caller did not
// change is written back as read.  Returns 0, or the status with the work
// record filled (`fileNo`, operation 3).  The write belongs to the posting
// unit that is open.
int PostRecordStore(BtrvHandle handle, int fileNo, const void* record, TagPostWork* work);

// Checks the accounts of the account interface ("0Interface") that a run
// books to before it posts anything: each account named by its index in
// `interfaceAccounts` (records::InterfaceRecord::Account: 0 cash,
// 1 receivables, 2 payables, 3 inventory, 4 cost of goods, 5 sales, 6 sales
// returns, ... 12 freight) must be in the chart of accounts and be a detail
// account (type 'D').  The first that is not is named in a message (which
// account of the interface it is, and its code) and the run stops: the
// work record then holds its status (4 not on file or blank, or
// kPostStatusSummaryAccount), file 1 and its code in work->key.  The
// account read last is left in `account`.  `mode` is kept for the callers
// (1).  Returns the work status (0: every account may be posted to).
int PostLedgersCheck(int mode, BtrvHandle accounts, records::GLAccount* account,
                     const records::InterfaceRecord* iface, TagPostWork* work,
                     std::initializer_list<int> interfaceAccounts);

// The account of an interface account and a G/L segment (a department): the
// account without its trailing blanks followed by the segment without its
// trailing blanks, cut to the ten characters an account code holds.
// `out` receives it NUL-ended and zero-filled to 11 bytes.  `account` is
// read up to 11 bytes, `segment` up to 6 (neither need be NUL-ended, as a
// blank-padded segment is not); `segment` may be null or blank (the account
// alone).  Returns out.
char* GLAccountWithSegment(char* out, const char* account, const char* segment);

// --- Stock activity ---------------------------------------------------------------------

// Stores the stock activity record (file 62) of a posted line or
// transaction, built by the caller: it is numbered from the transaction
// sequence "IT" of file 23 (transactionNumber, right-aligned in ten
// characters, as NextTranNumber hands numbers out), marked posted ('Y': its
// value is already in the posting's G/L entry) and inserted through
// `activity`.  A purchasing receipt (source 'M') or return ('R') of a
// product that carries stock (types 1 and 3) also moves `product`, in
// memory, by the record: quantity on hand and second quantity on hand by
// its signed quantity, value on hand by its signed value (at cents); the
// caller stores the product (PostRecordStore).  Every other source leaves
// the product alone: its posting moved the product itself.  `product` may
// be null for them.  `reserved` is kept for the callers (0).  Returns 0, or
// the record-manager status, with the work record (when given) filled: file
// 23 for the number, file 62 for the insert.  The writes belong to the
// posting unit that is open.
int PostAmountLine(BtrvHandle activity, records::TagProduct* product, int reserved,
                   records::InventoryTransaction* record, TagPostWork* work = nullptr);

// --- Open-invoice lines of an account ------------------------------------------------------

// Writes an open-invoice line of the customer (file 5) or vendor (file 2)
// `account`: `op` 3 rewrites the line that OpenInvoiceRead
// (qxabase/open_invoices.h) read last, in place, through the handle it read
// it with; `op` 2 inserts `line` through that same handle (a posting that
// adds a line to an account reads one of the account's lines first, or
// passes `handle`).  `handle` 0 takes the handle of that read; another
// handle writes through it.  The line must belong to the account (its code
// is the account's, compared without case and trailing blanks): a line of
// another account is refused with kStatusInvalidOperation and nothing is
// written.  The invoice's open-invoice header is not touched: the caller
// that changes what the line adds to its invoice tells the invoice's
// QxOIHeader (OpenInvoiceUpdate does).  `header` names the billing or
// purchasing transaction the write comes from, or is null; it is kept for
// the callers.  Returns 0, or the status with the work record filled
// (the open-invoice file, `op`).  The write belongs to the posting unit
// that is open.
int RecordWriteOp(int op, BtrvHandle handle, records::TagOpenInvoice* line, const records::CustVendRecord* account,
                  const records::TagBiPoHeader* header, TagPostWork* work);

// --- General-ledger transactions -----------------------------------------------------

// The next transaction number of journal `journal` ("AR", "GJ": the key of
// its sequence record in file 23) into `numberOut` (11 bytes: the number
// right-aligned in 10 characters, as the G/L headers carry it).  A journal
// without a sequence record starts at 1.  `op` is kept for the callers (3).
// Returns 0, or the record-manager status (numberOut unchanged).
int NextTranNumber(int op, BtrvHandle sequences, const char* journal, char* numberOut);

// Gives the G/L header the next number of its journal's sequence (its
// journal code, offset 0), written into `number` (normally
// header->transactionNumber).  Returns 0, or the status with the work record
// filled (file 23).  Both argument orders of the callers are accepted.
int GLTranHeaderCreate(BtrvHandle sequences, records::TagGLHeader* header, char* number, TagPostWork* work);
int GLTranHeaderCreate(BtrvHandle sequences, char* number, records::TagGLHeader* header, TagPostWork* work);

// Inserts the G/L header into file 27.  When its number is taken already
// (a number typed in entry), the next numbers of the sequence that
// GLTranHeaderCreate used for it are tried.  Returns 0, or the status with
// the work record filled (file 27, operation 2).
int GLTranDetailCreate(BtrvHandle headers, records::TagGLHeader* header, TagPostWork* work);

// Writes `line` (its journal, number, account, description, side, amount and
// date filled by the caller) into the G/L lines file.  A negative amount is
// booked on the other side with its absolute value.  Mode 0 writes a new
// line numbered from *debitCounter ('D') or *creditCounter (any other side),
// which then go up by one; mode 1 (summary posting) adds the amount to the
// line of the same transaction, account, side and description written in
// mode 1 earlier in the run, else writes a new line as mode 0.  Returns 0,
// or the status with the work record filled (file 26).
int PostGLLine(int mode, BtrvHandle lines, int* debitCounter, int* creditCounter, records::GLLine* line,
               TagPostWork* work);

// Posts the G/L transaction of `header` (its lines in file 26, key 0) into
// the accounts: each line's amount goes, in the account's natural sign, to
// its current balance and to the period amount of period->entryIndex; the
// header is marked posted ('Y', also in the caller's buffer) and rewritten.
// *debit and *credit receive the transaction's totals, rounded to cents.
// When they differ at cents (status kPostStatusOutOfBalance), when an account
// is missing (4, file 1, its code in work->key) or the period names no entry
// (kPostStatusNoPeriod), nothing is changed.  Called while no unit is open,
// its writes are a unit of their own, kept whole or not at all; inside an
// open unit a failing write leaves the unit to be abandoned by the caller's
// stop (PostOutOfBalance or CommandFinish do it).  The status of the failing
// step is left in the work record.  The handles keep their key, and the
// header handle its place in the walk.  Returns the work status.
int PostGLBatch(BtrvHandle headers, BtrvHandle lines, BtrvHandle accounts, double* debit, double* credit,
                const records::FiscalPeriodInfo* period, records::TagGLHeader* header, TagPostWork* work,
                int reserved = 0);

// Reports why PostGLBatch refused a transaction (or a run's batch): out of
// balance with its debit and credit totals, an account not on file, or the
// record-manager error, and abandons the unit that was open.  Sets the work
// result to stop.  Returns 1.
int PostOutOfBalance(double debit, double credit, const records::TagGLHeader* header, TagPostWork* work);

// Removes a G/L transaction: its lines and its header.  `mode` 4 removes a
// posted transaction after posting (the delete-after-posting option); 3 takes
// back a run's batch transaction; both remove the same records.  A header that
// the walk is on is deleted in place, so that the walk goes on after it.
// Returns 0, or the status with the work record filled.
int PostGLTranRemove(int mode, BtrvHandle headers, BtrvHandle lines, const records::TagGLHeader* header,
                     TagPostWork* work);

// Removes an assembly transaction (file 11, through `headers`) with its
// component lines (file 10, through `components`, key 0: its number).  A
// header that a walk stands on (PostTranRead, or any walk of `headers`
// that has it as its current record) is deleted in place, so that the walk
// goes on after it; another is found by its number (key 0).  `mode` (4) is
// kept for the callers.  Returns 0, or the status with the work record
// filled.  The deletes belong to the posting unit that is open (or are a
// unit of their own).
int PostAssemblyTranRemove(int mode, BtrvHandle headers, BtrvHandle components, const records::AssemblyHeader* header,
                           TagPostWork* work);

// --- General-ledger posting's own steps -------------------------------------------------

// The pre-check of a G/L transaction (the ledger's check option): every line's
// account must be on file, and debits and credits must agree at cents.  A
// problem is shown with its transaction and the user chooses: the answer is
// the work result (1 stop, 2 skip); a record-manager error stops.  Returns
// the work result (0 when the transaction may be posted).
int GLPostCheck(BtrvHandle lines, BtrvHandle accounts, const records::TagGLHeader* header, TagPostWork* work);

// First step of posting a check transaction: `checkHeader` becomes the
// check's description, a copy of `header` dated no later than `periodEnd`;
// and the transaction-number sequence of the check's journal (file 23) is
// moved up to the check's number when that number is numeric and higher, so
// that the journal never hands out the number of a check already written.
// A record-manager error is shown (its answer, 1, is the result).  `headers`
// is kept for the callers.  Returns the work result.
int GLPostCheckRegister(BtrvHandle headers, BtrvHandle sequences, std::int32_t periodEnd,
                        records::TagGLHeader* checkHeader, const records::TagGLHeader* header,
                        TagPostWork* work);

// Second step: finds the check's bank account and amount in the
// transaction's lines: the account of its first credit line, and the credits
// to that account less the debits to it.  They go into checkHeader->holdText
// (the account) and checkHeader->amount; a transaction without a credit line
// leaves the account blank (nothing is registered).  A record-manager error
// is shown and stops.  Returns the work result.
int GLPostDetail(BtrvHandle lines, records::TagGLHeader* checkHeader, const records::TagGLHeader* header,
                 TagPostWork* work);

// The check register (file 14), opened by the object itself on first use
// and closed by its destructor.  Its writes belong to the posting unit that
// is open.  An entry is known by its bank account and check number (key 0).
// An entry whose state is 'N', 'n' or zero is open: written outside the
// general ledger (check printing) and not yet posted; posting marks it 'Y'.
class CBaseCheckReg {
 public:
  CBaseCheckReg() = default;
  ~CBaseCheckReg();
  CBaseCheckReg(const CBaseCheckReg&) = delete;
  CBaseCheckReg& operator=(const CBaseCheckReg&) = delete;

  // Inserts `entry` as it stands.  False on failure (GetResult).
  bool InsertReg(const records::TagCheckRegister* entry);

  // Marks the entry of check `checkNumber` posted (state 'Y'): the one of
  // `bankAccount`, or with a null or blank account the first entry of that
  // number.  With `side` 'D' only a deposit counts, with 'C' only a check
  // (an entry neither a deposit nor void): a customer's check never marks
  // one of the company's own.  False with GetResult 4 when there is none.
  bool Post(std::int32_t checkNumber, const char* bankAccount, char side = 0);

  // Registers a check of the general ledger from the check description that
  // GLPostCheckRegister and GLPostDetail made: an entry of its bank account
  // and number is marked posted; otherwise a posted entry is inserted (the
  // journal code, number, reference, date and amount of the transaction,
  // side 'C', kind 'G').  Registering the same check again changes nothing
  // more.  A check without a bank account registers nothing.  False on
  // failure (GetResult).
  bool UpdateFromGLTran(const records::TagGLHeader* checkHeader);

  // Removes the entries of bank account `bankAccount` dated (102) on or
  // before `through` whose state is no longer open, each one a unit of its
  // own, and counts them (GetPurgeCount).  True when the account's entries
  // were all looked at; false on failure (GetResult): the entries removed
  // before it stay removed.
  bool Purge(std::int32_t through, const char* bankAccount);
  // The entries the last Purge removed.
  long GetPurgeCount() const { return purged_; }

  // The record-manager status of the last operation (0 = ok).
  int GetResult() const { return result_; }

 private:
  int Open();

  BtrvHandle handle_ = 0;
  int result_ = 0;
  long purged_ = 0;
};

// --- The user ---------------------------------------------------------------------------

// Shows the summary of a run that completed: text `textNumber` (511) with
// the number of transactions posted and their debit and credit totals, in a
// box the user acknowledges (and in the transcript).  The unit still open and
// the run's group are committed first; when that fails, the record-manager
// error is shown in place of the summary and its status returned.  `reserved` is kept for the
// callers.  Returns 0.
int PostSummary(int textNumber, int reserved, long count, double debit, double credit);
// The same with a fourth argument of the text: what the run left as it was
// (the held transactions of the G/L posting, text 512).
int PostSummaryLeft(int textNumber, long count, double debit, double credit, long left);

// --- Posting options of each ledger -------------------------------------------------------
//
// Kept in the settings record "0PostOptions" of file 29
// (records::PostOptionsRecord): after the 16-byte
// key, eight bytes per ledger (0-7, kLedger...): delete after posting, check
// first, confirm unprinted transactions, post in detail, ask about
// transactions not marked ready; 'Y', 'y' or 1 set, 'N' clear, zero the
// default.  A company without the record takes the defaults: check first on,
// every other option off.  Each returns 1 when set, else 0 (also for an
// unknown ledger).

// Delete the transactions after posting (the options screen's preset).
int PostLedgerOption(int ledger);
// Check each transaction before posting it (the pre-check).
int LedgerCheckFlag(int ledger);
// Ask before posting a transaction that the ledger's journal has not printed.
int LedgerConfirmFlag(int ledger);
// Post each line in detail instead of one summary line per account.
int PostOption557(int ledger);
// Ask before posting a transaction that entry has not marked ready.
int PostOption559(int ledger);
