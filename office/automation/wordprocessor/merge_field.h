// Merge fields: the MERGEFIELD instruction of a document field
// (" MERGEFIELD  \"First Name\" \b \"Dear \" \* MERGEFORMAT ") and the text a
// record's value becomes in its place.
#pragma once

#include <string>
#include <string_view>

namespace qx::automation::wordprocessor {

struct MergeField {
  enum class Case { kAsIs, kUpper, kLower, kFirstCap, kCaps };

  std::string name;    // the data-source field, as written (matched without case)
  std::string before;  // \b: text put before a value that is not empty
  std::string after;   // \f: text put after a value that is not empty
  Case textCase = Case::kAsIs;  // \* Upper, Lower, FirstCap, Caps
};

// Reads a field instruction.  Returns false when it is not a MERGEFIELD
// (another kind of field); otherwise fills *field (an instruction naming no
// field gives an empty name).  Quoted arguments may hold \" and \\; switches
// other than \b, \f and the case formats are ignored.
bool ParseMergeField(std::string_view instruction, MergeField* field);

// The text that stands for `field` when its value is `value`: empty for an
// empty value, else before + value in the field's case + after.  Case
// changes apply to ASCII letters.
std::string MergeFieldText(const MergeField& field, std::string_view value);

}  // namespace qx::automation::wordprocessor
