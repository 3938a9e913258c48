// Helpers shared by the sources of the base library (not exported).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qxb {

// The base-data folder: SharedAppBlock::baseDataFolder, else the screen
// library's AppBaseDataFolder().
std::string BaseDataFolder();

// The folder a file of the base library's data lives in: <base data>/<sub>.
std::string DataFile(const std::string& sub, const std::string& name);

// Reads a whole file.  False when it cannot be read.
bool ReadTextFile(const std::string& path, std::string* text);

// Joins a folder and a file name with one '/'.
std::string JoinPath(std::string_view folder, std::string_view name);

// Shows a text (code page 437) in a message box with the caption of `kind`
// (GetCaption) and the buttons (null: " Ok "); writes "message number: N" to
// the transcript first when `number` is non-zero.  Returns the button.
int ShowBox(const std::string& text, int captionKind, const char* buttons, int defaultButton,
            int number);

// The text of a trimmed, NUL-ended field of `n` bytes.
std::string FieldText(const char* field, std::size_t n);

// Lines of a tokenised data file: words, quoted texts and key="text" pairs.
struct Token {
  std::string key;    // "" for a bare word or a quoted text
  std::string value;  // UTF-8 as in the file
  bool quoted = false;
};
// Splits one line; false with `error` set for an unterminated quote.  A
// line that is blank or a comment gives no tokens.
bool Tokenize(const std::string& line, std::vector<Token>* tokens, std::string* error);

// The title of command `commandId` from captions.txt ("Command 337" when it
// has none).
std::string CommandTitle(int commandId);

// The record-manager error text for a file described by `file` ("the work
// file TEMPCSVD.DB"); `detail`, when given, is a line of its own before the
// advice.
std::string RecordErrorTextFor(int status, int operation, const std::string& file,
                               const std::string& detail = std::string());

// The key specification of a temporary file the dictionary defines
// (dictionary.cpp): the number of keys and their 16-byte segments.  False
// for an unknown name.
bool TempFileKeys(const std::string& name, int* keyCount, std::vector<std::uint8_t>* segments);

// Forgets the cached system settings (settings.cpp).
void ForgetSystemSettings();

// The nesting depth of the command bracket (commands.cpp).
int CommandDepth();

}  // namespace qxb
