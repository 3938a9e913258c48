// What the statements and the letters and labels share: the run's report
// destination, the texts they open, the files and window of their options
// screen, and the run's copy of each account's address.
#pragma once

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cv_output.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/text_merge.h"
#include "ravadodo.h"

namespace merge_documents {

// The run's report goes to the preview (null or blank `output`), an HTML
// file (a name ending in .htm or .html) or a text file (any other name).
// Returns 0; 1 after a message when the name is too long.
int SetDestination(const char* output, TagRepInfo* info);

// Opens text `name` (lines of 512 bytes); with `merge`, also its merge run
// over the kinds of the −1-ended list `kinds`.  A text that cannot be read
// shows message 1 (out of memory) or 827; a merge that cannot start message
// 1.  False when the text is not open (nothing is left open).
bool OpenText(const char* name, TextFileBlock* text, MergeRun* merge, const int* kinds);

// Closes the text and its merge run.
void CloseText(TextFileBlock* text, MergeRun* merge);

// The presets of a run of `menuId`: the option flag, range mode, one copy,
// today's date, the run's window and the label stock entry.
void Preset(CustVendOutputParams* params, int menuId, char optionFlag, Window* window);

// The files of the options screen: the customers (22) or vendors (66),
// their open items (5 or 2), the settings (29) and the salespeople (56),
// their handles and numbers copied into the parameters.  0, or the status
// of the open that failed (after its message).
int OpenFiles(FileSet* files, CustVendOutputParams* params, bool customers);

// The run's copy of the current account (params->recordArea) as the
// document prints it: the closing line built when `closingLine`; with
// params->optionFlag 'Y' the blank address lines closed up (`apart`: the
// closing line's own line taken out first) and, with `bottom`, moved to
// the end of the block.
void PrepareAccount(const CustVendOutputParams& params, bool closingLine, bool apart, bool bottom,
                    MergeAccount* account);

// A line of a text with its fields found once (MergeFieldNext): the
// fields in their order, up to and with the first that cannot be merged,
// and the line with their tokens blanked.  Which of them print depends on
// the line's placements at the time it is merged (ForEachField).
struct TextLine {
  std::string text;
  std::string blanked;
  std::vector<MergeField> fields;
};

// The fields of `tpl` under `merge`'s kinds.
TextLine ParseLine(MergeRun* merge, const std::string& tpl);

// Walks the fields of `line` (line `lineNumber` of its text, for messages)
// that print under the current placements: `take(field, value)` gets each
// field and a zeroed buffer of field.length + 1 bytes for its value.
// *blanked (may be null) receives the line with its tokens blanked.  False
// after MergeLineEnd when a field cannot be merged (the walk stops there).
template <class Take>
bool ForEachField(MergeRun* merge, const TextLine& line, int lineNumber, std::string* blanked, Take take) {
  char value[kMergeMaxWidth + 1];
  for (const MergeField& f : line.fields) {
    if (f.error) {
      MergeLineEnd(merge, 1, f.error, lineNumber, f.place, f.text);
      if (blanked) *blanked = line.blanked;
      return false;
    }
    if (!MergeFieldShown(merge, &f)) continue;
    std::memset(value, 0, static_cast<std::size_t>(f.length > 0 ? f.length : 1) + 1);
    take(f, value);
  }
  if (blanked) *blanked = line.blanked;
  return true;
}

// The same over the text line `tpl`, its fields found first.
template <class Take>
bool ForEachField(MergeRun* merge, const std::string& tpl, int lineNumber, std::string* blanked, Take take) {
  return ForEachField(merge, ParseLine(merge, tpl), lineNumber, blanked, take);
}

// Runs a document run (a class with Run(output)) for `commandId`; out of
// memory shows message 1.  Returns the run's result, 0 when it could not
// be made.
template <class DocumentRun>
int RunDocument(int commandId, const char* output) {
  try {
    auto run = std::make_unique<DocumentRun>(commandId);
    return run->Run(output);
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}

}  // namespace merge_documents
