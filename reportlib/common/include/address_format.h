// The address of a customer or vendor as documents and listings print it:
// the record's name and its three address lines (the directory, letters,
// labels and statements).
//
// The closing line is the address's last line that holds anything (city,
// state and zip code, as the companies write it), with the zip code added
// when that line does not hold it already.  Letters and labels work on the
// run's copy of the record: closing up its blank lines changes what prints,
// and nothing is ever written back to the file.
#pragma once

#include <string>
#include <vector>

#include "records/masters.h"

// The record's address lines after the name, trimmed, without the blank ones.
std::vector<std::string> AddressLines(const records::CustVendRecord& record);

// The closing line ("Lakeside, WA 98370"); "" when the address has no line.
std::string ClosingAddressLine(const records::CustVendRecord& record);

// Writes the closing line into `closingLine` (61 bytes, cut at 60
// characters).
void FormatAddressLine(const records::CustVendRecord* record, char* closingLine);

// Closes up the blank address lines of the copy: the lines that hold
// anything move up, in their order, and the blanks go to the end.  `apart`
// non-zero: the line the closing line is made of is taken out first (the
// document prints the closing line apart).
void AddressFormatBegin(records::CustVendRecord* record, int apart);

// Moves the address lines down to the end of the three, so that the block
// ends on its last line (the blanks go first).  `apart` is kept for the
// callers.
void AddressFormatEnd(records::CustVendRecord* record, int apart);
