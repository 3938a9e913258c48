// Messages and texts by number, captions, the record-manager error box and
// wait windows.
//
// The texts live in the base library's text store, data/messages/ of the
// base-data folder (SharedAppBlock::baseDataFolder, else the screen
// library's AppBaseDataFolder()):
//   messages.txt   numbered texts: messages (MsgShow 197), status-box titles
//                  (StatusBoxTitle 510) and other texts (TextLoad 42), in one
//                  numbering:   197 "Nothing was selected."
//                  A text may carry its own buttons:
//                               1103 "..." buttons="Statement text,Message text,Cancel"
//   captions.txt   captions by kind (caption 5 "Quarlex Accounting") and the
//                  titles of commands (command 337 "Customer Aging")
//   waits.txt      texts of wait windows by key (RSMsgCreateIndex "Creating
//                  the sort index...")
// Files are UTF-8 with `#` comments; texts are code page 437 once loaded.  A
// number the store does not hold shows "Message NNN" rather than nothing.
//
// Every box is a message box of the screen library, so key scripts answer
// them and the transcript records them.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

// --- Texts and captions -------------------------------------------------------------

// Copies text `number` into `buffer` (at most size − 1 characters and a NUL;
// lines separated by '\n').  Returns 0, or −1 when the store has no such text
// (the buffer then holds "").
int TextLoad(int number, int size, char* buffer);

// Text `number` of the store; "" when it has none.
std::string TextGet(int number);

// Caption kinds of GetCaption.
inline constexpr int kCaptionProgram = 1;  // the program's title
inline constexpr int kCaptionWindow = 2;   // a command's window: the title of SharedAppBlock::currentCommand
inline constexpr int kCaptionNotice = 4;   // a box that informs
inline constexpr int kCaptionQuestion = 5; // a box that asks
inline constexpr int kCaptionError = 6;    // a box that reports a failure

// The caption of `kind` into `buffer` (at least 81 bytes).  Kind 2 gives the
// title of the running command (from captions.txt), or the program's title
// when the command has none.  Returns buffer.
char* GetCaption(char* buffer, int kind);
// The same as a text that lives until the next call.
const char* GetCaption(int kind);

// --- Message boxes -------------------------------------------------------------------

// "Nothing was selected or printed": a command that shows it found nothing
// to do (MsgShow marks it done, CommandDone).
inline constexpr int kMsgNothingToDo = 197;

// Shows message `number` with an " Ok " button.  `style` is kept for the
// callers (1).  Returns the button pressed (1).
int MsgShow(int number, int style = 1);

// Asks message `number`: buttons from `buttons` (a button list of the screen
// library; null: the message's own buttons, else "Yes,No"); *choice, when
// given, presets the highlighted button (1-based; 0 the first) and receives
// the answer; `captionKind` chooses the caption (GetCaption); `helpId` (a
// menu or help id) is shown in the transcript only.  Returns the button
// pressed (1-based).
int MsgAsk(int number, int helpId = 0, int* choice = nullptr, const char* buttons = nullptr,
           int captionKind = kCaptionQuestion);

// Button sets of MsgShowArgs and MsgRecordErrorPost; answers are 1-based.
inline constexpr int kButtonsStopSkip = 1;          // "Stop,Skip": 1 stop, 2 skip
inline constexpr int kButtonsStop = 2;              // " Stop ": 1
inline constexpr int kButtonsStopOnly = 5;          // " Stop " (a record-manager error)
inline constexpr int kButtonsStopSkipContinue = 7;  // "Stop,Skip,Continue"

// One argument of a message.  The text of a message refers to its arguments
// as %1 .. %9.
struct MsgArg {
  enum class Kind : std::uint8_t { kText, kAmount, kNumber, kRecord };
  Kind kind = Kind::kText;
  const void* pointer = nullptr;  // kText: const char*; kAmount: const double* (null: `amount`); kRecord: the record
  long number = 0;                // kNumber
  double amount = 0;              // kAmount given by value
};

// The arguments as the callers pass them: texts (NUL-ended char*), amounts
// (double or double*), whole numbers (int, or int32 pointers) and records
// (pointers to records, shown by the text they begin with, at most 40
// characters: the code or transaction number every record the callers pass
// starts with).  The last argument, when it is a literal 0 or null, ends the
// list.
template <class... Args>
std::vector<MsgArg> MsgArgList(Args... args);

// Shows message `number` with its arguments and asks for a button of
// `buttonSet`; `defaultButton` is the one highlighted first.  `format`
// (the callers' layout code: 0x100, 261, ...) is written to the transcript;
// every argument is shown by its type (MsgArgList).  Returns the button
// pressed: 1 = stop, 2 = skip.
int MsgShowArgsList(int number, int format, int buttonSet, int defaultButton,
                    const std::vector<MsgArg>& args);

// MsgShowArgs(1349, 0x100, 1, 1, journalCode, transactionNumber, 0).
template <class... Args>
int MsgShowArgs(int number, int format, int buttonSet, int defaultButton, Args... args) {
  return MsgShowArgsList(number, format, buttonSet, defaultButton, MsgArgList(args...));
}

// Shows `count` lines of text (`lines`, also ended by a null entry) in one
// box.  `length` (the caller's total length) and the trailing arguments are
// kept for the callers; `style` 0x10 marks an error; `captionKind` chooses
// the caption.  Returns the button pressed.
int MsgTextShow(const char* const* lines, int count, int length, int style, int captionKind, int = 0,
                int = 0, int = 0);

// --- Record-manager errors ----------------------------------------------------------

// Operation codes of the error box beyond the record manager's own.
inline constexpr int kErrorOpOpen = -100;   // opening the file
inline constexpr int kErrorOpUnlock = -2;   // releasing its locks

// Shows the record-manager error box: what the status means, the operation
// and the file (number and name).  `style` is kept for the callers (1).
// The command running is marked as not done (CommandNotDone, commands.h).
// Returns `status`.
int MsgRecordError(int status, int style, int operation, int fileNo, int = 0);

// The posting form of the error box: the same text, with the buttons of
// `buttonSet` (5: " Stop "), and the same mark.  Returns the button pressed
// (1 = stop).
int MsgRecordErrorPost(int buttonSet, int defaultButton, int status, int operation, int fileNo,
                       int = 0);

// The error box's text for a status, an operation and a file (code page 437).
std::string RecordErrorText(int status, int operation, int fileNo);

// The status of a record that holds an amount or quantity that cannot be
// right (not finite, or beyond records::kLargestAmount, records/amounts.h):
// the record is damaged.
inline constexpr int kStatusDamagedRecord = -7;

// 0 when every amount and quantity of the record `image` (`length` bytes)
// of file `fileNo` is one the system can hold; kStatusDamagedRecord when one
// is not.  The caller takes that status the way it takes a record-manager
// error (MsgRecordError then names the record, the field and its value; a
// report ends without totals, a posting stops): no total or balance is ever
// made of such a number.  Read what you turn into cents through this check.
int RecordAmountsCheck(int fileNo, const void* image, unsigned length);

// --- Wait windows ----------------------------------------------------------------------

// Opens a wait window showing the text of `key` (waits.txt; an unknown key
// shows "Please wait...").  `reserved` is kept for the callers (0).
// Returns a handle (> 0).
int MsgWaitOpen(const char* key, int reserved = 0);
// Shows that work goes on; call it once per record.  0 does nothing.
void MsgWaitStep(int handle, int reserved = 0);
// Closes the window; 0 or a closed handle does nothing.
void MsgWaitClose(int handle);
// The key of the wait window opened last that is still open; "" when none.
const char* MsgWaitTopKey();

// For tests and after a new base-data folder: forgets the loaded store.
void TextStoreReset();

// ---- Template definitions ----------------------------------------------------------

namespace qxabase_detail {
template <class T>
MsgArg ToMsgArg(T value) {
  MsgArg a;
  if constexpr (std::is_same_v<T, std::nullptr_t>) {
    a.kind = MsgArg::Kind::kRecord;
  } else if constexpr (std::is_floating_point_v<T>) {
    a.kind = MsgArg::Kind::kAmount;
    a.amount = static_cast<double>(value);
  } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    a.kind = MsgArg::Kind::kNumber;
    a.number = static_cast<long>(value);
  } else if constexpr (std::is_same_v<std::remove_cv_t<std::remove_pointer_t<T>>, char> ||
                       std::is_same_v<std::remove_cv_t<std::remove_pointer_t<T>>, unsigned char>) {
    a.kind = MsgArg::Kind::kText;
    a.pointer = value;
  } else if constexpr (std::is_same_v<std::remove_cv_t<std::remove_pointer_t<T>>, double>) {
    a.kind = MsgArg::Kind::kAmount;
    a.pointer = value;
  } else if constexpr (std::is_same_v<std::remove_cv_t<std::remove_pointer_t<T>>, std::int32_t>) {
    a.kind = MsgArg::Kind::kNumber;
    a.number = value ? *value : 0;
  } else {
    static_assert(std::is_pointer_v<T>, "message arguments are texts, numbers or pointers");
    a.kind = MsgArg::Kind::kRecord;
    a.pointer = static_cast<const void*>(value);
  }
  return a;
}
template <class T>
bool IsListEnd(T value) {
  if constexpr (std::is_same_v<T, std::nullptr_t>) {
    return true;
  } else if constexpr (std::is_integral_v<T>) {
    return value == 0;
  } else if constexpr (std::is_pointer_v<T>) {
    return value == nullptr;
  } else {
    return false;
  }
}
}  // namespace qxabase_detail

template <class... Args>
std::vector<MsgArg> MsgArgList(Args... args) {
  std::vector<MsgArg> list;
  if constexpr (sizeof...(Args) > 0) {
    list.reserve(sizeof...(Args));
    (list.push_back(qxabase_detail::ToMsgArg(args)), ...);
    // The callers end the list with 0; only the last argument can be the end.
    bool lastIsEnd = false;
    ((lastIsEnd = qxabase_detail::IsListEnd(args)), ...);
    if (lastIsEnd) list.pop_back();
  }
  return list;
}
