// Messages and texts by number, captions, the record-manager error box and
// wait windows, over the text store in the base-data folder.
#include "qxabase/messages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "btrvc.h"
#include "internal.h"
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "ravadodo.h"
#include "records/amounts.h"
#include "records/dictionary.h"

namespace {

constexpr const char* kProgramTitle = "Quarlex Accounting";

struct MessageText {
  std::string text;     // code page 437
  std::string buttons;  // code page 437; "" = none of its own
};

struct TextStore {
  bool loaded = false;
  std::string folder;  // the base-data folder it was loaded from
  std::map<int, MessageText> messages;
  std::map<int, std::string> captions;
  std::map<int, std::string> commandTitles;
  std::map<std::string, std::string> waits;
};

TextStore& Store() {
  static TextStore store;
  return store;
}

// Reports a damaged or missing store file once per program run: the
// messages themselves still show ("Message 197"), so work can go on.
void ReportStoreProblem(const std::string& text) {
  static bool reported = false;
  if (reported) return;
  reported = true;
  MsgBoxShowStyle(0, oem::FromUtf8(text).c_str(), nullptr, kMsgStyleError, 0);
}

bool ParseNumber(const std::string& word, int* out) {
  if (word.empty() || word.size() > 6) return false;
  int n = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  *out = n;
  return true;
}

// Reads one file of the store, handing each line's tokens to `take`, which
// answers false with an explanation for a line it cannot use.
template <class Take>
void LoadStoreFile(const std::string& name, Take take) {
  const std::string path = qxb::DataFile("messages", name);
  std::string text;
  if (!qxb::ReadTextFile(path, &text)) {
    ReportStoreProblem("The message texts cannot be found (" + path +
                       ").\nMessages are shown by their numbers only.\nPlease re-install the application.");
    return;
  }
  std::size_t start = 0;
  int lineNo = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    std::vector<qxb::Token> tokens;
    std::string error;
    if (qxb::Tokenize(line, &tokens, &error)) {
      if (tokens.empty()) continue;
      if (take(tokens, &error)) continue;
    }
    ReportStoreProblem("The message texts " + path + " are damaged: line " + std::to_string(lineNo) + ": " +
                       error + ".\nPlease re-install the application.");
    return;
  }
}

TextStore& LoadedStore() {
  TextStore& store = Store();
  const std::string folder = qxb::BaseDataFolder();
  if (store.loaded && store.folder == folder) return store;
  store = TextStore{};
  store.loaded = true;
  store.folder = folder;
  LoadStoreFile("messages.txt", [&](const std::vector<qxb::Token>& t, std::string* error) {
    int number = 0;
    if (t.size() < 2 || !t[0].key.empty() || !ParseNumber(t[0].value, &number) || !t[1].quoted) {
      *error = "a line is a number and a quoted text: 197 \"Nothing was selected.\"";
      return false;
    }
    MessageText m;
    m.text = oem::FromUtf8(t[1].value);
    for (std::size_t i = 2; i < t.size(); ++i) {
      if (t[i].key != "buttons") {
        *error = "after the text only buttons=\"...\" may follow";
        return false;
      }
      m.buttons = oem::FromUtf8(t[i].value);
    }
    store.messages[number] = std::move(m);
    return true;
  });
  LoadStoreFile("captions.txt", [&](const std::vector<qxb::Token>& t, std::string* error) {
    int number = 0;
    if (t.size() != 3 || !ParseNumber(t[1].value, &number) || !t[2].quoted ||
        (t[0].value != "caption" && t[0].value != "command")) {
      *error = "a line is caption N \"text\" or command N \"title\"";
      return false;
    }
    (t[0].value == "caption" ? store.captions : store.commandTitles)[number] = oem::FromUtf8(t[2].value);
    return true;
  });
  LoadStoreFile("waits.txt", [&](const std::vector<qxb::Token>& t, std::string* error) {
    if (t.size() != 2 || t[0].quoted || !t[1].quoted) {
      *error = "a line is a key and a quoted text: RSMsgCreateIndex \"Creating the sort index...\"";
      return false;
    }
    store.waits[t[0].value] = oem::FromUtf8(t[1].value);
    return true;
  });
  return store;
}

const MessageText* FindMessage(int number) {
  const TextStore& store = LoadedStore();
  auto it = store.messages.find(number);
  return it == store.messages.end() ? nullptr : &it->second;
}

std::string MessageOrNumber(int number) {
  const MessageText* m = FindMessage(number);
  return m ? m->text : "Message " + std::to_string(number) + ".";
}

// --- Arguments ---------------------------------------------------------------------

std::string TextAt(const void* p, std::size_t limit) {
  if (p == nullptr) return "";
  return qxb::FieldText(static_cast<const char*>(p), limit);
}

std::string AmountText(double value) {
  char buffer[64];
  NumToText(buffer, value, 2);
  return buffer;
}

std::string ArgumentText(const MsgArg& a) {
  switch (a.kind) {
    case MsgArg::Kind::kText:
      return TextAt(a.pointer, 255);
    case MsgArg::Kind::kAmount:
      return AmountText(a.pointer ? *static_cast<const double*>(a.pointer) : a.amount);
    case MsgArg::Kind::kNumber:
      return std::to_string(a.number);
    case MsgArg::Kind::kRecord:
      // Every record the callers hand over begins with the code or the
      // transaction number the message is about.
      return TextAt(a.pointer, 40);
  }
  return "";
}

// Puts the arguments in place of %1 .. %9; "%%" is a percent sign.
std::string FillArguments(const std::string& text, const std::vector<std::string>& args) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (next >= '1' && next <= '9') {
        const std::size_t index = static_cast<std::size_t>(next - '1');
        if (index < args.size()) out += args[index];
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// --- Button sets ------------------------------------------------------------------
// The answer a caller receives is fixed (1 stop, 2 skip, 3 continue); the
// buttons are shown with Stop last, so that Esc, or a window that closes,
// stops the run rather than skipping on through it.

struct ButtonSet {
  const char* shown;
  int toAnswer[3];  // answer of shown button i
};

ButtonSet ButtonsOf(int set) {
  switch (set) {
    case kButtonsStopSkip: return {"Skip,Stop", {2, 1, 0}};
    case kButtonsStop:
    case kButtonsStopOnly: return {" Stop ", {1, 0, 0}};
    case kButtonsStopSkipContinue: return {"Continue,Skip,Stop", {3, 2, 1}};
    default: return {" Ok ", {1, 0, 0}};
  }
}

int AskWithSet(const std::string& text, int captionKind, int set, int defaultAnswer, int number) {
  const ButtonSet b = ButtonsOf(set);
  int shownDefault = 0;
  for (int i = 0; i < 3; ++i)
    if (b.toAnswer[i] == defaultAnswer) shownDefault = i + 1;
  const int pressed = qxb::ShowBox(text, captionKind, b.shown, shownDefault, number);
  return pressed >= 1 && pressed <= 3 && b.toAnswer[pressed - 1] ? b.toAnswer[pressed - 1] : 1;
}

// --- Record-manager errors ---------------------------------------------------------

const char* StatusMeaning(int status) {
  switch (status) {
    case kStatusOk: return "no error";
    case kStatusInvalidOperation: return "the operation is not valid";
    case kStatusIoError: return "the file could not be read or written";
    case kStatusFileNotOpen: return "the file is not open";
    case kStatusKeyNotFound: return "the record was not found";
    case kStatusDuplicateKey: return "a record with this key exists already";
    case kStatusInvalidKeyNumber: return "the file has no such key";
    case kStatusInvalidPositioning: return "there is no current record";
    case kStatusEndOfFile: return "the end of the file was reached";
    case kStatusModifiableKey: return "a key that may not change was changed";
    case kStatusInvalidFileName: return "the file name is not valid";
    case kStatusFileNotFound: return "the file does not exist";
    case kStatusKeyBufferTooShort: return "the key is too long";
    case kStatusDataBufferTooShort: return "the record is longer than expected";
    case kStatusInvalidRecordLength: return "the record length is not valid";
    case kStatusInvalidKeyLength: return "the key length is not valid";
    case kStatusNotARecordFile: return "the company's database is damaged or is not a company database";
    case kStatusTransactionActive: return "a transaction is already running";
    case kStatusNoTransaction: return "no transaction is running";
    case kStatusInvalidPosition: return "no record is stored at that position";
    case kStatusInconsistentKeyFlags: return "the key specification is inconsistent";
    case kStatusAccessDenied: return "the file is open for reading only";
    case kStatusTooManyFiles: return "too many files are open";
    case kStatusInvalidCollatingSequence: return "the collating sequence is not valid";
    case kStatusKeyTypeError: return "the key type is not valid";
    case kStatusFileExists: return "the file exists already";
    case kStatusConflict: return "another user changed the record since it was read";
    case kStatusRecordInUse: return "another user is working with the record";
    case kStatusFileInUse: return "another user has the file open";
    case kStatusPermissionError: return "the operating system refused access to the file";
    case -6: return "the company folder cannot be opened";
    case kStatusDamagedRecord: return "a record holds an amount that cannot be right: the record is damaged";
    default: return "the record manager reported an error";
  }
}

std::string OperationText(int op) {
  const bool locked = op >= kLockBias && op < 2 * kLockBias;
  const int base = locked ? op - kLockBias : op;
  const char* what = nullptr;
  switch (base) {
    case kErrorOpOpen:
    case kOpOpen: what = "opening the file"; break;
    case kErrorOpUnlock: what = "releasing its locks"; break;
    case kOpClose: what = "closing the file"; break;
    case kOpInsert: what = "adding a record"; break;
    case kOpUpdate: what = "updating a record"; break;
    case kOpDelete: what = "deleting a record"; break;
    case kOpGetEqual: what = "reading a record by its key"; break;
    case kOpGetNext: what = "reading the next record"; break;
    case kOpGetPrevious: what = "reading the previous record"; break;
    case kOpGetGreater:
    case kOpGetGreaterOrEqual: what = "looking a record up"; break;
    case kOpGetLess:
    case kOpGetLessOrEqual: what = "looking a record up backwards"; break;
    case kOpGetFirst: what = "reading the first record"; break;
    case kOpGetLast: what = "reading the last record"; break;
    case kOpCreate: what = "creating the file"; break;
    case kOpStat: what = "reading the file's statistics"; break;
    case kOpBeginTransaction: what = "beginning a transaction"; break;
    case kOpEndTransaction: what = "committing a transaction"; break;
    case kOpAbortTransaction: what = "undoing a transaction"; break;
    case kOpGetPosition:
    case kOpGetDirect: what = "reading a record by its position"; break;
    case kOpCreateIndex: what = "building a sort index"; break;
    case kOpDropIndex: what = "dropping a sort index"; break;
    default: break;
  }
  std::string text = what ? what : "operation " + std::to_string(op);
  if (locked) text += " for update";
  return text;
}

const char* StatusAdvice(int status) {
  switch (status) {
    case kStatusConflict:
    case kStatusRecordInUse:
    case kStatusFileInUse: return "Wait until the other user is done, then try again.";
    case kStatusFileNotFound:
    case -6: return "Check that the company folder is the right one and complete.";
    case kStatusNotARecordFile:
      return "Check that the company folder is the right one; a damaged company is restored from its backup.";
    case kStatusDamagedRecord: return "Correct the record, or restore the company from its backup.";
    case kStatusIoError:
    case kStatusPermissionError: return "Check the disk and the rights on the company folder.";
    default: return nullptr;
  }
}

// The last damaged record RecordAmountsCheck met, for the error box that
// follows.
struct DamagedRecordText {
  std::string text;
};
DamagedRecordText& DamagedRecord() {
  static DamagedRecordText last;
  return last;
}

// A record as a user finds it: its key 0, each segment's text (numbers in
// decimal), blanks trimmed.
std::string KeyText(const records::FileDef& file, std::span<const std::uint8_t> image) {
  if (file.keys.empty()) return "(no key)";
  std::string out;
  for (const records::KeySegment& s : file.keys[0].Segments()) {
    if (s.offset + s.length > image.size()) break;
    std::string part;
    if (s.type == kKeyTypeString) {
      part.assign(reinterpret_cast<const char*>(image.data()) + s.offset, s.length);
      part.resize(strnlen(part.c_str(), part.size()));
      while (!part.empty() && part.back() == ' ') part.pop_back();
      part.erase(0, std::min(part.size(), part.find_first_not_of(' ')));
    } else if (s.type == kKeyTypeInteger && s.length <= 8) {
      std::uint64_t raw = 0;
      std::memcpy(&raw, image.data() + s.offset, s.length);
      const unsigned shift = 64 - 8 * s.length;  // sign-extended from its length
      part = std::to_string(static_cast<std::int64_t>(raw << shift) >> shift);
    }
    if (!part.empty()) out += (out.empty() ? "" : " ") + part;
  }
  return out.empty() ? "(a blank key)" : out;
}

// --- Wait windows ------------------------------------------------------------------

struct OpenWait {
  int handle;
  std::string key;
};
std::vector<OpenWait>& Waits() {
  static std::vector<OpenWait> waits;
  return waits;
}

}  // namespace

// --- Texts and captions -----------------------------------------------------------------

int TextLoad(int number, int size, char* buffer) {
  if (buffer == nullptr || size <= 0) return -1;
  buffer[0] = '\0';
  const MessageText* m = FindMessage(number);
  if (m == nullptr) return -1;
  std::snprintf(buffer, static_cast<std::size_t>(size), "%s", m->text.c_str());
  return 0;
}

std::string TextGet(int number) {
  const MessageText* m = FindMessage(number);
  return m ? m->text : std::string();
}

char* GetCaption(char* buffer, int kind) {
  if (buffer == nullptr) return buffer;
  const TextStore& store = LoadedStore();
  std::string caption;
  if (kind == kCaptionWindow) {
    auto it = store.commandTitles.find(SharedAppBlockGet()->currentCommand);
    if (it != store.commandTitles.end()) caption = it->second;
  }
  if (caption.empty()) {
    auto it = store.captions.find(kind);
    if (it != store.captions.end()) caption = it->second;
  }
  if (caption.empty()) {
    auto it = store.captions.find(kCaptionProgram);
    caption = it != store.captions.end() ? it->second : kProgramTitle;
  }
  std::snprintf(buffer, 81, "%s", caption.c_str());
  return buffer;
}

const char* GetCaption(int kind) {
  static char caption[81];
  return GetCaption(caption, kind);
}

void TextStoreReset() { Store() = TextStore{}; }

namespace qxb {
std::string CommandTitle(int commandId) {
  const TextStore& store = LoadedStore();
  auto it = store.commandTitles.find(commandId);
  return it != store.commandTitles.end() ? it->second : "Command " + std::to_string(commandId);
}
}  // namespace qxb

// --- Message boxes ------------------------------------------------------------------------

int MsgShow(int number, int) {
  // "Nothing was selected or printed": the command found nothing to do,
  // which is its work done.
  if (number == kMsgNothingToDo) CommandDone();
  qxb::ShowBox(MessageOrNumber(number), kCaptionNotice, nullptr, 1, number);
  return 1;
}

int MsgAsk(int number, int helpId, int* choice, const char* buttons, int captionKind) {
  const MessageText* m = FindMessage(number);
  std::string list;
  if (buttons && *buttons) list = buttons;
  else if (m && !m->buttons.empty()) list = m->buttons;
  else list = "Yes,No";
  if (helpId != 0) TranscriptNote("help topic", std::to_string(helpId).c_str());
  const int preset = choice ? *choice : 0;
  const int pressed = qxb::ShowBox(MessageOrNumber(number), captionKind, list.c_str(), preset, number);
  if (choice) *choice = pressed;
  return pressed;
}

int MsgShowArgsList(int number, int format, int buttonSet, int defaultButton,
                    const std::vector<MsgArg>& args) {
  std::vector<std::string> texts;
  texts.reserve(args.size());
  for (const MsgArg& a : args) texts.push_back(ArgumentText(a));
  if (format != 0) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%X", static_cast<unsigned>(format));
    TranscriptNote("message layout", code);
  }
  // A box that only informs (" Ok ") takes the caption of a notice.
  const int caption = ButtonsOf(buttonSet).toAnswer[1] != 0 || buttonSet == kButtonsStop ||
                              buttonSet == kButtonsStopOnly
                          ? kCaptionQuestion
                          : kCaptionNotice;
  return AskWithSet(FillArguments(MessageOrNumber(number), texts), caption, buttonSet, defaultButton, number);
}

int MsgTextShow(const char* const* lines, int count, int, int style, int captionKind, int, int, int) {
  std::string text;
  for (int i = 0; lines && (count <= 0 || i < count) && lines[i]; ++i) {
    if (!text.empty()) text += '\n';
    text += lines[i];
  }
  const int kind = (style & 0x10) && captionKind == 0 ? kCaptionError : captionKind;
  return qxb::ShowBox(text, kind, nullptr, 1, 0);
}

// --- Record-manager errors -------------------------------------------------------------------

std::string RecordErrorText(int status, int operation, int fileNo) {
  std::string file = "file " + std::to_string(fileNo);
  const char* name = FileTableName(fileNo);
  if (name && *name) file += std::string(" (") + name + ")";
  // A damaged database is one file for all the record files of a folder:
  // the user is told which.
  std::string detail;
  const std::string path = FilePathGet(fileNo);
  const std::size_t slash = path.rfind('/');
  if (status == kStatusNotARecordFile && slash != std::string::npos)
    detail = "The database: " + qxb::JoinPath(path.substr(0, slash), kRecordDatabaseName);
  if (status == kStatusDamagedRecord) detail = DamagedRecord().text;
  return qxb::RecordErrorTextFor(status, operation, file, detail);
}

int RecordAmountsCheck(int fileNo, const void* image, unsigned length) {
  const records::FileDef* file = records::FindFile(fileNo & ~kFileModeMask);
  if (file == nullptr || image == nullptr) return kStatusOk;
  const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(image), length);
  records::UnsoundNumber unsound;
  if (!records::FindUnsoundNumber(*file, bytes, &unsound)) return kStatusOk;
  char value[48];
  std::snprintf(value, sizeof value, "%.6g", unsound.value);
  DamagedRecord().text = "The record: " + KeyText(*file, bytes) + ", its " + unsound.field + " " + value + ".";
  return kStatusDamagedRecord;
}

namespace qxb {
std::string RecordErrorTextFor(int status, int operation, const std::string& file, const std::string& detail) {
  std::string text = "Error " + std::to_string(status) + ": " + StatusMeaning(status) + ",\nwhile " +
                     OperationText(operation) + " of " + file + ".";
  if (!detail.empty()) text += "\n" + detail;
  if (const char* advice = StatusAdvice(status)) text += std::string("\n") + advice;
  return text;
}
}  // namespace qxb

int MsgRecordError(int status, int, int operation, int fileNo, int) {
  // A record the command needs could not be read or written: whatever it
  // does next, it has not done all its work.
  CommandNotDone();
  qxb::ShowBox(RecordErrorText(status, operation, fileNo), kCaptionError, nullptr, 1, 0);
  return status;
}

int MsgRecordErrorPost(int buttonSet, int defaultButton, int status, int operation, int fileNo, int) {
  CommandNotDone();
  return AskWithSet(RecordErrorText(status, operation, fileNo), kCaptionError, buttonSet, defaultButton, 0);
}

// --- Wait windows ------------------------------------------------------------------------------

int MsgWaitOpen(const char* key, int) {
  const TextStore& store = LoadedStore();
  const std::string k = key ? key : "";
  auto it = store.waits.find(k);
  const std::string text = it != store.waits.end() ? it->second : "Please wait...";
  const int handle = WaitWindowOpen(text.c_str());
  Waits().push_back({handle, k});
  return handle;
}

void MsgWaitStep(int handle, int) {
  if (handle > 0) WaitWindowStep(handle);
}

void MsgWaitClose(int handle) {
  if (handle <= 0) return;
  auto& waits = Waits();
  for (auto it = waits.begin(); it != waits.end(); ++it) {
    if (it->handle == handle) {
      waits.erase(it);
      WaitWindowClose(handle);
      return;
    }
  }
}

const char* MsgWaitTopKey() { return Waits().empty() ? "" : Waits().back().key.c_str(); }
