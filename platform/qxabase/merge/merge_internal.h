// Pieces the sources of merge/ share (not exported): reading a data file of
// the base data as tokens, and running a small settings window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "../src/internal.h"
#include "ravadodo.h"

namespace qxmerge {

// Reads <base data>/<sub>/<name> line by line, each as its tokens
// (qxb::Tokenize; blank and comment lines are passed over).  `line(number,
// tokens)` returns "" or why it refuses the line.  A file that cannot be
// read or a line refused shows message `message` (%1 the file, %2 the line,
// %3 why) and gives false.
bool ReadDataFile(const char* sub, const char* name, int message,
                  const std::function<std::string(int lineNumber, const std::vector<qxb::Token>& tokens)>& line);

// A small settings window run on a form definition.
struct SmallForm {
  int number = 0;                      // the form definition
  int top = 4, left = 13;              // the window on the screen
  int rows = 13, cols = 60;            // when the definition gives no size
  const char* reportId = "";
  void* context = nullptr;             // Form::context
  FormStartHook start = nullptr;
  FormKeyHandler accept = nullptr;     // F10 ("Save")
  KeyCode extraKey = 0;                // one more key, and its handler and legend
  FormKeyHandler extra = nullptr;
  const char* extraLabel = nullptr;
  void (*patch)(std::vector<TagFormField>& fields) = nullptr;  // choices and callbacks
};

// Runs the window until F10 accepts it or Esc leaves it.  Returns 0
// accepted, 27 left, 1 when it could not be shown.
int RunSmallForm(const SmallForm& form);

}  // namespace qxmerge
