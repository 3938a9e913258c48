// The data dictionary of fields and the temporary sort indexes built from it.
//
// The system names a field of a record by its table and a field number: the
// table is a file's table name (FileTableName: "customers", "products") or
// the name of a temporary file ("TEMPCSVD.DB"); the number is the one the
// selection screens, the journals' column dictionary and the report
// parameter strings use (customer field 1 the code, 53 the name, 67 the G/L
// account; product field 5 the bin).  A definition gives the field's place in
// the record, its type, caption and print format.  Files that share a layout
// share a table: vendors are read with the customers' table (66 → 22),
// receivables open invoices with the payables' (5 → 2), and so on
// (DictTableOf).
//
// The definitions are kept in the field dictionary, a record file (file 95)
// that DictQueryInit opens; DictQueryJoin reads one definition from it.  The
// same definitions are at hand without a handle through DictFieldFind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "btrvc.h"

// Value types of a field definition.
enum DictValueType : std::int16_t {
  kDictChar = 1,     // one character
  kDictText = 2,     // text (NUL-ended or blank-padded)
  kDictDate = 3,     // int32 day number
  kDictInt16 = 4,    // 16-bit whole number
  kDictInt32 = 5,    // 32-bit whole number
  kDictFloat = 9,    // 4-byte float
  kDictAmount = 10,  // 8-byte float printed with 2 decimals
  kDictDouble = 11,  // 8-byte float printed by its format
};

// Flags of a field definition.
inline constexpr std::uint8_t kDictNoCase = 0x01;  // a text compared without regard to letter case

#pragma pack(push, 1)
// One field's definition, 85 bytes, as DictQueryJoin fills it.
struct DictFieldDef {
  char tableName[12];        // the dictionary table, NUL-ended (cut at 11)
  std::int16_t fieldNumber;
  std::uint8_t keyType;      // the record manager's KeyType of the value
  std::uint8_t flags;        // kDictNoCase
  std::int16_t decimals;     // amounts and numbers: decimals printed
  std::int16_t offset;       // the value's offset in the record
  std::int16_t length;       // the value's width in bytes
  std::int16_t valueType;    // DictValueType
  char caption[41];          // the field's caption ("Customer Code")
  std::uint8_t reserved;
  char format[19];           // printf format of the value ("%-10s", "%11.2f")
};
#pragma pack(pop)
static_assert(sizeof(DictFieldDef) == 85);
static_assert(offsetof(DictFieldDef, offset) == 18);
static_assert(offsetof(DictFieldDef, valueType) == 22);
static_assert(offsetof(DictFieldDef, format) == 66);

// The dictionary table that holds the fields of file `fileNo` (mode bits
// ignored): its own table name, or that of the file whose layout it shares.
// "" for an unknown file.
const char* DictTableOf(int fileNo);

// The definition of field `fieldNumber` of table `tableName` (compared
// without case; a file's table name or a file it shares its layout with);
// null when the dictionary has none.
const DictFieldDef* DictFieldFind(const char* tableName, int fieldNumber);

// Opens the field dictionary (file 95 in the data-dictionary folder) and
// sets *handle.  A data-dictionary folder that lacks it, or the journals'
// column dictionary (file 94), has both written there first
// (DictionaryFilesWrite); where the folder cannot be written, a copy of the
// field dictionary in the temporary folder is opened.  The caller closes it with BtrvClose.  Returns 0, or the
// record-manager status (nothing shown).
int DictQueryInit(BtrvHandle* handle);

// Reads the definition of field `fieldNumber` of table `tableName` (blank
// padding ignored) through `handle` into *def.  Returns 0; 4 after a message
// when the dictionary has no such field; another record-manager status after
// the error box.
int DictQueryJoin(BtrvHandle handle, int fieldNumber, const char* tableName, DictFieldDef* def);

// Turns a definition into a 16-byte key segment of a supplementary index
// (BtrvCreateIndex): position, length, duplicates and modifiable, the
// extended type, no case for texts.  The segmented flag (0x10) is the
// caller's to add to every segment but the last.  *needsCollating (may be
// null) is set to 0: case is handled by the segment's no-case flag, so no
// alternate collating sequence is needed.  Returns 0, or 1 for a definition
// whose type makes no key.
int DictQueryLink(void* segment16, const DictFieldDef* def, int* needsCollating);

// A field list: int16 count at offset 0, then `count` DictFieldDef.
int DictFieldListCount(const void* list);
const DictFieldDef* DictFieldListAt(const void* list, int index);

// Builds the field list of the fields of table `tableName` named by the
// −1-ended list into `list` (`capacity` bytes).  Returns 0; 1 after a
// message when a field is unknown; 2 when the list does not fit.
int DictFieldListBuildList(const char* tableName, int capacity, void* list, const int* fields);

// DictFieldListBuild("TEMPCSVD.DB", 810, list, first, second, 105, -1).
template <class... Fields>
int DictFieldListBuild(const char* tableName, int capacity, void* list, Fields... fields) {
  static_assert(((std::is_integral_v<Fields> || std::is_enum_v<Fields>) && ...), "field numbers are ints");
  const int numbers[] = {static_cast<int>(fields)..., -1};
  return DictFieldListBuildList(tableName, capacity, list, numbers);
}

// A record as a row of a pick list over the fields of `list`, in list
// order: each value as its type shows it (texts up to 30 characters, dates
// mm/dd/yy, amounts with two decimals), in a column as wide as the wider of
// its values and its caption (cut to 12), numbers right-aligned, two blanks
// between columns.
std::string DictFieldListRow(const void* list, const void* record);
// The column headings of such rows: the captions in the same columns, after
// one blank.
std::string DictFieldListHeading(const void* list);

// Writes the field dictionary (file 95) and the journals' column dictionary
// WQXACCOL.DB (file 94) into `folder` (an installation's QXACDICT), replacing
// what is there.  Returns 0 or the record-manager status.
int DictionaryFilesWrite(const char* folder);

// --- Criterion blocks ----------------------------------------------------------
// A from/to selection on one dictionary field of a record (the journals'
// "Listing" criteria): set up with the field's definition, given its two
// ends as typed, then asked of each record.  An empty end is open.  Texts
// compare as the field's definition says (without case for codes and
// names), dates as day numbers, numbers as numbers.

#pragma pack(push, 1)
struct CriterionBlock {
  std::int16_t fieldNumber;  // 0: no field (every record passes)
  std::int16_t valueType;    // DictValueType
  std::int16_t offset;
  std::int16_t length;
  std::uint8_t flags;        // kDictNoCase
  std::uint8_t fromEmpty;
  std::uint8_t toEmpty;
  std::uint8_t valid;        // 1 when both ends converted (a date, a number)
  std::uint8_t reserved1[4];
  char fromText[255];        // as typed, at offset 16
  char toText[255];          // at offset 271
  double fromNumber;
  double toNumber;
  std::uint8_t reserved2[335];
};
#pragma pack(pop)
static_assert(sizeof(CriterionBlock) == 877);
static_assert(offsetof(CriterionBlock, fromText) == 16);
static_assert(offsetof(CriterionBlock, toText) == 271);

// Clears the block: no field, both ends open.
void CriterionInit(CriterionBlock* block);
// Takes the field the block tests from its definition (DictQueryJoin).
void CriterionFieldsSet(CriterionBlock* block, const DictFieldDef* def);
// Sets the ends as typed (null or blank: open; "FIRST"/"LAST " open too).
// A date end is read with DateFromText, a number end as a decimal number.
void CriterionValueSet(CriterionBlock* block, const char* fromText, const char* toText);
// False when the criterion cannot be used: an end that is not a date or a
// number of the field's kind, or a from end after the to end.
bool CriterionIsSet(const CriterionBlock* block);
// True when the record's field lies between the ends (open ends pass; a
// block without a field passes every record).
bool CriterionMatch(const CriterionBlock* block, const void* record);

// --- Temporary sort indexes --------------------------------------------------

// Adds a temporary index to the open file `handle` of file `fileNo`: the
// fields `sortField`, then `rankField`, then `thirdField` of the file's
// dictionary table (−1: none; a field named again is left out), each a
// segment in its own type's order, texts without regard to case.  The new
// key becomes the handle's current key.  While it is built a wait window
// shows "RSMsgCreateIndex" (unless the caller has one of that key open).
// Returns 0 when the index was made; otherwise the status after a message
// (an unknown field, or the record manager's refusal); then nothing is left
// to drop.  An index made before on the handle is dropped first.
int TempIndexCreate(int fileNo, BtrvHandle handle, int sortField, int rankField, int thirdField);

// Drops the index TempIndexCreate made on `handle` (key 0 becomes current).
// Dropping where none was made does nothing.  Returns 0 or the status.
int TempIndexDrop(int fileNo, BtrvHandle handle);

// The key number of the index made on `handle`, or −1 when none.
int TempIndexKey(BtrvHandle handle);
