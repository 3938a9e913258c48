// The search list behind the base library's pick lists: the records of one
// open file in the order of key 0, a row per record showing its code (at the
// start of the record) and a name; typing finds the first code at or after
// the text typed.
#pragma once

#include <cstddef>

#include "btrvc.h"

namespace qxb {

struct CodePickList {
  const char* title = "";
  const char* heading = "";
  std::size_t codeSize = 0;  // the code field's width (NUL-ended), at offset 0
  std::size_t nameOffset = 0;
  std::size_t nameSize = 0;
  unsigned recordLength = 0;  // at most 1024
  // Codes keyed blank-padded: a typed code is sought padded with blanks
  // (otherwise with NULs).
  bool blankPaddedKey = true;
  // How much of the caller's text starts the list (0: all of it).
  std::size_t startTextMax = 0;
  // Writes a row of the list; null: the code, two blanks and the name.
  void (*formatRow)(const void* record, char* line, int lineSize) = nullptr;
};

// Runs the list over `handle` from `text` (may be null or blank) in the
// window `top`, `left`, `rows`, `cols`.  The handle's key is put back when
// the list ends.  True when a record was chosen with Enter: its image, of
// the list's record length, is then in `record`; false for Esc, an empty
// file, a zero handle or a record that could not be read again (`record`
// unchanged).
bool RunCodePickList(const CodePickList& list, BtrvHandle handle, const char* text, int top, int left,
                     int rows, int cols, void* record);

}  // namespace qxb
