// A mail-merge data source: a delimited text file whose first record names
// the fields and whose other records hold one value per field.
//
// The delimiter is a tab when the header record holds a tab outside quotes,
// else a comma.  Fields follow RFC 4180: a field in double quotes may hold
// delimiters, line breaks and doubled quotes ("" for one "); records end with
// CR LF, LF or CR.  The text is UTF-8, with or without a byte-order mark.
// Empty lines are skipped.  A record with fewer values than the header has
// empty values for the rest; one with more is refused unless the extra values
// are empty (as spreadsheets write trailing delimiters).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qx::automation::wordprocessor {

struct DataSource {
  std::vector<std::string> fields;                // header names, without surrounding blanks
  std::vector<std::vector<std::string>> records;  // each has fields.size() values

  // The index of the field called `name` (compared without regard to ASCII
  // case and surrounding blanks), the first of equal names; -1 when none.
  int FieldIndex(std::string_view name) const;
};

// Parses `text`.  Returns an empty text and fills *out, or returns what is
// wrong with the text (naming the source `name`, when not empty, and the
// line) and leaves *out alone.
std::string ParseDataSource(std::string_view text, std::string_view name, DataSource* out);

// Reads and parses the file at `path`; errors name the file.
std::string ReadDataSource(const std::string& path, DataSource* out);

}  // namespace qx::automation::wordprocessor
