// The script device: keys from a key script, a transcript of what was shown.
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "internal.h"

namespace rv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Characters of a quoted text as keys (UTF-8 -> code page 437).
void AddText(const std::string& utf8, int line, std::vector<ScriptToken>* out) {
  std::string cp = oem::FromUtf8(utf8);
  for (unsigned char c : cp) {
    ScriptToken t;
    t.key = c;
    t.line = line;
    out->push_back(t);
  }
}

// "row,col)" of a click: two whole numbers that fit an int (a number too
// long for one is refused, not wrapped).
bool ParseClick(std::string_view text, int* row, int* col) {
  const char* p = text.data();
  const char* end = p + text.size();
  auto [afterRow, e1] = std::from_chars(p, end, *row);
  if (e1 != std::errc() || afterRow == end || *afterRow != ',') return false;
  auto [afterCol, e2] = std::from_chars(afterRow + 1, end, *col);
  return e2 == std::errc() && afterCol + 1 == end && *afterCol == ')';
}

}  // namespace

bool ParseKeyScript(const std::string& text, std::vector<ScriptToken>* out, std::string* error) {
  std::size_t i = 0;
  int line = 1;
  auto fail = [&](const std::string& what) {
    if (error) *error = "key script line " + std::to_string(line) + ": " + what;
    return false;
  };
  while (i < text.size()) {
    char c = text[i];
    if (c == '\n') { ++line; ++i; continue; }
    if (IsBlank(c)) { ++i; continue; }
    if (c == '#') {
      while (i < text.size() && text[i] != '\n') ++i;
      continue;
    }
    if (c == '"') {
      std::string s;
      ++i;
      bool closed = false;
      while (i < text.size()) {
        char d = text[i++];
        if (d == '"') { closed = true; break; }
        if (d == '\\' && i < text.size()) d = text[i++];
        if (d == '\n') ++line;
        s += d;
      }
      if (!closed) return fail("a quoted text is not closed");
      AddText(s, line, out);
      continue;
    }
    std::string word;
    while (i < text.size() && !IsBlank(text[i]) && text[i] != '#') word += text[i++];
    ScriptToken t;
    t.line = line;
    if (word == "Break" || word == "break") {
      t.kind = ScriptToken::kBreak;
      t.key = kKeyEsc;
    } else if (word.rfind("Click(", 0) == 0 || word.rfind("click(", 0) == 0) {
      int r = 0, col = 0;
      if (!ParseClick(std::string_view(word).substr(6), &r, &col)) return fail("write a click as Click(row,col)");
      t.kind = ScriptToken::kClick;
      t.key = kKeyMouse;
      t.row = r;
      t.col = col;
    } else {
      KeyCode k = KeyFromName(word);
      if (k < 0) return fail("\"" + word + "\" is not a key name (write text in double quotes)");
      t.key = k;
    }
    out->push_back(t);
  }
  return true;
}

namespace {

class ScriptDevice : public Device {
 public:
  // `usable` false: the script could not be read or parsed, so no key will
  // come; the run is then one without keys (Closed), not one whose user
  // closed the window.
  ScriptDevice(std::vector<ScriptToken> tokens, FILE* transcript, bool usable = true)
      : tokens_(std::move(tokens)), transcript_(transcript), usable_(usable) {}
  ~ScriptDevice() override { Shutdown(); }

  bool Scripted() const override { return true; }
  bool Closed() const override { return !usable_; }
  // A script that could not be used was told of when the device was made.
  const char* NoKeysReason() const override { return usable_ ? Device::NoKeysReason() : nullptr; }
  void Size(int* rows, int* cols) override {
    *rows = 25;
    *cols = 80;
  }
  void Present(const Frame&) override {}

  KeyCode Read() override {
    if (next_ >= tokens_.size()) return kKeyClose;
    const ScriptToken& t = tokens_[next_++];
    if (t.kind == ScriptToken::kClick) {
      State().clickRow = t.row;
      State().clickCol = t.col;
    }
    return t.key;
  }

  KeyCode Poll() override {
    if (next_ >= tokens_.size()) return kKeyClose;
    if (tokens_[next_].kind == ScriptToken::kBreak) {
      ++next_;
      return kKeyEsc;
    }
    return 0;
  }

  void Shutdown() override {
    if (transcript_) {
      std::fclose(transcript_);
      transcript_ = nullptr;
    }
  }

  void Transcript(const std::string& text) override {
    if (!transcript_) return;
    std::fwrite(text.data(), 1, text.size(), transcript_);
    std::fflush(transcript_);
  }

 private:
  std::vector<ScriptToken> tokens_;
  std::size_t next_ = 0;
  FILE* transcript_;
  bool usable_;
};

// Neither a terminal nor a key script: a script that has run out before it
// began, still writing its transcript when one is named.
class ClosedDevice : public ScriptDevice {
 public:
  explicit ClosedDevice(FILE* transcript) : ScriptDevice({}, transcript) {}
  bool Closed() const override { return true; }
};

// `path` as the user meant it: a relative one from the user's folder, which
// the launcher names in QX_START_FOLDER (it starts the program in the
// program's own folder), else from the current folder.
std::string UsersPath(const char* path) {
  const std::string given = path ? path : "";
  if (given.empty() || given[0] == '/') return given;
  const char* start = std::getenv("QX_START_FOLDER");
  if (start && start[0] == '/') return std::string(start) + "/" + given;
  return given;
}

FILE* OpenTranscript(const char* path) {
  if (!path || !*path) return nullptr;
  const std::string file = UsersPath(path);
  FILE* f = std::fopen(file.c_str(), "w");
  if (!f) std::fprintf(stderr, "cannot write the transcript %s\n", file.c_str());
  return f;
}

}  // namespace

std::unique_ptr<Device> MakeScriptDevice(const std::string& keysText, const char* transcriptPath) {
  std::vector<ScriptToken> tokens;
  std::string error;
  if (!ParseKeyScript(keysText, &tokens, &error)) {
    // A damaged script must not drive the program blindly: say where it is
    // wrong and run without keys, so that nothing it was to do is done.
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, error.c_str());
    tokens.clear();
    FILE* t = OpenTranscript(transcriptPath);
    auto dev = std::make_unique<ScriptDevice>(std::move(tokens), t, false);
    dev->Transcript("error: " + error + "\n");
    return dev;
  }
  return std::make_unique<ScriptDevice>(std::move(tokens), OpenTranscript(transcriptPath));
}

std::unique_ptr<Device> MakeScriptDeviceFromEnv() {
  const std::string keys = UsersPath(std::getenv("QX_KEYS"));
  const char* transcriptPath = std::getenv("QX_TRANSCRIPT");
  // A folder opens as a file would and reads as nothing: it is no script.
  std::error_code ec;
  const bool folder = std::filesystem::is_directory(keys, ec);
  std::ifstream in;
  if (!folder) in.open(keys, std::ios::binary);
  if (folder || !in) {
    // No key will come: the run does nothing that waits for one.
    const int why = folder ? EISDIR : errno;
    std::fprintf(stderr, "%s: cannot read the key script %s: %s\n", program_invocation_short_name, keys.c_str(),
                 std::strerror(why));
    auto dev = std::make_unique<ScriptDevice>(std::vector<ScriptToken>{}, OpenTranscript(transcriptPath), false);
    dev->Transcript("error: cannot read the key script " + keys + "\n");
    return dev;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  return MakeScriptDevice(ss.str(), transcriptPath);
}

std::unique_ptr<Device> MakeClosedDevice() {
  return std::make_unique<ClosedDevice>(OpenTranscript(std::getenv("QX_TRANSCRIPT")));
}

}  // namespace rv
