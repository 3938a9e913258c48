// Global change (command 393): sets one field to one value in every
// customer, vendor, product or salesperson record within a range.
#pragma once

#include <string>

// Entry of command 393.  Returns 1 when a change run took place, else 0.
int RunGlobalChange();

// How a value is stored and compared.
enum GlobalValueKind : int {
  kGlobalText = 2,     // text: the whole field, or its first `copyBytes`/`compareLength` bytes
  kGlobalNumber = 10,  // a 4-byte float or an 8-byte double, by the field's dictionary type
  kGlobalCode = 14,    // one byte
};

// One change run: the field to change, its new value and the range
// condition on a second field.  Offsets and types are taken from the data
// dictionary by ApplyGlobalChange; the caller names the fields by number.
struct GlobalChangeRequest {
  int fileNo = 0;           // 22 customers, 66 vendors, 43 products, 56 salespersons
  std::string entityName;   // shown in the progress box
  std::string fieldName;
  std::string newText;      // text kind: the new text; code kind: its first byte
  double newNumber = 0;     // number kind
  int fieldNo = 0;          // dictionary number of the field to change
  int copyBytes = 0;        // text kind: bytes to copy; 0 = the whole field
  int valueKind = kGlobalText;
  bool fieldGroup = false;  // customers/vendors field 61: the three phone fields, pairwise
  std::string fromText, toText;
  double fromNumber = 0, toNumber = 0;
  bool fromOpen = true, toOpen = true;  // an unbounded end
  int conditionNo = 0;
  bool conditionGroup = false;
  int compareLength = 0;    // text condition: characters compared; 0 = the whole text
  int conditionKind = kGlobalText;
};

// Walks every record of the file first to last, changes those that meet the
// condition (subject to the rules that keep a record consistent) and
// rewrites them; a change of the phone group (field 61) is made in the
// alternate addresses of file 21 or 61 too, and replaces only an area code
// in parentheses at the start of a number.  All in one record-manager
// transaction: a failure shows the record error box and leaves every record
// as it was.  Ends with message 197 (nothing changed), 1551 (every record in
// range changed), or a message that counts what changed and what a rule
// passed over (1571, 1573, 1575) or which phone numbers had no area code
// (1577).  Returns 1 after a run, 0 when the dictionary or the files cannot
// be set up.
int ApplyGlobalChange(const GlobalChangeRequest& request);
