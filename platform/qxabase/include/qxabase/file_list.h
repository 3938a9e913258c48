// A search list over an open record file in one of its keys: the pick
// windows of the screens that look up a record of a file with more than one
// useful order (inventory transactions by number or by item and date, master
// items by code).
//
// Each row is one record of the file, written by the caller's `line`; typing
// seeks from the text typed (`seekKey` builds the key it is sought by);
// Shift+F9 switches between the list's two keys when they differ.  The list
// reads the caller's handle and puts its key back when it ends; the handle's
// position is the caller's to restore.
#pragma once

#include <string>

#include "btrvc.h"
#include "ravadodo.h"

struct FileList {
  BtrvHandle handle = 0;
  void* record = nullptr;  // the caller's record buffer: the chosen record when the list ends
  unsigned length = 0;     // its length (the file's record length)
  int keys[2] = {0, 0};    // the key in use and the one Shift+F9 switches to
  // The row of a record (at most the window's width).
  std::string (*line)(const void* record) = nullptr;
  // Builds the key (`keyBuffer`, 255 bytes) sought for the text typed in key
  // `key`; may be null when typing should find nothing but the first row.
  void (*seekKey)(int key, const char* text, char* keyBuffer) = nullptr;
  // Optional: the caller's keys (as SearchList::onKey; `record` then holds
  // the current row, read through `handle`), their legend, and the caller's
  // context (FileListOf gives the list back inside the handler).
  SearchKeyHandler onKey = nullptr;
  const char* legend = nullptr;
  void* context = nullptr;
  // Result: the key that ended the list (Enter, Esc, or a key `onKey` ended
  // it with).
  KeyCode lastKey = 0;
};

// The file list a search list runs over (inside a FileList::onKey handler).
FileList* FileListOf(SearchList* list);

// Runs the list titled `title` with the column headings `heading`, starting
// from the text `start` (null or blank: the first record), in the window
// `top`, `left`, `rows`, `cols` (frame included).  True when a record was
// chosen with Enter: it stands in `f.record`.  False after Esc, for a file
// with no record, or when the chosen record cannot be read again.
bool RunFileList(FileList& f, const char* title, const char* heading, const char* start, int top = 4,
                 int left = 9, int rows = 13, int cols = 60);
