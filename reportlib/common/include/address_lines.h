// The address of a customer or vendor as forms, statements, letters and
// labels print it: the name, the street lines, and the closing line of
// city, state and ZIP.
//
// A customer or vendor record (records::CustVendRecord) keeps its address
// as a block: the name (the block's first line), three more lines of 41
// characters, and, apart, the ZIP code.  Users fill the lines from the top
// and leave the unused ones blank; the city and state go on the last line
// they fill, usually with the ZIP.  The blank lines are passed over, and
// the last line filled closes the address; when it does not hold the ZIP
// already, the ZIP is added to it.
#pragma once

#include <string>
#include <vector>

#include "records/masters.h"

// The lines of the block after the name that are not blank, in order,
// trimmed: what a directory lists under the name.
std::vector<std::string> AddressLines(const records::CustVendRecord& record);

// The closing line of the address: the last line of AddressLines, followed
// by two blanks and the ZIP code when the record has one the line does not
// already hold (a ZIP of nine digits as "ccccc-cccc"); the ZIP alone when
// every line is blank; "" when the record holds neither.
std::string FormatAddressLine(const records::CustVendRecord& record);

// The street lines of the address: AddressLines without the last one (the
// one the closing line is made from).
std::vector<std::string> AddressStreetLines(const records::CustVendRecord& record);

// A ZIP code of nine digits as "ccccc-cccc"; any other as it is.
std::string ZipCodeText(const std::string& zip);

// --- The run's copy of an address ----------------------------------------------------
// Letters and labels print from the run's copy of the record: closing up
// its blank lines changes what prints, and nothing is written back.

// Writes FormatAddressLine into `closingLine` (61 bytes, cut at 60
// characters).
void FormatAddressLine(const records::CustVendRecord* record, char* closingLine);

// Closes up the blank address lines of the copy: the lines that hold
// anything move up, in their order, and the blanks go to the end.  `apart`
// non-zero: the line the closing line is made of is taken out first (the
// document prints the closing line apart).  The name stays as it is.
void AddressFormatBegin(records::CustVendRecord* record, int apart);

// Moves the address lines down to the end of the three, so that the block
// ends on its last line (the blanks go first).  `apart` is kept for the
// callers.
void AddressFormatEnd(records::CustVendRecord* record, int apart);
