// The settings records of file 29 and the base library's fiscal-period work
// record.
//
// File 29 holds one record per `SettingsKey`: the letter "0" and a name,
// blank-padded to 15 characters ("0Interface     "), in bytes 0-14 of the
// record, followed by one more byte.  The records differ in length (the file
// is a variable-length file); each has its struct here, and the dictionary
// (records/dictionary.h) picks the layout of a record by its key.  A command
// that rewrites a settings record reads it with get-equal plus the lock bias
// (405), changes the fields it names and writes the whole record back (op 3).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "records/field.h"
#include "records/record_image.h"

namespace records {

// The first 16 bytes of every settings record.
struct SettingsHeader {
  char key[15];  // "0" and the name, blank-padded
  QX_UNNAMED(15, 1);
};

// The settings key of `name` ("0Periods" or "Periods"): "0" and the name,
// blank-padded to 15 characters.
struct SettingsKey {
  char text[15];
};
SettingsKey MakeSettingsKey(std::string_view name);

// "0Interface": the G/L interface accounts of the company.  The account codes
// stand one after another from offset 17, account i at 17 + 11 × i; billing
// line posting addresses cost of goods, sales and sales returns by index
// (kCostOfGoodsIndex, kSalesIndex, kSalesReturnsIndex).
struct InterfaceRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  char glMode;  // 'C' customer segment, 'I' per item (physical inventory: per product), else plain
  char cashAccount[11];
  char receivablesAccount[11];
  char payablesAccount[11];
  char inventoryAccount[11];
  char costOfGoodsAccount[11];   // physical inventory: the adjustment account or its stem
  char salesAccount[11];
  char salesReturnsAccount[11];
  char financeChargeAccount[11];
  char receivablesDiscountAccount[11];
  char payablesDiscountAccount[11];
  char closingAccount[11];       // blank: the year close asks for it
  char serviceComponentAccount[11];
  char freightAccount[11];
  QX_UNNAMED(160, 22);

  static constexpr int kCostOfGoodsIndex = 4;
  static constexpr int kSalesIndex = 5;
  static constexpr int kSalesReturnsIndex = 6;
  static constexpr int kAccountCount = 13;
  // The account at `index` (0 cash ... 12 freight), as stored (11 bytes).
  const char* Account(int index) const {
    return reinterpret_cast<const char*>(this) + 17 + 11 * index;
  }
};

// One fiscal period of `PeriodsRecord`.
struct PeriodEntry {
  char status;  // 'O' open, 'C' closed
  char kind;    // 'I' on the fresh next-year entries made by the year close
  char label[7];
  I32 startDate;
  I32 endDate;

  bool IsOpen() const { return status == 'O'; }
};

// "0Periods": this fiscal year and next.  A year has N = periodsPerYear
// periods (at most 13); periods are numbered 1..N this year and N+1..2N next
// year.  Entries 0-12 are this year's periods 1-13, entries 13-25 next year's.
struct PeriodsRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  I16 periodsPerYear;
  I16 nextOpenPeriod;  // first period not yet closed (1..2N); -1 = none
  PeriodEntry entries[26];

  static constexpr int kMaxPeriodsPerYear = 13;
  static constexpr int kNextYearFirstEntry = 13;
  // The entry index of period number `period` (1..2N), or -1.
  int EntryOfPeriod(int period) const;
  // The period number (1..2N) of entry `index`, or -1 for an entry that holds
  // no period of the two years.
  int PeriodOfEntry(int index) const;
  // The entry index (0-25) of the period that holds `date`, or -1.
  int EntryOfDate(std::int32_t date) const;
};

// The period key of a date: the first day of the fiscal period (of this year
// or next) that holds it, or 0 when no period holds it.  Transaction headers
// store it, and the journals' "Journal" mode selects by it; it grows with the
// date and stays the same when the year close renumbers the periods.
std::int32_t PeriodKeyOf(const PeriodsRecord& periods, std::int32_t date);

// One 13-byte entry of "0TransInfo".  The billing journal uses entry 4, every
// other journal entry 1.
struct TransInfoEntry {
  QX_UNNAMED(0, 6);
  char keepTypedNumbers;  // 'Y', 'y' or 1: transaction numbers stay as typed
  QX_UNNAMED(7, 6);

  bool KeepsTypedNumbers() const {
    return keepTypedNumbers == 'Y' || keepTypedNumbers == 'y' || keepTypedNumbers == 1;
  }
};

// "0TransInfo": transaction-numbering settings and the statement settings.
struct TransInfoRecord {
  char key[15];
  QX_UNNAMED(15, 121);
  TransInfoEntry entries[6];
  QX_UNNAMED(214, 3);
  char statementFooterAmounts;  // 'N': footer amount lines stay blank until the items are done
  char statementOption;         // preset of the statement options' option flag
  QX_UNNAMED(219, 4);
  U16 statementDetailLines;  // detail lines written per open item
  QX_UNNAMED(225, 301);

  static constexpr int kBillingJournalEntry = 4;
  static constexpr int kOtherJournalEntry = 1;
};

// "0Company": the company's name, address and tax numbers.
struct CompanyRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  char name[41];
  QX_UNNAMED(57, 41);
  char addressLine1[41];
  char addressLine2[41];
  char cityStateZip[41];
  // The city, state and ZIP of the payer as the 1096 prints them: filled
  // from the city/state/ZIP line on the 1096 screen, never stored.
  char city[16];
  char state[4];
  char zip[11];
  char phone[16];
  QX_UNNAMED(268, 125);
  char federalId[14];
  QX_UNNAMED(407, 17);
  char stateNumber[14];
  QX_UNNAMED(438, 380);
};

// "0System": the folders of the sibling programs (commands 701-705).
struct SystemRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  char programFolders[5][36];
};

// One aging period of "0Schedule": a label and a range of days.
struct AgingPeriod {
  char label[11];
  I16 fromDays;
  I16 toDays;
};

// "0Schedule" (`AgingSchedule`): the aging periods of customers and vendors.
struct AgingSchedule {
  char key[15];
  QX_UNNAMED(15, 1);
  AgingPeriod customerPeriods[7];
  AgingPeriod vendorPeriods[7];
};

// "0Statements": ten 41-byte lines; lines 2-9 are four two-line statement
// messages.
struct StatementsRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  char lines[10][41];
};

// "0SysPrefs": the system settings by number, read by the base library's
// SysFlagGet and SysCodeGet (qxabase/settings.h, which lists the numbers and
// their defaults).  Flag n (0-31) is byte 16 + n, code n byte 48 + n.  A flag
// is set by 'Y', 'y' or 1 and cleared by 'N'; a zero byte, flag or code,
// takes the default.  The settings the system uses are named; the bytes of
// the other numbers are kept as read.
struct SysPrefsRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  char sharedPosting;         // flag 0: posting opens its files shared instead of exclusive
  QX_UNNAMED(17, 8);          // flags 1-8
  char keepBackOrders;        // flag 9: billing posting keeps back orders
  char keepSalesHistory;      // flag 10: billing posting keeps sales history
  char rememberReportParams;  // flag 11: selection screens remember report parameters
  char purgeWarnings;         // flag 12: the purge warns about unposted-looking purchasing work
  char glOnLine;              // flag 13: each posted transaction gets its own G/L transaction at once
  QX_UNNAMED(30, 18);         // flags 14-31
  QX_UNNAMED(48, 8);          // codes 0-7
  char costingMethod;         // code 8: 'A' average, 'L' last, 'S' standard
  QX_UNNAMED(57, 23);         // codes 9-31

  static constexpr int kSettingCount = 32;
  static constexpr int kFlagsOffset = 16;
  static constexpr int kCodesOffset = 48;
  // The stored byte of flag `number` / code `number` (0..kSettingCount - 1).
  char Flag(int number) const { return reinterpret_cast<const char*>(this)[kFlagsOffset + number]; }
  char Code(int number) const { return reinterpret_cast<const char*>(this)[kCodesOffset + number]; }
};

// The posting options of one ledger in "0PostOptions": 'Y', 'y' or 1 set,
// 'N' clear, zero the default (the base library's PostLedgerOption and its
// siblings, qxabase/posting.h).
struct LedgerPostOptions {
  char deleteAfterPosting;  // delete the transactions after posting (the screen's preset)
  char checkFirst;          // check each transaction before posting it
  char confirmUnprinted;    // ask before posting a transaction the journal has not printed
  char postInDetail;        // post each line instead of one summary line per account
  char askIfUnflagged;      // ask before posting a transaction entry has not marked ready
  QX_UNNAMED(5, 3);
};

// "0PostOptions": the posting options of each ledger, eight bytes a ledger,
// by the base library's ledger number (0 general, 1 receivables,
// 2 payables, 4 billing, 5 purchasing, 6 assembly, 7 physical inventory).
struct PostOptionsRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  LedgerPostOptions ledgers[8];

  static constexpr int kLedgerCount = 8;
};

// "0BiPoPeriod": the pending posting period of billing and purchasing, by
// its first day (a day number; 0 none).  A complete billing run (or a
// purchasing run that leaves no billing of its period unposted) moves it to
// the period after the one it posted; while it is set, the two postings take
// only dates of that period (qxabase/settings.h, FiscalPeriodOfDate).  Kept
// by its first day, so that the year close's renumbering of the periods
// leaves it where it is.
struct PendingPeriodRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  I32 firstDay;
  QX_UNNAMED(20, 12);
};

// The base library's fiscal-period work record (`FiscalPeriodInfo`), filled
// by `FiscalPeriodOfDate` for a date.  Not stored in any file.
struct FiscalPeriodInfo {
  QX_UNNAMED(0, 2);
  std::uint8_t yearFlag;  // non-zero: posting updates statistics slot 4 instead of 2
  QX_UNNAMED(3, 6);
  I32 pendingPeriod;  // pending posting period (1 or more when there is one)
  I32 period;         // period number of the date (1..2N)
  I32 entryIndex;     // index (0-25) of the date's period in PeriodsRecord::entries
  I32 journalStartDate;  // default start of the G/L journal's date range
  QX_UNNAMED(25, 4);
  I32 startDate;    // first day of the date's period
  I32 endDate;      // last day of the date's period
  QX_UNNAMED(37, 4);
  I32 pendingDate;  // date of the pending posting period

  // The statistics slot that posting updates: 4 when the year flag is set, else 2.
  int StatisticsSlot() const { return yearFlag ? 4 : 2; }
};

static_assert(sizeof(SettingsHeader) == 16);
static_assert(sizeof(InterfaceRecord) == 182);
static_assert(sizeof(PeriodEntry) == 17);
static_assert(sizeof(PeriodsRecord) == 462);
static_assert(sizeof(TransInfoEntry) == 13);
static_assert(sizeof(TransInfoRecord) == 526);
static_assert(offsetof(TransInfoRecord, entries) + 13 * TransInfoRecord::kBillingJournalEntry == 188);
static_assert(offsetof(TransInfoRecord, entries) + 13 * TransInfoRecord::kOtherJournalEntry == 149);
static_assert(sizeof(CompanyRecord) == 818);
static_assert(sizeof(SystemRecord) == 196);
static_assert(sizeof(AgingPeriod) == 15);
static_assert(sizeof(AgingSchedule) == 226);
static_assert(sizeof(StatementsRecord) == 426);
static_assert(sizeof(SysPrefsRecord) == 80);
static_assert(offsetof(SysPrefsRecord, sharedPosting) == SysPrefsRecord::kFlagsOffset + 0);
static_assert(offsetof(SysPrefsRecord, keepBackOrders) == SysPrefsRecord::kFlagsOffset + 9);
static_assert(offsetof(SysPrefsRecord, purgeWarnings) == SysPrefsRecord::kFlagsOffset + 12);
static_assert(offsetof(SysPrefsRecord, glOnLine) == SysPrefsRecord::kFlagsOffset + 13);
static_assert(offsetof(SysPrefsRecord, costingMethod) == SysPrefsRecord::kCodesOffset + 8);
static_assert(SysPrefsRecord::kCodesOffset + SysPrefsRecord::kSettingCount == sizeof(SysPrefsRecord));
static_assert(sizeof(LedgerPostOptions) == 8);
static_assert(sizeof(PostOptionsRecord) == 80);
static_assert(offsetof(PostOptionsRecord, ledgers) == 16);
static_assert(sizeof(PendingPeriodRecord) == 32);
static_assert(offsetof(PendingPeriodRecord, firstDay) == 16);
static_assert(sizeof(FiscalPeriodInfo) == 45);
static_assert(offsetof(FiscalPeriodInfo, yearFlag) == 2);
static_assert(offsetof(FiscalPeriodInfo, pendingPeriod) == 9);
static_assert(offsetof(FiscalPeriodInfo, period) == 13);
static_assert(offsetof(FiscalPeriodInfo, entryIndex) == 17);
static_assert(offsetof(FiscalPeriodInfo, journalStartDate) == 21);
static_assert(offsetof(FiscalPeriodInfo, startDate) == 29);
static_assert(offsetof(FiscalPeriodInfo, endDate) == 33);
static_assert(offsetof(FiscalPeriodInfo, pendingDate) == 41);

// ---- Field tables ---------------------------------------------------------

inline constexpr FieldDef kInterfaceFields[] = {
    QX_PADDED(InterfaceRecord, key, 0),
    QX_CHAR(InterfaceRecord, glMode, 16),
    QX_TEXT(InterfaceRecord, cashAccount, 17),
    QX_TEXT(InterfaceRecord, receivablesAccount, 28),
    QX_TEXT(InterfaceRecord, payablesAccount, 39),
    QX_TEXT(InterfaceRecord, inventoryAccount, 50),
    QX_TEXT(InterfaceRecord, costOfGoodsAccount, 61),
    QX_TEXT(InterfaceRecord, salesAccount, 72),
    QX_TEXT(InterfaceRecord, salesReturnsAccount, 83),
    QX_TEXT(InterfaceRecord, financeChargeAccount, 94),
    QX_TEXT(InterfaceRecord, receivablesDiscountAccount, 105),
    QX_TEXT(InterfaceRecord, payablesDiscountAccount, 116),
    QX_TEXT(InterfaceRecord, closingAccount, 127),
    QX_TEXT(InterfaceRecord, serviceComponentAccount, 138),
    QX_TEXT(InterfaceRecord, freightAccount, 149),
};
inline constexpr Layout kInterfaceLayout{"InterfaceRecord", sizeof(InterfaceRecord), kInterfaceFields};

inline constexpr FieldDef kPeriodEntryFields[] = {
    QX_CHAR(PeriodEntry, status, 0),
    QX_CHAR(PeriodEntry, kind, 1),
    QX_TEXT(PeriodEntry, label, 2),
    QX_DATE(PeriodEntry, startDate, 9),
    QX_DATE(PeriodEntry, endDate, 13),
};
inline constexpr Layout kPeriodEntryLayout{"PeriodEntry", sizeof(PeriodEntry), kPeriodEntryFields};

inline constexpr FieldDef kPeriodsFields[] = {
    QX_PADDED(PeriodsRecord, key, 0),
    QX_NUMBER(PeriodsRecord, periodsPerYear, 16),
    QX_NUMBER(PeriodsRecord, nextOpenPeriod, 18),
    QX_GROUP(PeriodsRecord, entries, 20, kPeriodEntryLayout),
};
inline constexpr Layout kPeriodsLayout{"PeriodsRecord", sizeof(PeriodsRecord), kPeriodsFields};

inline constexpr FieldDef kTransInfoEntryFields[] = {
    QX_CHAR(TransInfoEntry, keepTypedNumbers, 6),
};
inline constexpr Layout kTransInfoEntryLayout{"TransInfoEntry", sizeof(TransInfoEntry),
                                              kTransInfoEntryFields};

inline constexpr FieldDef kTransInfoFields[] = {
    QX_PADDED(TransInfoRecord, key, 0),
    QX_GROUP(TransInfoRecord, entries, 136, kTransInfoEntryLayout),
    QX_CHAR(TransInfoRecord, statementFooterAmounts, 217),
    QX_CHAR(TransInfoRecord, statementOption, 218),
    QX_NUMBER(TransInfoRecord, statementDetailLines, 223),
};
inline constexpr Layout kTransInfoLayout{"TransInfoRecord", sizeof(TransInfoRecord), kTransInfoFields};

inline constexpr FieldDef kCompanyFields[] = {
    QX_PADDED(CompanyRecord, key, 0),
    QX_TEXT(CompanyRecord, name, 16),
    QX_TEXT(CompanyRecord, addressLine1, 98),
    QX_TEXT(CompanyRecord, addressLine2, 139),
    QX_TEXT(CompanyRecord, cityStateZip, 180),
    QX_TEXT(CompanyRecord, phone, 252),
    QX_TEXT(CompanyRecord, federalId, 393),
    QX_TEXT(CompanyRecord, stateNumber, 424),
};
inline constexpr Layout kCompanyLayout{"CompanyRecord", sizeof(CompanyRecord), kCompanyFields};

inline constexpr FieldDef kSystemFields[] = {
    QX_PADDED(SystemRecord, key, 0),
    QX_TEXT(SystemRecord, programFolders, 16),
};
inline constexpr Layout kSystemLayout{"SystemRecord", sizeof(SystemRecord), kSystemFields};

inline constexpr FieldDef kAgingPeriodFields[] = {
    QX_TEXT(AgingPeriod, label, 0),
    QX_NUMBER(AgingPeriod, fromDays, 11),
    QX_NUMBER(AgingPeriod, toDays, 13),
};
inline constexpr Layout kAgingPeriodLayout{"AgingPeriod", sizeof(AgingPeriod), kAgingPeriodFields};

inline constexpr FieldDef kAgingScheduleFields[] = {
    QX_PADDED(AgingSchedule, key, 0),
    QX_GROUP(AgingSchedule, customerPeriods, 16, kAgingPeriodLayout),
    QX_GROUP(AgingSchedule, vendorPeriods, 121, kAgingPeriodLayout),
};
inline constexpr Layout kAgingScheduleLayout{"AgingSchedule", sizeof(AgingSchedule),
                                             kAgingScheduleFields};

inline constexpr FieldDef kStatementsFields[] = {
    QX_PADDED(StatementsRecord, key, 0),
    QX_TEXT(StatementsRecord, lines, 16),
};
inline constexpr Layout kStatementsLayout{"StatementsRecord", sizeof(StatementsRecord),
                                          kStatementsFields};

inline constexpr FieldDef kSysPrefsFields[] = {
    QX_PADDED(SysPrefsRecord, key, 0),
    QX_CHAR(SysPrefsRecord, sharedPosting, 16),
    QX_CHAR(SysPrefsRecord, keepBackOrders, 25),
    QX_CHAR(SysPrefsRecord, keepSalesHistory, 26),
    QX_CHAR(SysPrefsRecord, rememberReportParams, 27),
    QX_CHAR(SysPrefsRecord, purgeWarnings, 28),
    QX_CHAR(SysPrefsRecord, glOnLine, 29),
    QX_CHAR(SysPrefsRecord, costingMethod, 56),
};
inline constexpr Layout kSysPrefsLayout{"SysPrefsRecord", sizeof(SysPrefsRecord), kSysPrefsFields};

inline constexpr FieldDef kLedgerPostOptionsFields[] = {
    QX_CHAR(LedgerPostOptions, deleteAfterPosting, 0),
    QX_CHAR(LedgerPostOptions, checkFirst, 1),
    QX_CHAR(LedgerPostOptions, confirmUnprinted, 2),
    QX_CHAR(LedgerPostOptions, postInDetail, 3),
    QX_CHAR(LedgerPostOptions, askIfUnflagged, 4),
};
inline constexpr Layout kLedgerPostOptionsLayout{"LedgerPostOptions", sizeof(LedgerPostOptions),
                                                 kLedgerPostOptionsFields};

inline constexpr FieldDef kPostOptionsFields[] = {
    QX_PADDED(PostOptionsRecord, key, 0),
    QX_GROUP(PostOptionsRecord, ledgers, 16, kLedgerPostOptionsLayout),
};
inline constexpr Layout kPostOptionsLayout{"PostOptionsRecord", sizeof(PostOptionsRecord),
                                           kPostOptionsFields};

inline constexpr FieldDef kPendingPeriodFields[] = {
    QX_PADDED(PendingPeriodRecord, key, 0),
    QX_DATE(PendingPeriodRecord, firstDay, 16),
};
inline constexpr Layout kPendingPeriodLayout{"PendingPeriodRecord", sizeof(PendingPeriodRecord),
                                             kPendingPeriodFields};

static_assert(ValidLayout(kInterfaceLayout));
static_assert(ValidLayout(kPendingPeriodLayout));
static_assert(ValidLayout(kPeriodsLayout));
static_assert(ValidLayout(kTransInfoLayout));
static_assert(ValidLayout(kCompanyLayout));
static_assert(ValidLayout(kSystemLayout));
static_assert(ValidLayout(kAgingScheduleLayout));
static_assert(ValidLayout(kStatementsLayout));
static_assert(ValidLayout(kSysPrefsLayout));
static_assert(ValidLayout(kPostOptionsLayout));

// ---- Statements, letters and labels ---------------------------------------------------
// Two settings records of their own: which texts they are merged from, the
// address switches of letters and labels, and the label stocks' layouts as
// the user corrected them.  A company without them takes the defaults of the
// base data (merge/forms.txt, merge/label-stocks.txt).

// "0MergeForms": the texts (file names in the company's text folder) of the
// statements, letters and labels, and the switches of letters and labels.
// A switch is set by 'Y', 'y' or 1; 0 takes the default.
struct MergeFormsRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  char closingLine;      // build the closing address line (city, state and zip code)
  char addressBottom;    // the address lines close up towards the bottom of the block
  char addressApart;     // the closing line prints apart: its own line leaves the block
  char lettersSamePage;  // a letter's copies follow one another without a new page
  QX_UNNAMED(20, 12);
  char texts[5][33];     // statement page, invoice lines, customer letter, vendor letter, labels
  QX_UNNAMED(197, 11);

  static constexpr int kTextCount = 5;
};

// One label stock's layout, in hundredths of an inch.  `across` 0: the
// stock's published layout applies (the record keeps only corrections).
struct LabelLayout {
  I16 across;       // labels side by side
  I16 rows;         // rows of labels on a sheet; 0: continuous forms (rows as a page holds)
  I16 width;        // a label's width
  I16 height;       // a label's height
  I16 pitchAcross;  // from a label's left edge to the next one's
  I16 pitchDown;    // from a label's top edge to the next row's
  I16 top;          // from the top of the page to the first row
  I16 left;         // from the left of the page to the first label
};

// "0LabelLayouts": the seven label stocks of the labels' options screen, in
// the order of its choices.
struct LabelLayoutsRecord {
  char key[15];
  QX_UNNAMED(15, 1);
  LabelLayout stocks[7];

  static constexpr int kStockCount = 7;
};

static_assert(sizeof(MergeFormsRecord) == 208);
static_assert(offsetof(MergeFormsRecord, texts) == 32);
static_assert(sizeof(LabelLayout) == 16);
static_assert(sizeof(LabelLayoutsRecord) == 128);

inline constexpr FieldDef kMergeFormsFields[] = {
    QX_PADDED(MergeFormsRecord, key, 0),
    QX_CHAR(MergeFormsRecord, closingLine, 16),
    QX_CHAR(MergeFormsRecord, addressBottom, 17),
    QX_CHAR(MergeFormsRecord, addressApart, 18),
    QX_CHAR(MergeFormsRecord, lettersSamePage, 19),
    QX_TEXT(MergeFormsRecord, texts, 32),
};
inline constexpr Layout kMergeFormsLayout{"MergeFormsRecord", sizeof(MergeFormsRecord), kMergeFormsFields};

inline constexpr FieldDef kLabelLayoutFields[] = {
    QX_NUMBER(LabelLayout, across, 0),      QX_NUMBER(LabelLayout, rows, 2),
    QX_NUMBER(LabelLayout, width, 4),       QX_NUMBER(LabelLayout, height, 6),
    QX_NUMBER(LabelLayout, pitchAcross, 8), QX_NUMBER(LabelLayout, pitchDown, 10),
    QX_NUMBER(LabelLayout, top, 12),        QX_NUMBER(LabelLayout, left, 14),
};
inline constexpr Layout kLabelLayoutLayout{"LabelLayout", sizeof(LabelLayout), kLabelLayoutFields};

inline constexpr FieldDef kLabelLayoutsFields[] = {
    QX_PADDED(LabelLayoutsRecord, key, 0),
    QX_GROUP(LabelLayoutsRecord, stocks, 16, kLabelLayoutLayout),
};
inline constexpr Layout kLabelLayoutsLayout{"LabelLayoutsRecord", sizeof(LabelLayoutsRecord),
                                            kLabelLayoutsFields};

static_assert(ValidLayout(kMergeFormsLayout));
static_assert(ValidLayout(kLabelLayoutsLayout));

// The settings records the system knows, by key name.
inline constexpr RecordVariant kSettingsVariants[] = {
    {"0Interface", &kInterfaceLayout}, {"0Periods", &kPeriodsLayout},
    {"0TransInfo", &kTransInfoLayout}, {"0Company", &kCompanyLayout},
    {"0System", &kSystemLayout},       {"0Schedule", &kAgingScheduleLayout},
    {"0Statements", &kStatementsLayout}, {"0SysPrefs", &kSysPrefsLayout},
    {"0PostOptions", &kPostOptionsLayout}, {"0BiPoPeriod", &kPendingPeriodLayout},
    {"0MergeForms", &kMergeFormsLayout}, {"0LabelLayouts", &kLabelLayoutsLayout},
};

// The layout of the settings record whose key (blank-padded or not) is `key`,
// or null for a key the system does not know.
const Layout* SettingsLayoutOf(std::string_view key);

}  // namespace records
